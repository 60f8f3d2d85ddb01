#include "cli/CliSupport.h"

#include <algorithm>
#include <cstdio>

#include "bank/BankFiles.h"
#include "bank/LibraryIndex.h"
#include "bank/SysExData.h"
#include "cli/CliExit.h"
#include "ops/FileOps.h"
#include "platform/FileAccess.h"

int Fail(int in_code, const std::string& in_message) {
    std::fprintf(stderr, "quorlin-cli: %s\n", in_message.c_str());
    return in_code;
}

int UsageError(const std::string& in_message) {
    return Fail(kExitUsage, in_message + " (see quorlin-cli --help)");
}

int ParseEntryNumber(const std::string& in_number, int& out_index) {
    out_index = EntryIndexFromNumber(in_number);
    if (out_index < 0) {
        return UsageError("entry number must be 11 to 88, each digit 1 to 8: " + in_number);
    }
    return kExitOk;
}

int ParseEntry(const std::string& in_command, const std::string& in_number,
               const std::string& in_kind, int& out_index, bool& out_tone) {
    if (int code = ParseEntryNumber(in_number, out_index); code != kExitOk) {
        return code;
    }
    if (in_kind != "patch" && in_kind != "tone") {
        return UsageError(in_command + " wants patch or tone, not " + in_kind);
    }
    out_tone = in_kind == "tone";
    return kExitOk;
}

bool TakeFlag(std::vector<std::string>& io_args, const std::string& in_flag) {
    const auto end = std::remove(io_args.begin(), io_args.end(), in_flag);
    const bool found = end != io_args.end();
    io_args.erase(end, io_args.end());
    return found;
}

namespace {
// Each line of a note as a message of its own, so scripts can grep them.
void Note(const std::string& in_text) {
    size_t start = 0;
    while (start < in_text.size()) {
        const size_t end = in_text.find('\n', start);
        (void)Fail(0, in_text.substr(start, end - start));
        start = end == std::string::npos ? in_text.size() : end + 1;
    }
}
}  // namespace

int ReadInput(const std::string& in_path, CSysExData& io_bank, const InputRules& in_rules,
              BankReadReport* out_report) {
    const ops::FileReading reading =
        ops::ReadFile(ops::ReadFor::CommandLine, in_path, in_path, io_bank);
    const BankReadReport& report = reading.report;
    if (out_report != nullptr) {
        *out_report = report;
    }
    if (!reading.Taken()) {
        return Fail(kExitInput, reading.refusal);
    }
    Note(reading.note);
    if (in_rules.wholeBank && !in_rules.partial && !report.WholeBank()) {
        return Fail(kExitInput, in_path +
                                    ": not all 16 data blocks are there and intact; refused "
                                    "(--partial takes only the entries the file held)");
    }
    if (in_rules.wholeBank && in_rules.partial && !report.WholeBank()) {
        Note(in_path + ": --partial: only the entries the file held are taken; " +
             in_rules.partialNote);
    }
    // Both are what a file that is no bank at all can look like.
    if ((!report.highByteEntries.empty() || report.trailingBytes) && !in_rules.force) {
        return Fail(kExitInput, in_path + ": refused as it is (--force takes the file anyway)");
    }
    return kExitOk;
}

void KeepEmptyNames(CSysExData& io_bank, const BankReadReport& in_report) {
    for (int each : in_report.emptyInFile.patches) {
        io_bank.GetPatch(each)->SetName(kEmptyName);
    }
    for (int each : in_report.emptyInFile.tones) {
        io_bank.GetTone(each)->SetName(kEmptyName);
    }
}

int ReadLibrary(const std::string& in_folder, CLibraryIndex& out_index) {
    out_index = CLibraryIndex::Build(in_folder);
    if (!out_index.FolderRead()) {
        return Fail(kExitInput, out_index.Notes().front());
    }
    for (const std::string& note : out_index.Notes()) {
        (void)Fail(kExitOk, "note: " + note);
    }
    return kExitOk;
}

int WriteOutput(const std::string& in_path, const std::string& in_bytes) {
    const platform::FileResult written = platform::WriteFileSafely(in_path, in_bytes);
    if (!written) {
        return Fail(kExitOutput, in_path + ": cannot be written: " + written.reason);
    }
    return kExitOk;
}

// Writes in_text to standard output; a failed write (a full disk, a closed pipe) is exit 4.
int Print(const std::string& in_text) {
    if (std::fwrite(in_text.data(), 1, in_text.size(), stdout) != in_text.size() ||
        std::fflush(stdout) != 0) {
        return Fail(kExitOutput, "standard output cannot be written");
    }
    return kExitOk;
}
