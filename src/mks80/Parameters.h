#pragma once

#include <cstdint>
#include <string>
#include <vector>

// The MKS-80's sound parameters: where each lives in a tone's 39 or a patch's 23
// stored bytes, its range, its words, and how a stored value becomes the number
// the instrument's messages carry. Everything that shows, edits, sends, blends or
// compares a parameter reads this one table.
namespace mks80 {

constexpr int TONE_BYTES = 39;
constexpr int PATCH_BYTES = 23;
constexpr int TONE_PARAMETERS = 48;
constexpr int PATCH_HALF_PARAMETERS = 15;

// A patch: bytes 0 to 2 are shared by both halves; the upper half's own bytes are
// 3 to 12, the lower half's the same at 13 to 22.
constexpr int PATCH_SHARED_BYTES = 3;
constexpr int PATCH_LOWER_OFFSET = 10;
// The bytes naming the tones the two halves play (0 is tone "11", 63 is "88").
constexpr int PATCH_UPPER_TONE_BYTE = 3;
constexpr int PATCH_LOWER_TONE_BYTE = 13;
constexpr int PATCH_TONE_PARAMETER = 3;
// The key mode (a shared byte); in "Whole" the patch plays its upper tone alone.
constexpr int PATCH_KEY_MODE_BYTE = 0;
constexpr int KEY_MODE_WHOLE = 3;

enum class Kind { Tone, Patch };
enum class Half { Upper, Lower };

enum class Section {
    Lfo1,
    VcoModulation,
    Pwm,
    CrossMod,
    Vco1,
    Vco2,
    Mixer,
    Hpf,
    Vcf,
    Vca,
    Env1,
    Env2,
    // A patch: key mode, split point, balance; then each half's own.
    Common,
    PatchHalf,
};
// "LFO-1", "VCO modulation", ..., "Common", "Patch".
const char* SectionName(Section in_section);

// How a valid stored value becomes the value in the instrument's messages.
enum class Storage {
    Plain,      // the same number
    Offset,     // stored + offset (VCO-1 range, split point)
    Vco2Range,  // 0 is 0 (low), 1 to 49 are + 35, 50 is 100 (high)
};

// How the value reads for a person.
enum class Display {
    Number,      // "72"
    Note,        // the message value as a note, 60 is "C4"
    Vco2Range,   // "Low", a note, "High"
    Words,       // the word for the stored value
    ToneNumber,  // the tone's entry number, "11" to "88"
};

struct Parameter {
    int number;         // the instrument's parameter number, the position in an APR
    const char* name;   // the full name, "VCF cutoff"
    const char* label;  // the name within its section, "Cutoff"
    Section section;
    int byte;      // a tone's byte, or the upper half's byte of a patch
    int firstBit;  // the lowest bit of the field
    int bitCount;  // 8 for a value that has its byte to itself
    int steps;     // the stored values 0 to steps - 1 are valid
    Storage storage;
    int offset;  // with Storage::Offset
    Display display;
    std::vector<const char*> words;  // with Display::Words, one per stored value
    bool shared;                     // a patch's bytes 0 to 2: the same in both halves
    Kind kind = Kind::Tone;

    // A value with more than a handful of settings: a slider, not a choice.
    bool IsContinuous() const { return words.empty(); }
    int ByteIn(Half in_half) const {
        const bool ownByte = kind == Kind::Patch && !shared && in_half == Half::Lower;
        return ownByte ? byte + PATCH_LOWER_OFFSET : byte;
    }
};

// The 48 tone parameters and the 15 of a patch half, in the instrument's order:
// element i has number i.
const std::vector<Parameter>& ToneParameters();
const std::vector<Parameter>& PatchParameters();
const std::vector<Parameter>& ParametersOf(Kind in_kind);
// Null when in_number is not a parameter of that kind.
const Parameter* FindParameter(Kind in_kind, int in_number);

// The stored value of a parameter as the bytes hold it (may be out of range).
int StoredValue(const Parameter& in_param, const int8_t* in_bytes, Half in_half = Half::Upper);
// Writes only the parameter's own bits; in_stored must be valid (0 to steps - 1).
void SetStoredValue(const Parameter& in_param, int in_stored, int8_t* io_bytes,
                    Half in_half = Half::Upper);
inline bool IsValidStored(const Parameter& in_param, int in_stored) {
    return in_stored >= 0 && in_stored < in_param.steps;
}
// The nearest valid stored value: what a message carries for a damaged value.
int ValidStored(const Parameter& in_param, int in_stored);

// The value in the instrument's messages of a valid stored value; an invalid one is
// given back as stored.
int MessageValue(const Parameter& in_param, int in_stored);
// The stored value for a message value, or -1 when the parameter has no such value.
int StoredFromMessage(const Parameter& in_param, int in_value);
// The stored value nearest to a message value (what the instrument would do with it).
int NearestStored(const Parameter& in_param, int in_value);
// The smallest and largest message values.
int MinMessageValue(const Parameter& in_param);
int MaxMessageValue(const Parameter& in_param);

// What the panel shows: "C4", "-1 oct", "Triangle", "72"; a value out of range as
// stored and marked: "120 (out of range)".
std::string ValueText(const Parameter& in_param, int in_stored);
// True when the parameter's byte has a bit set that no parameter uses.
bool HasUnusedBitsSet(Kind in_kind, const Parameter& in_param, const int8_t* in_bytes,
                      Half in_half = Half::Upper);
// Clears the bits of the parameter's byte that no parameter uses, so that an edit
// leaves a byte the instrument could have sent.
void ClearUnusedBits(Kind in_kind, const Parameter& in_param, int8_t* io_bytes,
                     Half in_half = Half::Upper);
// What the panel and show --params print for the parameter in these bytes: the
// value text, marked when the byte has unused bits set.
std::string StoredText(Kind in_kind, const Parameter& in_param, const int8_t* in_bytes,
                       Half in_half = Half::Upper);

// The note name of a MIDI note number, 60 is "C4".
std::string NoteName(int in_note);

}  // namespace mks80
