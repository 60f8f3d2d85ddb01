#include "mks80/Messages.h"

#include <algorithm>

namespace mks80 {

namespace {

const uint8_t kName[7] = {'M', 'K', 'S', '-', '8', '0', 0x00};

uint8_t LevelByte(Kind in_kind) {
    return in_kind == Kind::Tone ? LEVEL_TONE : LEVEL_PATCH;
}

uint8_t GroupByte(Half in_half) {
    return in_half == Half::Upper ? GROUP_UPPER : GROUP_LOWER;
}

std::vector<uint8_t> Start(uint8_t in_command, uint8_t in_device) {
    return {SYSEX_START, ROLAND_ID, in_command, static_cast<uint8_t>(in_device & 0x0F),
            FORMAT_BYTE};
}

std::vector<uint8_t> Values(Kind in_kind, Half in_half, const int8_t* in_bytes) {
    std::vector<uint8_t> values;
    for (const Parameter& param : ParametersOf(in_kind)) {
        const int stored = ValidStored(param, StoredValue(param, in_bytes, in_half));
        values.push_back(static_cast<uint8_t>(MessageValue(param, stored)));
    }
    return values;
}

std::vector<uint8_t> Apr(uint8_t in_device, Kind in_kind, Half in_half, const int8_t* in_bytes) {
    std::vector<uint8_t> message = Start(CMD_APR, in_device);
    message.push_back(LevelByte(in_kind));
    message.push_back(GroupByte(in_half));
    const std::vector<uint8_t> values = Values(in_kind, in_half, in_bytes);
    message.insert(message.end(), values.begin(), values.end());
    message.push_back(SYSEX_END);
    return message;
}

void Apply(Kind in_kind, Half in_half, const std::vector<std::pair<int, int>>& in_values,
           int8_t* io_bytes) {
    for (const auto& [number, value] : in_values) {
        if (const Parameter* param = FindParameter(in_kind, number)) {
            SetStoredValue(*param, NearestStored(*param, value), io_bytes, in_half);
        }
    }
}

}  // namespace

std::array<uint8_t, HANDSHAKE_HEADER_SIZE> HandshakeHeader(uint8_t in_command, uint8_t in_device) {
    return {SYSEX_START, ROLAND_ID, in_command, in_device, FORMAT_BYTE};
}

std::array<uint8_t, SHORT_HANDSHAKE_SIZE> ShortHandshake(uint8_t in_command, uint8_t in_device) {
    return {SYSEX_START, ROLAND_ID, in_command, in_device, FORMAT_BYTE, SYSEX_END};
}

std::array<uint8_t, NAMED_HANDSHAKE_SIZE> NamedHandshake(uint8_t in_command, uint8_t in_device) {
    std::array<uint8_t, NAMED_HANDSHAKE_SIZE> message{};
    const auto header = HandshakeHeader(in_command, in_device);
    std::copy(header.begin(), header.end(), message.begin());
    std::copy(std::begin(kName), std::end(kName), message.begin() + HANDSHAKE_HEADER_SIZE);
    message.back() = SYSEX_END;
    return message;
}

bool IsHandshakeMessage(const uint8_t* in_message, size_t in_length) {
    return in_length >= SHORT_HANDSHAKE_SIZE && in_message[0] == SYSEX_START &&
           in_message[1] == ROLAND_ID && in_message[4] == FORMAT_BYTE &&
           in_message[in_length - 1] == SYSEX_END;
}

std::vector<uint8_t> ToneApr(uint8_t in_device, Half in_half, const int8_t* in_toneBytes) {
    return Apr(in_device, Kind::Tone, in_half, in_toneBytes);
}

std::vector<uint8_t> PatchApr(uint8_t in_device, Half in_half, const int8_t* in_patchBytes) {
    return Apr(in_device, Kind::Patch, in_half, in_patchBytes);
}

std::vector<uint8_t> Ipr(uint8_t in_device, Kind in_kind, Half in_half,
                         const std::vector<std::pair<int, int>>& in_changes) {
    std::vector<uint8_t> message = Start(CMD_IPR, in_device);
    message.push_back(LevelByte(in_kind));
    message.push_back(GroupByte(in_half));
    for (const auto& [number, value] : in_changes) {
        message.push_back(static_cast<uint8_t>(number & 0x7F));
        message.push_back(static_cast<uint8_t>(std::clamp(value, 0, 0x7F)));
    }
    message.push_back(SYSEX_END);
    return message;
}

std::vector<uint8_t> Pgr(uint8_t in_device, int in_program) {
    std::vector<uint8_t> message = Start(CMD_PGR, in_device);
    const uint8_t rest[6] = {LEVEL_PATCH, 0x00,     0x00, static_cast<uint8_t>(in_program & 0x3F),
                             0x00,        SYSEX_END};
    message.insert(message.end(), std::begin(rest), std::end(rest));
    return message;
}

std::vector<std::vector<uint8_t>> PatchSound(uint8_t in_device, const int8_t* in_patchBytes,
                                             const int8_t* in_upperTone,
                                             const int8_t* in_lowerTone) {
    return {PatchApr(in_device, Half::Upper, in_patchBytes),
            PatchApr(in_device, Half::Lower, in_patchBytes),
            ToneApr(in_device, Half::Upper, in_upperTone),
            ToneApr(in_device, Half::Lower, in_lowerTone)};
}

std::vector<uint8_t> ToneValues(const int8_t* in_toneBytes) {
    return Values(Kind::Tone, Half::Upper, in_toneBytes);
}

std::vector<uint8_t> PatchHalfValues(Half in_half, const int8_t* in_patchBytes) {
    return Values(Kind::Patch, in_half, in_patchBytes);
}

void ApplyToneValues(const std::vector<std::pair<int, int>>& in_values, int8_t* io_toneBytes) {
    Apply(Kind::Tone, Half::Upper, in_values, io_toneBytes);
}

void ApplyPatchValues(Half in_half, const std::vector<std::pair<int, int>>& in_values,
                      int8_t* io_patchBytes) {
    Apply(Kind::Patch, in_half, in_values, io_patchBytes);
}

std::optional<LiveMessage> ParseLiveMessage(const uint8_t* in_message, size_t in_length) {
    // The shortest is an IPR of one pair.
    if (in_length < 10 || in_message[0] != SYSEX_START || in_message[1] != ROLAND_ID ||
        in_message[3] > 0x0F || in_message[4] != FORMAT_BYTE ||
        in_message[in_length - 1] != SYSEX_END) {
        return std::nullopt;
    }
    for (size_t i = 1; i + 1 < in_length; ++i) {
        if (in_message[i] & 0x80) {
            return std::nullopt;
        }
    }
    LiveMessage live;
    live.device = in_message[3];
    const uint8_t command = in_message[2];
    if (command == CMD_PGR) {
        if (in_length != PGR_SIZE || in_message[5] != LEVEL_PATCH || in_message[6] != 0 ||
            in_message[7] != 0 || in_message[8] >= 64 || in_message[9] != 0) {
            return std::nullopt;
        }
        live.type = LiveMessage::Type::Pgr;
        live.program = in_message[8];
        return live;
    }
    if (command != CMD_APR && command != CMD_IPR) {
        return std::nullopt;
    }
    const uint8_t level = in_message[5];
    const uint8_t group = in_message[6];
    if ((level != LEVEL_TONE && level != LEVEL_PATCH) ||
        (group != GROUP_UPPER && group != GROUP_LOWER)) {
        return std::nullopt;
    }
    live.kind = level == LEVEL_TONE ? Kind::Tone : Kind::Patch;
    live.half = group == GROUP_UPPER ? Half::Upper : Half::Lower;
    const size_t count = ParametersOf(live.kind).size();
    const size_t body = in_length - 8;
    if (command == CMD_APR) {
        if (body != count) {
            return std::nullopt;
        }
        live.type = LiveMessage::Type::Apr;
        for (size_t i = 0; i < count; ++i) {
            live.values.emplace_back(static_cast<int>(i), in_message[7 + i]);
        }
        return live;
    }
    if (body == 0 || body % 2 != 0) {
        return std::nullopt;
    }
    live.type = LiveMessage::Type::Ipr;
    for (size_t i = 0; i < body; i += 2) {
        if (in_message[7 + i] >= count) {
            return std::nullopt;
        }
        live.values.emplace_back(in_message[7 + i], in_message[8 + i]);
    }
    return live;
}

}  // namespace mks80
