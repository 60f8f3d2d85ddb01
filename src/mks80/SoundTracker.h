#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

#include "mks80/Messages.h"
#include "mks80/Parameters.h"

namespace mks80 {

// The sound the instrument plays now: one patch's bytes (both halves) and the tones
// in its two tone buffers, whatever the patch's tone numbers say.
struct CurrentSound {
    std::array<int8_t, PATCH_BYTES> patch{};
    std::array<int8_t, TONE_BYTES> upperTone{};
    std::array<int8_t, TONE_BYTES> lowerTone{};
};

// Applies one APR or IPR: only the parameters it carries change, each to the nearest
// valid stored value. A PGR changes nothing.
void ApplyLiveMessage(const LiveMessage& in_message, CurrentSound& io_sound);

// Follows what the instrument announces on one device byte. Choosing a patch on its
// panel sends a PGR and then the four APRs (patch upper, patch lower, tone upper, tone
// lower): only once all four have come is the sound known, and a partial announcement
// waits until it is complete or the next PGR starts another. IPRs then edit the known
// sound. Anything else (malformed, another device or maker, a handshake message, an
// APR outside an announcement, an IPR before any sound is known) changes nothing.
class SoundTracker {
  public:
    enum class Outcome { Ignored, Held, Announced, Edited };

    explicit SoundTracker(uint8_t in_device = 0) : m_Device(in_device & 0x0F) {}

    // Also forgets a partial announcement, which came on the old device byte.
    void SetDevice(uint8_t in_device);
    uint8_t Device() const { return m_Device; }

    // One whole message as received. out_why (may be null) says, for the trace, why a
    // message was ignored.
    Outcome Take(const uint8_t* in_message, size_t in_length, std::string* out_why = nullptr);

    bool IsKnown() const { return m_Program >= 0; }
    // 0 to 63, the patch chosen on the instrument; -1 until a sound is known.
    int Program() const { return m_Program; }
    // An IPR has changed the sound since it was announced.
    bool IsEdited() const { return m_Edited; }
    const CurrentSound& Sound() const { return m_Sound; }
    // "MKS-80: patch 34", or "MKS-80: patch 34, edited"; empty until a sound is known.
    std::string StatusText() const;
    void Forget();

  private:
    // The four parts of an announcement, in the order the instrument sends them.
    enum Part { PatchUpper, PatchLower, ToneUpper, ToneLower, PartCount };

    uint8_t m_Device;
    CurrentSound m_Sound;
    int m_Program = -1;
    bool m_Edited = false;

    // The announcement on its way: its program (-1: none) and the parts that came.
    int m_PendingProgram = -1;
    std::array<bool, PartCount> m_PendingParts{};
    CurrentSound m_Pending;
};

}  // namespace mks80
