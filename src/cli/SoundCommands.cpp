// quorlin-cli blend, mutate and similar: new sounds from old ones, and the library's
// sounds nearest to one.
#include "cli/SoundCommands.h"

#include <algorithm>
#include <cstdio>
#include <random>

#include "bank/BankCompare.h"
#include "bank/BankFiles.h"
#include "bank/LibraryIndex.h"
#include "bank/SysExData.h"
#include "cli/CliExit.h"
#include "cli/CliSupport.h"
#include "mks80/NewSounds.h"
#include "ops/FileOps.h"
#include "platform/CommandLine.h"

namespace {

constexpr int kDefaultSimilarCount = 50;
constexpr int kMostSimilarCount = 1000000;

struct SoundArgs {
    std::vector<std::string> positional;
    std::string output;   // -o
    std::string seed;     // --seed
    std::string library;  // --library
    std::string count;    // --count
    bool force = false;
    bool partial = false;
};

// Sorts the arguments of in_command into positional ones and the options it takes
// (those in in_valueOptions with a value); kExitOk or the exit code of a usage error.
int ParseSoundArgs(const std::vector<std::string>& in_args, const std::string& in_command,
                   const std::vector<std::string>& in_valueOptions, SoundArgs& out_args) {
    for (size_t i = 0; i < in_args.size(); ++i) {
        const std::string& arg = in_args[i];
        const bool takes =
            std::find(in_valueOptions.begin(), in_valueOptions.end(), arg) != in_valueOptions.end();
        if (takes) {
            if (i + 1 >= in_args.size() || in_args[i + 1].empty()) {
                return UsageError(arg + " needs a value for " + in_command);
            }
            const std::string& value = in_args[++i];
            (arg == "-o"          ? out_args.output
             : arg == "--seed"    ? out_args.seed
             : arg == "--library" ? out_args.library
                                  : out_args.count) = value;
        } else if (arg == "--force") {
            out_args.force = true;
        } else if (arg == "--partial") {
            out_args.partial = true;
        } else if (arg.size() > 1 && arg[0] == '-') {
            return UsageError("unknown option " + arg + " for " + in_command);
        } else {
            out_args.positional.push_back(arg);
        }
    }
    return kExitOk;
}

// One entry of a bank file named on the command line: NUMBER and tone|patch.
struct EntryChoice {
    int index = -1;
    EntryKind kind = EntryKind::Patch;
};

int ParseEntry(const std::string& in_number, const std::string& in_kind, EntryChoice& out_entry) {
    if (int code = ParseEntryNumber(in_number, out_entry.index); code != kExitOk) {
        return code;
    }
    if (in_kind != "patch" && in_kind != "tone") {
        return UsageError("wanted tone or patch, not " + in_kind);
    }
    out_entry.kind = in_kind == "tone" ? EntryKind::Tone : EntryKind::Patch;
    return kExitOk;
}

int ParsePercent(const std::string& in_text, int& out_percent) {
    std::string digits = in_text;
    if (!digits.empty() && digits.back() == '%') {
        digits.pop_back();
    }
    if (!platform::ParseWholeNumber(digits, 0, 100, out_percent)) {
        return UsageError("the percentage must be a whole number from 0 to 100: " + in_text);
    }
    return kExitOk;
}

mks80::Kind KindOf(EntryKind in_kind) {
    return in_kind == EntryKind::Tone ? mks80::Kind::Tone : mks80::Kind::Patch;
}

const int8_t* BytesOf(const CSysExData& in_bank, const EntryChoice& in_entry) {
    return in_entry.kind == EntryKind::Tone ? in_bank.GetTone(in_entry.index)->GetData()
                                            : in_bank.GetPatch(in_entry.index)->GetData();
}

// The rules for a bank that is written back whole.
InputRules RulesFor(const SoundArgs& in_args) {
    InputRules rules;
    rules.wholeBank = true;
    rules.partial = in_args.partial;
    rules.force = in_args.force;
    return rules;
}

// The file a changed bank goes to: OUT, or FILE itself. Only a bank file keeps the
// names, and a dump is never written over with one.
int TargetOf(const SoundArgs& in_args, std::string& out_target) {
    out_target = in_args.output.empty() ? in_args.positional[0] : in_args.output;
    if (ops::FormatOfName(out_target) != ops::FileFormat::BankFile) {
        return UsageError(out_target +
                          ": the new sound is written only into a bank file ending in .m80 "
                          "(-o OUT.m80)");
    }
    return kExitOk;
}

// Puts the new bytes into the entry and writes the bank. Through SetData, so an empty
// entry that changes becomes a loaded one; an entry left as it was keeps its name.
int WriteSound(CSysExData& io_bank, const EntryChoice& in_entry,
               const std::vector<int8_t>& in_bytes, const std::string& in_target) {
    if (!std::equal(in_bytes.begin(), in_bytes.end(), BytesOf(io_bank, in_entry))) {
        if (in_entry.kind == EntryKind::Tone) {
            io_bank.GetTone(in_entry.index)->SetData(in_bytes.data());
        } else {
            io_bank.GetPatch(in_entry.index)->SetData(in_bytes.data());
        }
    }
    return WriteOutput(in_target, BankFileBytes(io_bank));
}

bool ParseSeed(const std::string& in_text, uint32_t& out_seed) {
    if (in_text.empty() || in_text.size() > 10 ||
        in_text.find_first_not_of("0123456789") != std::string::npos) {
        return false;
    }
    const unsigned long long value = std::stoull(in_text);
    if (value > 0xFFFFFFFFull) {
        return false;
    }
    out_seed = static_cast<uint32_t>(value);
    return true;
}

}  // namespace

int RunBlendCommand(std::vector<std::string> in_args) {
    SoundArgs args;
    if (int code = ParseSoundArgs(in_args, "blend", {"-o"}, args)) {
        return code;
    }
    if (args.positional.size() != 6) {
        return UsageError(
            "blend takes FILE NUMBER tone|patch OTHER OTHER-NUMBER PERCENT [-o OUT.m80]");
    }
    const std::vector<std::string>& at = args.positional;
    EntryChoice entry;
    EntryChoice other;
    int percent = 0;
    std::string target;
    if (int code = ParseEntry(at[1], at[2], entry)) {
        return code;
    }
    if (int code = ParseEntry(at[4], at[2], other)) {
        return code;
    }
    if (int code = ParsePercent(at[5], percent)) {
        return code;
    }
    if (int code = TargetOf(args, target)) {
        return code;
    }
    CNullBankView view;
    CSysExData bank(&view);
    CSysExData otherBank(&view);
    BankReadReport report;
    if (int code = ReadInput(at[0], bank, RulesFor(args), &report)) {
        return code;
    }
    if (int code = ReadInput(at[3], otherBank, RulesFor(args))) {
        return code;
    }
    KeepEmptyNames(bank, report);
    return WriteSound(
        bank, entry,
        mks80::Blend(KindOf(entry.kind), BytesOf(bank, entry), BytesOf(otherBank, other), percent),
        target);
}

int RunMutateCommand(std::vector<std::string> in_args) {
    SoundArgs args;
    if (int code = ParseSoundArgs(in_args, "mutate", {"-o", "--seed"}, args)) {
        return code;
    }
    if (args.positional.size() != 4) {
        return UsageError("mutate takes FILE NUMBER tone|patch PERCENT [--seed N] [-o OUT.m80]");
    }
    const std::vector<std::string>& at = args.positional;
    EntryChoice entry;
    int percent = 0;
    std::string target;
    if (int code = ParseEntry(at[1], at[2], entry)) {
        return code;
    }
    if (int code = ParsePercent(at[3], percent)) {
        return code;
    }
    uint32_t seed = 0;
    if (!args.seed.empty() && !ParseSeed(args.seed, seed)) {
        return UsageError("--seed wants a whole number from 0 to 4294967295: " + args.seed);
    }
    if (int code = TargetOf(args, target)) {
        return code;
    }
    CNullBankView view;
    CSysExData bank(&view);
    BankReadReport report;
    if (int code = ReadInput(at[0], bank, RulesFor(args), &report)) {
        return code;
    }
    KeepEmptyNames(bank, report);
    if (args.seed.empty()) {
        seed = std::random_device{}();
        // Said, so that a mutation the user likes can be made again.
        (void)Fail(kExitOk, "seed " + std::to_string(seed));
    }
    std::mt19937 random(seed);
    return WriteSound(bank, entry,
                      mks80::Mutate(KindOf(entry.kind), BytesOf(bank, entry), percent, random),
                      target);
}

int RunSimilarCommand(std::vector<std::string> in_args) {
    SoundArgs args;
    if (int code = ParseSoundArgs(in_args, "similar", {"--library", "--count"}, args)) {
        return code;
    }
    if (args.positional.size() != 3 || args.library.empty()) {
        return UsageError("similar takes FILE NUMBER tone|patch --library DIR [--count N]");
    }
    EntryChoice entry;
    if (int code = ParseEntry(args.positional[1], args.positional[2], entry)) {
        return code;
    }
    int count = kDefaultSimilarCount;
    if (!args.count.empty() &&
        !platform::ParseWholeNumber(args.count, 1, kMostSimilarCount, count)) {
        return UsageError("--count wants a whole number from 1 to " +
                          std::to_string(kMostSimilarCount) + ": " + args.count);
    }
    InputRules rules;
    rules.force = args.force;
    CNullBankView view;
    CSysExData bank(&view);
    if (int code = ReadInput(args.positional[0], bank, rules)) {
        return code;
    }
    CLibraryIndex index;
    if (int code = ReadLibrary(args.library, index)) {
        return code;
    }
    std::string out;
    for (const SimilarEntry& each :
         index.FindSimilar(entry.kind, BytesOf(bank, entry), static_cast<size_t>(count))) {
        out += mks80::DistanceText(each.distance) + '\t' +
               index.Files()[static_cast<size_t>(each.entry->file)].path + '\t' +
               EntryNumber(each.entry->index) + '\t' + EscapedEntryName(index.Name(*each.entry)) +
               '\n';
    }
    return Print(out);
}
