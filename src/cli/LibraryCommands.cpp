// quorlin-cli diff and name: two banks compared entry by entry, and the names of a
// folder of named banks given back to the unnamed entries of a bank.
#include "cli/LibraryCommands.h"

#include <cstdio>

#include "bank/BankCompare.h"
#include "bank/BankFiles.h"
#include "bank/LibraryIndex.h"
#include "bank/SysExData.h"
#include "cli/CliExit.h"
#include "cli/CliSupport.h"
#include "ops/FileOps.h"
#include "ops/LibraryOps.h"

int ReportComparison(const BankComparison& in_comparison, bool in_bytesOnly) {
    std::string out;
    for (const EntryDifference& each : in_comparison.entries) {
        if (!in_bytesOnly || !each.IsRenamed()) {
            out += DifferenceLine(each) + '\n';
        }
    }
    if (int code = Print(out); code != kExitOk) {
        return code;
    }
    return in_comparison.SameBytes() ? kExitOk : kExitDiffer;
}

int RunDiffCommand(std::vector<std::string> in_args) {
    if (in_args.size() != 2) {
        return UsageError("diff takes two file names");
    }
    CNullBankView view;
    CSysExData first(&view);
    CSysExData second(&view);
    if (int code = ReadInput(in_args[0], first)) {
        return code;
    }
    if (int code = ReadInput(in_args[1], second)) {
        return code;
    }
    return ReportComparison(CompareBanks(first, second), false);
}

int RunNameCommand(std::vector<std::string> in_args) {
    std::string file;
    std::string library;
    std::string output;
    for (size_t i = 0; i < in_args.size(); ++i) {
        const std::string& arg = in_args[i];
        const bool hasValue = i + 1 < in_args.size() && !in_args[i + 1].empty();
        if (arg == "--library" || arg == "-o") {
            if (!hasValue) {
                return UsageError(arg == "-o" ? "-o needs the name of the bank file to write"
                                              : "--library needs a folder");
            }
            (arg == "-o" ? output : library) = in_args[++i];
        } else if (arg.size() > 1 && arg[0] == '-') {
            return UsageError("unknown option " + arg + " for name");
        } else if (file.empty()) {
            file = arg;
        } else {
            return UsageError("unexpected argument " + arg + " for name");
        }
    }
    if (file.empty() || library.empty()) {
        return UsageError("name needs a bank file and --library DIR");
    }
    const std::string target = output.empty() ? file : output;
    // The names live only in a bank file: a recorded dump would lose them.
    if (ops::FormatOfName(target) != ops::FileFormat::BankFile) {
        return UsageError(target + ": names are kept only in a bank file ending in .m80");
    }
    CNullBankView view;
    CSysExData bank(&view);
    if (int code = ReadInput(file, bank)) {
        return code;
    }
    CLibraryIndex index;
    if (int code = ReadLibrary(library, index)) {
        return code;
    }
    const ops::LibraryNamingResult named = ops::NameFromLibrary(bank, index);
    WriteEntries(bank, named.entries);
    std::string out;
    for (const LibraryName& each : named.naming.names) {
        out += std::string(EntryKindText(each.kind)) + '\t' + EntryNumber(each.index) + '\t' +
               EscapedEntryName(each.name) + '\n';
    }
    if (int code = Print(out); code != kExitOk) {
        return code;
    }
    std::fprintf(stderr, "quorlin-cli: %s\n", named.summary.c_str());
    // A bank named in place is written only when a name changed.
    if (!output.empty() || !named.entries.empty()) {
        return WriteOutput(target, BankFileBytes(bank));
    }
    return kExitOk;
}
