#include "bank/BankCompare.h"

#include <algorithm>

#include "bank/SysExData.h"

namespace {

template <typename Entry>
void CompareEntry(EntryKind in_kind, int in_index, const Entry& in_first, const Entry& in_second,
                  int in_count, std::vector<EntryDifference>& out_entries) {
    EntryDifference difference;
    const int8_t* first = in_first.GetData();
    const int8_t* second = in_second.GetData();
    for (int i = 0; i < in_count; ++i) {
        if (first[i] != second[i]) {
            difference.bytes.push_back({i, first[i], second[i]});
        }
    }
    std::string firstName = in_first.GetName();
    std::string secondName = in_second.GetName();
    if (difference.bytes.empty() && firstName == secondName) {
        return;
    }
    difference.kind = in_kind;
    difference.index = in_index;
    difference.parameters = ParameterDifferences(in_kind, first, second);
    difference.firstName = std::move(firstName);
    difference.secondName = std::move(secondName);
    out_entries.push_back(std::move(difference));
}

mks80::Kind KindOf(EntryKind in_kind) {
    return in_kind == EntryKind::Tone ? mks80::Kind::Tone : mks80::Kind::Patch;
}

}  // namespace

std::vector<ParameterDifference> ParameterDifferences(EntryKind in_kind, const int8_t* in_first,
                                                      const int8_t* in_second) {
    const mks80::Kind kind = KindOf(in_kind);
    std::vector<ParameterDifference> differences;
    for (mks80::Half half : {mks80::Half::Upper, mks80::Half::Lower}) {
        for (const mks80::Parameter& param : mks80::ParametersOf(kind)) {
            if (half == mks80::Half::Lower && (kind == mks80::Kind::Tone || param.shared)) {
                continue;
            }
            const int first = mks80::StoredValue(param, in_first, half);
            const int second = mks80::StoredValue(param, in_second, half);
            if (first != second) {
                differences.push_back({&param, half, mks80::ValueText(param, first),
                                       mks80::ValueText(param, second)});
            }
        }
    }
    return differences;
}

std::string ParameterDifferenceText(const ParameterDifference& in_difference) {
    const mks80::Parameter& param = *in_difference.param;
    std::string name = param.name;
    if (param.kind == mks80::Kind::Patch && !param.shared) {
        // "Glide" reads "Upper glide"; "VCO-1 bend" keeps its capitals.
        const bool word =
            name.size() > 1 && name[0] >= 'A' && name[0] <= 'Z' && name[1] >= 'a' && name[1] <= 'z';
        if (word) {
            name[0] = static_cast<char>(name[0] - 'A' + 'a');
        }
        name = (in_difference.half == mks80::Half::Upper ? "Upper " : "Lower ") + name;
    }
    return name + ' ' + in_difference.first + " > " + in_difference.second;
}

const char* EntryKindText(EntryKind in_kind) {
    return in_kind == EntryKind::Patch ? "patch" : "tone";
}

bool BankComparison::SameBytes() const {
    return std::all_of(entries.begin(), entries.end(),
                       [](const EntryDifference& in_each) { return in_each.IsRenamed(); });
}

int BankComparison::RenamedCount() const {
    return static_cast<int>(
        std::count_if(entries.begin(), entries.end(),
                      [](const EntryDifference& in_each) { return in_each.IsRenamed(); }));
}

BankComparison CompareBanks(const CSysExData& in_first, const CSysExData& in_second) {
    BankComparison comparison;
    for (int i = 0; i < BANK_SIZE; ++i) {
        CompareEntry(EntryKind::Patch, i, *in_first.GetPatch(i), *in_second.GetPatch(i),
                     PATCH_PARAM_COUNT, comparison.entries);
    }
    for (int i = 0; i < BANK_SIZE; ++i) {
        CompareEntry(EntryKind::Tone, i, *in_first.GetTone(i), *in_second.GetTone(i),
                     TONE_PARAM_COUNT, comparison.entries);
    }
    return comparison;
}

std::string ByteDifferenceText(const EntryDifference& in_difference) {
    std::string out;
    for (const ByteDifference& each : in_difference.bytes) {
        if (!out.empty()) {
            out += ' ';
        }
        out += std::to_string(each.position) + ':' + std::to_string(each.first) + '>' +
               std::to_string(each.second);
    }
    return out;
}

std::string DifferenceLine(const EntryDifference& in_difference) {
    std::string line = in_difference.IsRenamed() ? "renamed\t" : "differs\t";
    line += EntryKindText(in_difference.kind);
    line += '\t' + EntryNumber(in_difference.index) + '\t' +
            EscapedEntryName(in_difference.firstName) + '\t' +
            EscapedEntryName(in_difference.secondName);
    if (!in_difference.IsRenamed()) {
        line += '\t' + ByteDifferenceText(in_difference);
    }
    return line;
}

std::string EscapedEntryName(const std::string& in_name) {
    std::string text;
    text.reserve(in_name.size());
    for (const char c : in_name) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '\\') {
            text += "\\\\";
        } else if (c == '\t') {
            text += "\\t";
        } else if (c == '\n') {
            text += "\\n";
        } else if (byte < 0x20 || byte == 0x7F) {
            static const char kHex[] = "0123456789abcdef";
            text += "\\x";
            text += kHex[byte >> 4];
            text += kHex[byte & 0xF];
        } else {
            text += c;
        }
    }
    return text;
}
