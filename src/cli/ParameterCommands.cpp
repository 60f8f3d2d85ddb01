// quorlin-cli show --params and set: a sound read and changed parameter by parameter,
// by the instrument's numbers and the values its messages carry.
#include "cli/ParameterCommands.h"

#include <algorithm>
#include <optional>

#include "bank/BankFiles.h"
#include "bank/SysExData.h"
#include "cli/CliExit.h"
#include "cli/CliSupport.h"
#include "mks80/ParameterReadings.h"
#include "mks80/Parameters.h"
#include "ops/FileOps.h"
#include "platform/CommandLine.h"

namespace {

using mks80::Half;
using mks80::Kind;
using mks80::Parameter;

// Larger than any value and any parameter number, small enough for an int.
constexpr int kLargestNumber = 1000000;

struct Setting {
    const Parameter* param = nullptr;
    Half half = Half::Upper;
    int stored = 0;
};

// "VCF cutoff (tone parameter 24)", "Glide (upper parameter 8)".
std::string Named(Kind in_kind, const Parameter& in_param, Half in_half) {
    return std::string(in_param.name) + " (" + mks80::GroupName(in_kind, in_half) + " parameter " +
           std::to_string(in_param.number) + ")";
}

// The message values a parameter takes: "0 to 100", "0, 36 to 84 or 100", with the
// words of a switch: "0 to 2 (Keyboard, LFO-1, ENV-1)".
std::string ValuesOf(const Parameter& in_param) {
    std::vector<std::string> runs;
    int stored = 0;
    while (stored < in_param.steps) {
        int last = stored;
        while (last + 1 < in_param.steps &&
               mks80::MessageValue(in_param, last + 1) == mks80::MessageValue(in_param, last) + 1) {
            ++last;
        }
        const int from = mks80::MessageValue(in_param, stored);
        const int to = mks80::MessageValue(in_param, last);
        runs.push_back(from == to ? std::to_string(from)
                                  : std::to_string(from) + " to " + std::to_string(to));
        stored = last + 1;
    }
    std::string text;
    for (size_t i = 0; i < runs.size(); ++i) {
        text += (i == 0 ? "" : i + 1 == runs.size() ? " or " : ", ") + runs[i];
    }
    if (!in_param.IsContinuous()) {
        text += " (";
        for (size_t i = 0; i < in_param.words.size(); ++i) {
            text += std::string(i ? ", " : "") + in_param.words[i];
        }
        text += ")";
    }
    return text;
}

// Reads one SETTING: P=V for a tone, upper:P=V or lower:P=V for a patch. Says what
// is wrong and gives nothing back when it is not one of the sound's parameters with
// one of its values.
std::optional<Setting> ParseSetting(Kind in_kind, const std::string& in_text) {
    std::string rest = in_text;
    Setting setting;
    const size_t colon = rest.find(':');
    if (in_kind == Kind::Patch) {
        const std::string group = colon == std::string::npos ? "" : rest.substr(0, colon);
        if (group != "upper" && group != "lower") {
            (void)UsageError("a patch setting is upper:P=V or lower:P=V, not " + in_text);
            return std::nullopt;
        }
        setting.half = group == "upper" ? Half::Upper : Half::Lower;
        rest.erase(0, colon + 1);
    } else if (colon != std::string::npos) {
        (void)UsageError("a tone setting is P=V, not " + in_text);
        return std::nullopt;
    }
    const size_t equals = rest.find('=');
    int number = -1;
    if (equals == std::string::npos ||
        !platform::ParseWholeNumber(rest.substr(0, equals), 0, kLargestNumber, number)) {
        (void)UsageError("a setting names a parameter by its number and gives a value, as " +
                         std::string(in_kind == Kind::Tone ? "24=72" : "upper:8=40") + "; not " +
                         in_text);
        return std::nullopt;
    }
    setting.param = mks80::FindParameter(in_kind, number);
    if (setting.param == nullptr) {
        const int last = static_cast<int>(mks80::ParametersOf(in_kind).size()) - 1;
        (void)Fail(kExitUsage, in_text + ": there is no " +
                                   mks80::GroupName(in_kind, setting.half) + " parameter " +
                                   std::to_string(number) + " (they are 0 to " +
                                   std::to_string(last) + ")");
        return std::nullopt;
    }
    const std::string valueText = rest.substr(equals + 1);
    int value = -1;
    if (platform::ParseWholeNumber(valueText, 0, kLargestNumber, value)) {
        setting.stored = mks80::StoredFromMessage(*setting.param, value);
    }
    if (value < 0 || setting.stored < 0) {
        (void)Fail(kExitUsage, in_text + ": " + Named(in_kind, *setting.param, setting.half) +
                                   " takes " + ValuesOf(*setting.param) + ", not " +
                                   (valueText.empty() ? "nothing" : valueText));
        return std::nullopt;
    }
    return setting;
}

}  // namespace

int PrintParameters(const CSysExData& in_bank, int in_index, bool in_patch) {
    const int8_t* bytes =
        in_patch ? in_bank.GetPatch(in_index)->GetData() : in_bank.GetTone(in_index)->GetData();
    return Print(mks80::ParameterLines(in_patch ? Kind::Patch : Kind::Tone, bytes));
}

int RunSetCommand(std::vector<std::string> in_args) {
    InputRules rules;
    rules.wholeBank = true;
    rules.partial = TakeFlag(in_args, "--partial");
    rules.force = TakeFlag(in_args, "--force");
    std::string output;
    std::vector<std::string> positional;
    for (size_t i = 0; i < in_args.size(); ++i) {
        const std::string& arg = in_args[i];
        if (arg == "-o") {
            if (i + 1 >= in_args.size() || in_args[i + 1].empty()) {
                return UsageError("-o needs the name of the bank file to write");
            }
            output = in_args[++i];
        } else if (arg.size() > 1 && arg[0] == '-') {
            return UsageError("unknown option " + arg + " for set");
        } else {
            positional.push_back(arg);
        }
    }
    if (positional.size() < 4) {
        return UsageError(
            "set takes a file name, an entry number, patch or tone, and at least one setting");
    }
    int index = -1;
    bool isTone = false;
    if (int code = ParseEntry("set", positional[1], positional[2], index, isTone);
        code != kExitOk) {
        return code;
    }
    const Kind kind = isTone ? Kind::Tone : Kind::Patch;
    std::vector<Setting> settings;
    for (size_t i = 3; i < positional.size(); ++i) {
        const std::optional<Setting> setting = ParseSetting(kind, positional[i]);
        if (!setting) {
            return kExitUsage;
        }
        settings.push_back(*setting);
    }
    const std::string target = output.empty() ? positional[0] : output;
    // A recorded dump keeps no names; only a bank file can keep every one of them.
    if (ops::FormatOfName(target) != ops::FileFormat::BankFile) {
        return UsageError(target + ": names are kept only in a bank file ending in .m80");
    }

    CNullBankView view;
    CSysExData bank(&view);
    BankReadReport report;
    if (int code = ReadInput(positional[0], bank, rules, &report)) {
        return code;
    }
    KeepEmptyNames(bank, report);
    CPatchData* patch = kind == Kind::Patch ? bank.GetPatch(index) : nullptr;
    CToneData* tone = kind == Kind::Tone ? bank.GetTone(index) : nullptr;
    const int8_t* current = patch ? patch->GetData() : tone->GetData();
    std::vector<int8_t> bytes(current, current + (patch ? PATCH_PARAM_COUNT : TONE_PARAM_COUNT));
    for (const Setting& setting : settings) {
        mks80::SetStoredValue(*setting.param, setting.stored, bytes.data(), setting.half);
    }
    // Through SetData, so an entry that was never loaded becomes a loaded one; an
    // entry left as it was keeps its name whatever it is.
    if (!std::equal(bytes.begin(), bytes.end(), current)) {
        if (patch) {
            patch->SetData(bytes.data());
        } else {
            tone->SetData(bytes.data());
        }
    }
    return WriteOutput(target, BankFileBytes(bank));
}
