#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "mks80/Parameters.h"

class CSysExData;

// What kind of entry a bank holds at an index: a patch or a tone.
enum class EntryKind { Patch, Tone };

// "patch" or "tone".
const char* EntryKindText(EntryKind in_kind);

// One parameter byte that differs between two entries: its position and both values.
struct ByteDifference {
    int position = 0;
    int first = 0;
    int second = 0;
};

// One parameter whose stored value differs between two entries, with the text the
// panel shows for each side.
struct ParameterDifference {
    const mks80::Parameter* param = nullptr;
    mks80::Half half = mks80::Half::Upper;  // a patch's own parameters: which half
    std::string first;
    std::string second;
};

// One entry that differs between two banks. With no byte differences the two hold
// the same bytes under different names: the entry was only renamed.
struct EntryDifference {
    EntryKind kind = EntryKind::Patch;
    int index = 0;
    std::string firstName;
    std::string secondName;
    std::vector<ByteDifference> bytes;
    std::vector<ParameterDifference> parameters;  // the parameters those bytes hold

    bool IsRenamed() const { return bytes.empty(); }
};

// Every entry that differs between two banks: patches 11 to 88, then tones 11 to 88.
struct BankComparison {
    std::vector<EntryDifference> entries;

    // True when every parameter byte is the same (names may still differ).
    bool SameBytes() const;
    // True when bytes and names are all the same.
    bool Equal() const { return entries.empty(); }
    int RenamedCount() const;
};

BankComparison CompareBanks(const CSysExData& in_first, const CSysExData& in_second);

// The parameters whose stored values differ between two patches or two tones, in the
// instrument's order: a patch's shared parameters once, then the upper half's own,
// then the lower half's. A difference in bits no parameter uses names none.
std::vector<ParameterDifference> ParameterDifferences(EntryKind in_kind, const int8_t* in_first,
                                                      const int8_t* in_second);
// "VCF cutoff 40 > 72", "LFO-1 waveform Square > Triangle", "Upper glide 10 > 20".
std::string ParameterDifferenceText(const ParameterDifference& in_difference);

// One line (without its newline) that says how an entry differs, tab-separated:
//   differs TAB kind TAB number TAB first name TAB second name TAB pos:first>second ...
//   renamed TAB kind TAB number TAB first name TAB second name
// Names are escaped as EscapedEntryName says.
std::string DifferenceLine(const EntryDifference& in_difference);

// in_name as one tab-separated field on one line: the backslash written \\, TAB \t,
// LF \n, other bytes below 20H and 7FH \xNN (so no name can break a line or move a
// terminal's cursor).
std::string EscapedEntryName(const std::string& in_name);

// The positions and values of a difference as "3:5>7 13:5>9".
std::string ByteDifferenceText(const EntryDifference& in_difference);
