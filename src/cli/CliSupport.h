#pragma once

#include <string>
#include <vector>

class CLibraryIndex;
class CSysExData;
struct BankReadReport;

// Says in_message on stderr as "quorlin-cli: ..." and returns in_code.
int Fail(int in_code, const std::string& in_message);
// A usage error: the message with a pointer to --help, and exit code 1.
int UsageError(const std::string& in_message);
// An entry NUMBER as the user writes it (11 to 88) into out_index; a usage error (its
// exit code) when it is none.
int ParseEntryNumber(const std::string& in_number, int& out_index);
// The same, and patch or tone (in_kind) into out_tone; the usage error names in_command.
int ParseEntry(const std::string& in_command, const std::string& in_number,
               const std::string& in_kind, int& out_index, bool& out_tone);

// Removes every in_flag from io_args; true when there was one.
bool TakeFlag(std::vector<std::string>& io_args, const std::string& in_flag);

struct InputRules {
    bool wholeBank = false;  // a dump must hold all 16 intact blocks...
    bool partial = false;    // ...unless the user said --partial
    bool force = false;      // --force: parameter bytes of 80H or more only warn
    // What becomes of the entries a partial dump did not hold, said with --partial.
    std::string partialNote = "the others are at their defaults";
};
// Reads FILE into io_bank; says on stderr what the file held when it is not simply a
// whole bank. Returns 0, or the exit code of a refusal after saying why.
int ReadInput(const std::string& in_path, CSysExData& io_bank, const InputRules& in_rules = {},
              BankReadReport* out_report = nullptr);

// Reading gave the entries the file names "------Empty------" their placeholder names;
// this puts them back as they were, so that only an entry a command changes becomes a
// loaded one when the bank is written back.
void KeepEmptyNames(CSysExData& io_bank, const BankReadReport& in_report);

// Reads the library folder in_folder into out_index and names on stderr the files it
// skipped. Returns 0, or the exit code after saying why the folder could not be read.
int ReadLibrary(const std::string& in_folder, CLibraryIndex& out_index);

// Writes in_text to standard output; a failed write (a full disk, a closed pipe) is exit 4.
int Print(const std::string& in_text);

// Writes in_bytes as in_path safely; returns 0 or the exit code after saying why.
int WriteOutput(const std::string& in_path, const std::string& in_bytes);
