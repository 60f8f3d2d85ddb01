#pragma once

#include <string>

#include "bank/BankFiles.h"

class CSysExData;

namespace platform {
struct FileResult;
}

namespace ops {

// The command that reads a file: each takes a different part of what it read, and
// says so in its own words.
enum class ReadFor {
    Open,        // File, Open: a bank window of its own
    Import,      // Open Sysex Data: into the active bank, which keeps what the file lacks
    Compare,     // Compare With...: a bank to hold against the active one
    CommandLine  // quorlin-cli's inputs
};

// What the user is told about a file that was read. The texts are UTF-8, whole
// messages naming the file as the front end showed it.
struct ReadMessages {
    std::string refusal;  // the command does not take the file: why, else empty
    std::string note;     // taken, but not simply a whole bank: what it held, else empty
    bool Taken() const { return refusal.empty(); }
};

// The messages for in_report, read from the file the user knows as in_name. A
// command-line note has one line per remark, each starting with the file's name.
ReadMessages MessagesFor(ReadFor in_for, const std::string& in_name,
                         const BankReadReport& in_report);

struct FileReading : ReadMessages {
    BankReadReport report;
};

// Reads in_path into io_bank as ReadBankOrDump does (a refused file changes nothing)
// and says what the user is to be told.
FileReading ReadFile(ReadFor in_for, const std::string& in_path, const std::string& in_name,
                     CSysExData& io_bank);

// The desktop program's message when a file could not be written.
std::string SaveFailureText(const std::string& in_name, const platform::FileResult& in_result);

// The ways a bank is written out, told by the name of the file.
enum class FileFormat {
    Unknown,
    BankFile,  // .m80
    Dump,      // .syx: the instrument's own dump
    MidiFile   // .mid or .midi: the same dump as a Standard MIDI File
};
FileFormat FormatOfName(const std::string& in_name);
// The bytes of in_bank in in_format; a dump is made for MIDI channel in_channel.
std::string FileBytes(CSysExData& in_bank, FileFormat in_format, int in_channel);

}  // namespace ops
