#include "mks80/Parameters.h"

#include <array>
#include <cstdlib>

namespace mks80 {

namespace {

using W = std::vector<const char*>;

const W kOffOn = {"Off", "On"};
const W kInvertedNormal = {"Inverted", "Normal"};
const W kInvertedOffNormal = {"Inverted", "Off", "Normal"};
const W kBend = {"Off", "Normal", "Wide"};

// A value that has its byte to itself, 0 to 100.
Parameter Level(int in_number, const char* in_name, const char* in_label, Section in_section,
                int in_byte, bool in_shared = false) {
    return {in_number, in_name,        in_label, in_section,      in_byte, 0,        8,
            101,       Storage::Plain, 0,        Display::Number, {},      in_shared};
}

// A switch: a bit field whose stored values are its words.
Parameter Switch(int in_number, const char* in_name, const char* in_label, Section in_section,
                 int in_byte, int in_firstBit, int in_bitCount, const W& in_words) {
    return {in_number,      in_name,     in_label,       in_section,
            in_byte,        in_firstBit, in_bitCount,    static_cast<int>(in_words.size()),
            Storage::Plain, 0,           Display::Words, in_words,
            false};
}

std::vector<Parameter> MakeToneParameters() {
    using S = Section;
    return {
        Level(0, "LFO-1 rate", "Rate", S::Lfo1, 0),
        Level(1, "LFO-1 delay", "Delay", S::Lfo1, 1),
        Switch(2, "LFO-1 waveform", "Waveform", S::Lfo1, 33, 0, 2,
               {"Random", "Square", "Sawtooth", "Triangle"}),
        Level(3, "VCO modulation: LFO-1 depth", "LFO-1 depth", S::VcoModulation, 2),
        Level(4, "VCO modulation: ENV-1 depth", "ENV-1 depth", S::VcoModulation, 3),
        Level(5, "Pulse width", "Pulse width", S::Pwm, 4),
        Level(6, "PWM depth", "Depth", S::Pwm, 5),
        Switch(7, "PWM mode", "Mode", S::Pwm, 33, 2, 2, {"Keyboard", "LFO-1", "ENV-1"}),
        Switch(8, "PWM polarity", "Polarity", S::Pwm, 34, 0, 1, kInvertedNormal),
        Level(9, "VCO key follow", "Key follow", S::VcoModulation, 6),
        Switch(10, "VCO select", "VCO select", S::VcoModulation, 34, 2, 2,
               {"VCO-2", "Off", "VCO-1"}),
        Level(11, "Cross-mod manual depth", "Manual depth", S::CrossMod, 7),
        Level(12, "Cross-mod ENV-1 depth", "ENV-1 depth", S::CrossMod, 8),
        Switch(13, "Cross-mod polarity", "Polarity", S::CrossMod, 34, 1, 1, kInvertedNormal),
        Switch(14, "VCO-1 modulation", "Modulation", S::Vco1, 35, 0, 2, kInvertedOffNormal),
        {15,
         "VCO-1 range",
         "Range",
         S::Vco1,
         9,
         0,
         8,
         49,
         Storage::Offset,
         36,
         Display::Note,
         {},
         false},
        Switch(16, "VCO-1 waveform", "Waveform", S::Vco1, 37, 0, 2,
               {"Square", "Pulse", "Sawtooth", "Triangle"}),
        Switch(17, "Sync", "Sync", S::Vco1, 38, 0, 2,
               {"VCO-1 \u2190 VCO-2", "Off", "VCO-1 \u2192 VCO-2"}),
        Switch(18, "VCO-2 modulation", "Modulation", S::Vco2, 35, 2, 2, kInvertedOffNormal),
        {19,
         "VCO-2 range",
         "Range",
         S::Vco2,
         10,
         0,
         8,
         51,
         Storage::Vco2Range,
         0,
         Display::Vco2Range,
         {},
         false},
        Level(20, "VCO-2 fine tune", "Fine tune", S::Vco2, 11),
        Switch(21, "VCO-2 waveform", "Waveform", S::Vco2, 37, 2, 2,
               {"Noise", "Pulse", "Sawtooth", "Triangle"}),
        Level(22, "Mixer", "Mixer", S::Mixer, 12),
        Level(23, "HPF cutoff", "Cutoff", S::Hpf, 13),
        Level(24, "VCF cutoff", "Cutoff", S::Vcf, 14),
        Level(25, "VCF resonance", "Resonance", S::Vcf, 15),
        Switch(26, "VCF envelope select", "Envelope", S::Vcf, 36, 0, 1, {"ENV-2", "ENV-1"}),
        Switch(27, "VCF envelope polarity", "Envelope polarity", S::Vcf, 36, 1, 1, kInvertedNormal),
        Level(28, "VCF envelope depth", "Envelope depth", S::Vcf, 16),
        Level(29, "VCF LFO-1 depth", "LFO-1 depth", S::Vcf, 17),
        Level(30, "VCF key follow", "Key follow", S::Vcf, 18),
        Level(31, "VCA ENV-2 level", "ENV-2 level", S::Vca, 19),
        Level(32, "VCA LFO-1 depth", "LFO-1 depth", S::Vca, 20),
        Level(33, "Dynamics time", "Dynamics time", S::Vca, 21),
        Level(34, "Dynamics level", "Dynamics level", S::Vca, 22),
        Switch(35, "Envelope reset", "Envelope reset", S::Env1, 38, 2, 1, kOffOn),
        Switch(36, "ENV-1 dynamics", "Dynamics", S::Env1, 36, 2, 1, kOffOn),
        Level(37, "ENV-1 attack", "Attack", S::Env1, 23),
        Level(38, "ENV-1 decay", "Decay", S::Env1, 24),
        Level(39, "ENV-1 sustain", "Sustain", S::Env1, 25),
        Level(40, "ENV-1 release", "Release", S::Env1, 26),
        Level(41, "ENV-1 key follow", "Key follow", S::Env1, 27),
        Switch(42, "ENV-2 dynamics", "Dynamics", S::Env2, 36, 3, 1, kOffOn),
        Level(43, "ENV-2 attack", "Attack", S::Env2, 28),
        Level(44, "ENV-2 decay", "Decay", S::Env2, 29),
        Level(45, "ENV-2 sustain", "Sustain", S::Env2, 30),
        Level(46, "ENV-2 release", "Release", S::Env2, 31),
        Level(47, "ENV-2 key follow", "Key follow", S::Env2, 32),
    };
}

std::vector<Parameter> MakePatchParameters() {
    using S = Section;
    std::vector<Parameter> params = {
        Switch(0, "Key mode", "Key mode", S::Common, 0, 0, 8,
               {"Dual", "Split 1", "Split 2", "Whole"}),
        {1,
         "Split point",
         "Split point",
         S::Common,
         1,
         0,
         8,
         88,
         Storage::Offset,
         21,
         Display::Note,
         {},
         true},
        Level(2, "Balance", "Balance", S::Common, 2, true),
        {3,
         "Tone number",
         "Tone",
         S::PatchHalf,
         3,
         0,
         8,
         64,
         Storage::Plain,
         0,
         Display::ToneNumber,
         {},
         false},
        Switch(4, "Octave shift", "Octave shift", S::PatchHalf, 7, 1, 3,
               {"-2 oct", "-1 oct", "0", "+1 oct", "+2 oct"}),
        Switch(5, "Assign mode", "Assign mode", S::PatchHalf, 4, 0, 3,
               {"Solo", "Unison 1", "Unison 2", "Poly 1", "Poly 2"}),
        Level(6, "Unison detune", "Unison detune", S::PatchHalf, 8),
        Switch(7, "Hold", "Hold", S::PatchHalf, 5, 0, 2, {"Off", "On", "Damper pedal"}),
        Level(8, "Glide", "Glide", S::PatchHalf, 9),
        Level(9, "Bender sensitivity", "Bender sensitivity", S::PatchHalf, 10),
        Switch(10, "VCO-1 bend", "VCO-1 bend", S::PatchHalf, 6, 0, 2, kBend),
        Switch(11, "VCO-2 bend", "VCO-2 bend", S::PatchHalf, 6, 2, 2, kBend),
        Level(12, "Aftertouch sensitivity", "Aftertouch sensitivity", S::PatchHalf, 11),
        Switch(13, "Aftertouch mode", "Aftertouch mode", S::PatchHalf, 7, 0, 1,
               {"VCF cutoff", "VCO modulation (LFO-2)"}),
        Level(14, "LFO-2 rate", "LFO-2 rate", S::PatchHalf, 12),
    };
    // The key mode is a whole byte, but shared like the other two.
    params[0].shared = true;
    for (Parameter& param : params) {
        param.kind = Kind::Patch;
    }
    return params;
}

// For each stored byte, the bits some parameter uses.
template <size_t N>
std::array<uint8_t, N> UsedBits(const std::vector<Parameter>& in_params, bool in_patch) {
    std::array<uint8_t, N> used{};
    for (const Parameter& param : in_params) {
        const int mask = param.bitCount >= 8 ? 0xFF : ((1 << param.bitCount) - 1) << param.firstBit;
        used[param.byte] |= static_cast<uint8_t>(mask);
        if (in_patch && !param.shared) {
            used[param.byte + PATCH_LOWER_OFFSET] |= static_cast<uint8_t>(mask);
        }
    }
    return used;
}

const std::array<uint8_t, TONE_BYTES>& ToneUsedBits() {
    static const auto used = UsedBits<TONE_BYTES>(ToneParameters(), false);
    return used;
}

const std::array<uint8_t, PATCH_BYTES>& PatchUsedBits() {
    static const auto used = UsedBits<PATCH_BYTES>(PatchParameters(), true);
    return used;
}

int Vco2Value(int in_stored) {
    if (in_stored == 0) {
        return 0;
    }
    return in_stored == 50 ? 100 : in_stored + 35;
}

}  // namespace

const char* SectionName(Section in_section) {
    switch (in_section) {
        case Section::Lfo1:
            return "LFO-1";
        case Section::VcoModulation:
            return "VCO modulation";
        case Section::Pwm:
            return "PWM";
        case Section::CrossMod:
            return "Cross-mod";
        case Section::Vco1:
            return "VCO-1";
        case Section::Vco2:
            return "VCO-2";
        case Section::Mixer:
            return "Mixer";
        case Section::Hpf:
            return "HPF";
        case Section::Vcf:
            return "VCF";
        case Section::Vca:
            return "VCA";
        case Section::Env1:
            return "ENV-1";
        case Section::Env2:
            return "ENV-2";
        case Section::Common:
            return "Common";
        case Section::PatchHalf:
            return "Patch";
    }
    return "";
}

const std::vector<Parameter>& ToneParameters() {
    static const std::vector<Parameter> params = MakeToneParameters();
    return params;
}

const std::vector<Parameter>& PatchParameters() {
    static const std::vector<Parameter> params = MakePatchParameters();
    return params;
}

const std::vector<Parameter>& ParametersOf(Kind in_kind) {
    return in_kind == Kind::Tone ? ToneParameters() : PatchParameters();
}

const Parameter* FindParameter(Kind in_kind, int in_number) {
    const std::vector<Parameter>& params = ParametersOf(in_kind);
    if (in_number < 0 || in_number >= static_cast<int>(params.size())) {
        return nullptr;
    }
    return &params[static_cast<size_t>(in_number)];
}

int StoredValue(const Parameter& in_param, const int8_t* in_bytes, Half in_half) {
    const int byte = static_cast<uint8_t>(in_bytes[in_param.ByteIn(in_half)]);
    if (in_param.bitCount >= 8) {
        return byte;
    }
    return (byte >> in_param.firstBit) & ((1 << in_param.bitCount) - 1);
}

void SetStoredValue(const Parameter& in_param, int in_stored, int8_t* io_bytes, Half in_half) {
    int8_t& target = io_bytes[in_param.ByteIn(in_half)];
    if (in_param.bitCount >= 8) {
        target = static_cast<int8_t>(in_stored);
        return;
    }
    const int mask = ((1 << in_param.bitCount) - 1) << in_param.firstBit;
    const int byte = static_cast<uint8_t>(target);
    target = static_cast<int8_t>((byte & ~mask) | ((in_stored << in_param.firstBit) & mask));
}

int ValidStored(const Parameter& in_param, int in_stored) {
    if (in_stored < 0) {
        return 0;
    }
    return in_stored >= in_param.steps ? in_param.steps - 1 : in_stored;
}

int MessageValue(const Parameter& in_param, int in_stored) {
    if (!IsValidStored(in_param, in_stored)) {
        return in_stored;
    }
    switch (in_param.storage) {
        case Storage::Plain:
            return in_stored;
        case Storage::Offset:
            return in_stored + in_param.offset;
        case Storage::Vco2Range:
            return Vco2Value(in_stored);
    }
    return in_stored;
}

int StoredFromMessage(const Parameter& in_param, int in_value) {
    int stored = -1;
    switch (in_param.storage) {
        case Storage::Plain:
            stored = in_value;
            break;
        case Storage::Offset:
            stored = in_value - in_param.offset;
            break;
        case Storage::Vco2Range:
            if (in_value == 0) {
                stored = 0;
            } else if (in_value == 100) {
                stored = 50;
            } else if (in_value >= 36 && in_value <= 84) {
                stored = in_value - 35;
            }
            break;
    }
    return IsValidStored(in_param, stored) ? stored : -1;
}

int NearestStored(const Parameter& in_param, int in_value) {
    int best = 0;
    int bestDistance = -1;
    for (int stored = 0; stored < in_param.steps; ++stored) {
        const int distance = std::abs(MessageValue(in_param, stored) - in_value);
        if (bestDistance < 0 || distance < bestDistance) {
            best = stored;
            bestDistance = distance;
        }
    }
    return best;
}

int MinMessageValue(const Parameter& in_param) {
    return MessageValue(in_param, 0);
}

int MaxMessageValue(const Parameter& in_param) {
    return MessageValue(in_param, in_param.steps - 1);
}

std::string NoteName(int in_note) {
    static const char* const kNames[12] = {"C",  "C#", "D",  "D#", "E",  "F",
                                           "F#", "G",  "G#", "A",  "A#", "B"};
    if (in_note < 0) {
        return std::to_string(in_note);
    }
    return std::string(kNames[in_note % 12]) + std::to_string(in_note / 12 - 1);
}

std::string ValueText(const Parameter& in_param, int in_stored) {
    if (!IsValidStored(in_param, in_stored)) {
        return std::to_string(in_stored) + " (out of range)";
    }
    const int value = MessageValue(in_param, in_stored);
    switch (in_param.display) {
        case Display::Number:
            return std::to_string(value);
        case Display::Note:
            return NoteName(value);
        case Display::Vco2Range:
            if (value == 0) {
                return "Low";
            }
            return value == 100 ? "High" : NoteName(value);
        case Display::Words:
            return in_param.words[static_cast<size_t>(in_stored)];
        case Display::ToneNumber:
            return std::string{static_cast<char>('1' + value / 8),
                               static_cast<char>('1' + value % 8)};
    }
    return std::to_string(value);
}

bool HasUnusedBitsSet(Kind in_kind, const Parameter& in_param, const int8_t* in_bytes,
                      Half in_half) {
    const int index = in_param.ByteIn(in_half);
    const uint8_t used = in_kind == Kind::Tone ? ToneUsedBits()[static_cast<size_t>(index)]
                                               : PatchUsedBits()[static_cast<size_t>(index)];
    return (static_cast<uint8_t>(in_bytes[index]) & ~used) != 0;
}

void ClearUnusedBits(Kind in_kind, const Parameter& in_param, int8_t* io_bytes, Half in_half) {
    const int index = in_param.ByteIn(in_half);
    const uint8_t used = in_kind == Kind::Tone ? ToneUsedBits()[static_cast<size_t>(index)]
                                               : PatchUsedBits()[static_cast<size_t>(index)];
    io_bytes[index] = static_cast<int8_t>(static_cast<uint8_t>(io_bytes[index]) & used);
}

std::string StoredText(Kind in_kind, const Parameter& in_param, const int8_t* in_bytes,
                       Half in_half) {
    std::string text = ValueText(in_param, StoredValue(in_param, in_bytes, in_half));
    if (HasUnusedBitsSet(in_kind, in_param, in_bytes, in_half)) {
        text += " (unused bits set)";
    }
    return text;
}

}  // namespace mks80
