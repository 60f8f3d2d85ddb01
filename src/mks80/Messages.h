#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <utility>
#include <vector>

#include "mks80/Parameters.h"

// The MKS-80's system-exclusive messages: the handshake bulk dump and the messages
// for the sound it plays now (APR, IPR, PGR). Every message starts F0 41, then the
// command, the device byte (the MIDI channel less one) and the format byte 20H.
namespace mks80 {

constexpr uint8_t SYSEX_START = 0xF0;
constexpr uint8_t SYSEX_END = 0xF7;
constexpr uint8_t ROLAND_ID = 0x41;
constexpr uint8_t FORMAT_BYTE = 0x20;

// Command bytes of the handshake bulk dump.
constexpr uint8_t HS_WSD = 0x40;
constexpr uint8_t HS_RQD = 0x41;
constexpr uint8_t HS_DAT = 0x42;
constexpr uint8_t HS_ACK = 0x43;
constexpr uint8_t HS_EOD = 0x45;
constexpr uint8_t HS_ERR = 0x4E;
constexpr uint8_t HS_RJC = 0x4F;

// Command bytes of the current-sound messages.
constexpr uint8_t CMD_PGR = 0x34;
constexpr uint8_t CMD_APR = 0x35;
constexpr uint8_t CMD_IPR = 0x36;
// Level and group bytes of APR and IPR.
constexpr uint8_t LEVEL_TONE = 0x20;
constexpr uint8_t LEVEL_PATCH = 0x30;
constexpr uint8_t GROUP_UPPER = 0x01;
constexpr uint8_t GROUP_LOWER = 0x02;

constexpr size_t SHORT_HANDSHAKE_SIZE = 6;
constexpr size_t NAMED_HANDSHAKE_SIZE = 13;
constexpr size_t HANDSHAKE_HEADER_SIZE = 5;
constexpr size_t TONE_APR_SIZE = 8 + TONE_PARAMETERS;
constexpr size_t PATCH_APR_SIZE = 8 + PATCH_HALF_PARAMETERS;
constexpr size_t PGR_SIZE = 11;

// The device byte of MIDI channel in_channel (1 to 16).
inline uint8_t DeviceByte(int in_channel) {
    return static_cast<uint8_t>((in_channel - 1) & 0x0F);
}

// F0 41 command device 20: the start every handshake message shares.
std::array<uint8_t, HANDSHAKE_HEADER_SIZE> HandshakeHeader(uint8_t in_command, uint8_t in_device);
// ACK, EOD, ERR, RJC: the header and F7.
std::array<uint8_t, SHORT_HANDSHAKE_SIZE> ShortHandshake(uint8_t in_command, uint8_t in_device);
// WSD and RQD: the header, "MKS-80", a zero byte and F7.
std::array<uint8_t, NAMED_HANDSHAKE_SIZE> NamedHandshake(uint8_t in_command, uint8_t in_device);
// True for a whole message F0 41 .. .. 20 .. F7 of at least six bytes: one of this
// instrument's handshake messages on any channel. The command is byte 2, the device byte 3.
bool IsHandshakeMessage(const uint8_t* in_message, size_t in_length);

// APR of one tone (sent as the upper or the lower tone) or one patch half. Values out
// of range go as the nearest valid value: the instrument must never be sent one.
std::vector<uint8_t> ToneApr(uint8_t in_device, Half in_half, const int8_t* in_toneBytes);
std::vector<uint8_t> PatchApr(uint8_t in_device, Half in_half, const int8_t* in_patchBytes);
// IPR carrying each (parameter number, message value) pair of in_changes.
std::vector<uint8_t> Ipr(uint8_t in_device, Kind in_kind, Half in_half,
                         const std::vector<std::pair<int, int>>& in_changes);
// PGR announcing patch in_program (0 to 63).
std::vector<uint8_t> Pgr(uint8_t in_device, int in_program);
// The four APRs that make the instrument play a patch: patch upper, patch lower, tone
// upper, tone lower.
std::vector<std::vector<uint8_t>> PatchSound(uint8_t in_device, const int8_t* in_patchBytes,
                                             const int8_t* in_upperTone,
                                             const int8_t* in_lowerTone);

// The message values of a tone or of one patch half, each the nearest valid value.
std::vector<uint8_t> ToneValues(const int8_t* in_toneBytes);
std::vector<uint8_t> PatchHalfValues(Half in_half, const int8_t* in_patchBytes);
// Writes message values into stored bytes (only the parameters' own bits), each as
// the nearest valid stored value.
void ApplyToneValues(const std::vector<std::pair<int, int>>& in_values, int8_t* io_toneBytes);
void ApplyPatchValues(Half in_half, const std::vector<std::pair<int, int>>& in_values,
                      int8_t* io_patchBytes);

// A current-sound message as received.
struct LiveMessage {
    enum class Type { Apr, Ipr, Pgr };
    Type type = Type::Apr;
    uint8_t device = 0;
    Kind kind = Kind::Tone;  // APR and IPR
    Half half = Half::Upper;
    // APR: (parameter number, value) for every parameter; IPR: each pair carried.
    std::vector<std::pair<int, int>> values;
    int program = 0;  // PGR
};
// The current-sound message in these bytes, or nothing when they are not a whole,
// well-formed one (wrong length, unknown level or group, a parameter number that
// does not exist, a data byte of 80H or more).
std::optional<LiveMessage> ParseLiveMessage(const uint8_t* in_message, size_t in_length);

}  // namespace mks80
