#include "ops/FileOps.h"

#include <algorithm>

#include "bank/StandardMidiFile.h"
#include "bank/SysExData.h"
#include "midi/DumpFile.h"
#include "platform/FileAccess.h"

namespace ops {

namespace {

std::string Quoted(const std::string& in_name) {
    return "The file \"" + in_name + "\" ";
}

std::string Refusal(ReadFor in_for, const std::string& in_name, BankReadReport in_report) {
    switch (in_for) {
        case ReadFor::Open:
            switch (in_report.result) {
                case ReadResult::Ok:
                    return {};
                case ReadResult::CannotOpen:
                    return "Cannot open the file \"" + in_name + "\":\n" + in_report.reason + ".";
                case ReadResult::NotABank:
                    return "Unexpected file format.";
                case ReadResult::NoData:
                    break;
            }
            return Quoted(in_name) + DescribeRefusal(in_report) + ".";
        case ReadFor::Import:
            // The bank keeps what it held unless the file gave it entries; an empty
            // file opens as a bank at the defaults, but gives an import nothing.
            if (in_report.EntriesRead() > 0 && !in_report.zeroBytes) {
                return {};
            }
            if (in_report.result == ReadResult::Ok) {
                in_report.result = ReadResult::NoData;
            }
            return Quoted(in_name) + DescribeRefusal(in_report) + ".";
        case ReadFor::Compare:
            switch (in_report.result) {
                case ReadResult::Ok:
                    return {};
                case ReadResult::CannotOpen:
                    return Quoted(in_name) + "cannot be opened: " + in_report.reason + ".";
                case ReadResult::NotABank:
                    return Quoted(in_name) + "is not a bank file or a recorded dump.";
                case ReadResult::NoData:
                    break;
            }
            return Quoted(in_name) + DescribeRefusal(in_report) + ".";
        case ReadFor::CommandLine:
            break;
    }
    return in_report.result == ReadResult::Ok ? std::string()
                                              : in_name + ": " + DescribeRefusal(in_report);
}

// in_text without the line breaks and spaces at its ends.
std::string Trimmed(const std::string& in_text) {
    const size_t first = in_text.find_first_not_of(" \t\n\v\f\r");
    if (first == std::string::npos) {
        return {};
    }
    return in_text.substr(first, in_text.find_last_not_of(" \t\n\v\f\r") - first + 1);
}

std::string Note(ReadFor in_for, const std::string& in_name, const BankReadReport& in_report) {
    const std::string held = Trimmed(DescribeRead(in_report));
    if (held.empty()) {
        return {};
    }
    if (in_for != ReadFor::CommandLine) {
        return in_name + ":\n" + held;
    }
    std::string lines;
    size_t start = 0;
    while (start <= held.size()) {
        const size_t end = std::min(held.find('\n', start), held.size());
        lines += (lines.empty() ? "" : "\n") + in_name + ": " + held.substr(start, end - start);
        start = end + 1;
    }
    return lines;
}

}  // namespace

ReadMessages MessagesFor(ReadFor in_for, const std::string& in_name,
                         const BankReadReport& in_report) {
    ReadMessages messages;
    messages.refusal = Refusal(in_for, in_name, in_report);
    if (messages.Taken()) {
        messages.note = Note(in_for, in_name, in_report);
    }
    return messages;
}

FileReading ReadFile(ReadFor in_for, const std::string& in_path, const std::string& in_name,
                     CSysExData& io_bank) {
    FileReading reading;
    reading.report = ReadBankOrDump(in_path, io_bank);
    static_cast<ReadMessages&>(reading) = MessagesFor(in_for, in_name, reading.report);
    return reading;
}

std::string SaveFailureText(const std::string& in_name, const platform::FileResult& in_result) {
    return "Cannot save the file \"" + in_name + "\":\n" + in_result.reason + ".";
}

FileFormat FormatOfName(const std::string& in_name) {
    const size_t dot = in_name.find_last_of("./");
    if (dot == std::string::npos || in_name[dot] != '.') {
        return FileFormat::Unknown;
    }
    std::string suffix = in_name.substr(dot + 1);
    for (char& c : suffix) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    if (suffix == "m80") {
        return FileFormat::BankFile;
    }
    if (suffix == "syx") {
        return FileFormat::Dump;
    }
    if (suffix == "mid" || suffix == "midi") {
        return FileFormat::MidiFile;
    }
    return FileFormat::Unknown;
}

std::string FileBytes(CSysExData& in_bank, FileFormat in_format, int in_channel) {
    switch (in_format) {
        case FileFormat::Dump:
            return RecordedDump(in_bank, in_channel);
        case FileFormat::MidiFile:
            return MidiFileOf(RecordedDump(in_bank, in_channel));
        case FileFormat::BankFile:
        case FileFormat::Unknown:
            break;
    }
    return BankFileBytes(in_bank);
}

}  // namespace ops
