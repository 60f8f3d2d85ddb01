#include "mks80/SoundTracker.h"

#include <algorithm>

namespace mks80 {

void ApplyLiveMessage(const LiveMessage& in_message, CurrentSound& io_sound) {
    if (in_message.type == LiveMessage::Type::Pgr) {
        return;
    }
    if (in_message.kind == Kind::Patch) {
        ApplyPatchValues(in_message.half, in_message.values, io_sound.patch.data());
        return;
    }
    int8_t* tone =
        in_message.half == Half::Upper ? io_sound.upperTone.data() : io_sound.lowerTone.data();
    ApplyToneValues(in_message.values, tone);
}

void SoundTracker::SetDevice(uint8_t in_device) {
    m_Device = in_device & 0x0F;
    m_PendingProgram = -1;
}

void SoundTracker::Forget() {
    m_Program = -1;
    m_Edited = false;
    m_PendingProgram = -1;
}

SoundTracker::Outcome SoundTracker::Take(const uint8_t* in_message, size_t in_length,
                                         std::string* out_why) {
    auto ignored = [out_why](const char* in_why) {
        if (out_why != nullptr) {
            *out_why = in_why;
        }
        return Outcome::Ignored;
    };
    if (in_message == nullptr || in_length < 2 || in_message[0] != SYSEX_START ||
        in_message[1] != ROLAND_ID) {
        return ignored("not a Roland system-exclusive message");
    }
    const std::optional<LiveMessage> live = ParseLiveMessage(in_message, in_length);
    if (!live) {
        return ignored("not a well-formed APR, IPR or PGR");
    }
    if (live->device != m_Device) {
        return ignored("another device byte");
    }
    switch (live->type) {
        case LiveMessage::Type::Pgr:
            // A new announcement: whatever part of the last one came is forgotten.
            m_PendingProgram = live->program;
            m_PendingParts.fill(false);
            m_Pending = m_Sound;
            return Outcome::Held;
        case LiveMessage::Type::Apr: {
            if (m_PendingProgram < 0) {
                return ignored("an APR outside an announcement");
            }
            const bool upper = live->half == Half::Upper;
            const Part part = live->kind == Kind::Patch ? (upper ? PatchUpper : PatchLower)
                                                        : (upper ? ToneUpper : ToneLower);
            ApplyLiveMessage(*live, m_Pending);
            m_PendingParts[part] = true;
            if (!std::all_of(m_PendingParts.begin(), m_PendingParts.end(),
                             [](bool in_came) { return in_came; })) {
                return Outcome::Held;
            }
            m_Sound = m_Pending;
            m_Program = m_PendingProgram;
            m_Edited = false;
            m_PendingProgram = -1;
            return Outcome::Announced;
        }
        case LiveMessage::Type::Ipr:
            if (!IsKnown()) {
                return ignored("an IPR before any sound is known");
            }
            ApplyLiveMessage(*live, m_Sound);
            m_Edited = true;
            return Outcome::Edited;
    }
    return ignored("unknown message");
}

std::string SoundTracker::StatusText() const {
    if (!IsKnown()) {
        return std::string();
    }
    std::string text = "MKS-80: patch ";
    text += static_cast<char>('1' + m_Program / 8);
    text += static_cast<char>('1' + m_Program % 8);
    if (m_Edited) {
        text += ", edited";
    }
    return text;
}

}  // namespace mks80
