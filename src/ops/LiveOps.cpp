#include "ops/LiveOps.h"

#include "bank/SysExData.h"
#include "midi/MidiManager.h"
#include "mks80/Messages.h"

namespace ops {

namespace {

constexpr uint8_t kMiddleC = 60;
constexpr uint8_t kTestVelocity = 100;

uint8_t ChannelNibble(int in_channel) {
    return static_cast<uint8_t>((in_channel - 1) & 0x0F);
}

}  // namespace

std::vector<std::vector<uint8_t>> AuditionMessages(const CSysExData& in_bank, EntryKind in_kind,
                                                   int in_index, uint8_t in_device) {
    if (in_index < 0 || in_index >= BANK_SIZE) {
        return {};
    }
    if (in_kind == EntryKind::Tone) {
        const int8_t* tone = in_bank.GetTone(in_index)->GetData();
        return {mks80::ToneApr(in_device, mks80::Half::Upper, tone),
                mks80::ToneApr(in_device, mks80::Half::Lower, tone)};
    }
    const int8_t* patch = in_bank.GetPatch(in_index)->GetData();
    auto toneOf = [&](mks80::Half in_half) {
        return in_bank.GetTone(PlayedTone(patch, in_half))->GetData();
    };
    return mks80::PatchSound(in_device, patch, toneOf(mks80::Half::Upper),
                             toneOf(mks80::Half::Lower));
}

int PlayedTone(const int8_t* in_patchBytes, mks80::Half in_half) {
    const mks80::Parameter& toneNumber =
        *mks80::FindParameter(mks80::Kind::Patch, mks80::PATCH_TONE_PARAMETER);
    return mks80::ValidStored(toneNumber, mks80::StoredValue(toneNumber, in_patchBytes, in_half));
}

std::vector<uint8_t> TestNoteOn(int in_channel) {
    return {static_cast<uint8_t>(0x90 | ChannelNibble(in_channel)), kMiddleC, kTestVelocity};
}

std::vector<uint8_t> TestNoteOff(int in_channel) {
    return {static_cast<uint8_t>(0x80 | ChannelNibble(in_channel)), kMiddleC, 0};
}

LiveSendResult SendAll(CMidiManager& in_link,
                       const std::vector<std::vector<uint8_t>>& in_messages) {
    for (const std::vector<uint8_t>& message : in_messages) {
        const LiveSendResult result = in_link.SendLiveMessage(message);
        if (result != LiveSendResult::Sent) {
            return result;
        }
    }
    return LiveSendResult::Sent;
}

}  // namespace ops
