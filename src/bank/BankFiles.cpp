#include "bank/BankFiles.h"

#include <algorithm>
#include <sstream>

#include "bank/Archive.h"
#include "bank/BlockLayout.h"
#include "bank/StandardMidiFile.h"
#include "bank/SysExData.h"
#include "mks80/Messages.h"
#include "platform/FileAccess.h"

namespace {

using mks80::ROLAND_ID;
using mks80::SYSEX_START;
constexpr uint8_t kFirstRealTime = 0xF8;

// A name a bank file can really hold: never a zero byte (names are C strings where
// they are typed) nor a line break (a name is one line), nor longer than the limit.
// A program, a source text or random bytes fail this within a few names.
bool PlausibleName(const std::string& in_name) {
    return in_name.size() <= BANK_FILE_MAX_NAME &&
           in_name.find_first_of(std::string("\0\r\n", 3)) == std::string::npos;
}

BankReadReport Refused(ReadResult in_result, FileKind in_kind, const std::string& in_reason) {
    BankReadReport report;
    report.result = in_result;
    report.kind = in_kind;
    report.reason = in_reason;
    return report;
}

// Loads a bank file into a bank of its own first, so a refused file changes nothing.
// With in_exact, a file that goes on after its 64th entry is refused as well.
BankReadReport ReadBankFile(const uint8_t* in_data, size_t in_size, bool in_more,
                            CSysExData& io_bank, bool in_exact = false) {
    CNullBankView view;
    CSysExData loaded(&view);
    std::istringstream stream(std::string(reinterpret_cast<const char*>(in_data), in_size));
    CArchive archive(stream);
    EmptyEntries emptyInFile;
    if (!loaded.LoadBank(archive, &emptyInFile)) {
        return Refused(
            ReadResult::NotABank, FileKind::BankFile,
            in_more ? "it is larger than any bank file" : "it ends before its 64th entry");
    }
    for (int i = 0; i < BANK_SIZE; ++i) {
        if (!PlausibleName(loaded.GetPatch(i)->GetName()) ||
            !PlausibleName(loaded.GetTone(i)->GetName())) {
            return Refused(ReadResult::NotABank, FileKind::BankFile,
                           "a name holds a line break or a zero byte, or is too long");
        }
    }
    BankReadReport report;
    report.kind = FileKind::BankFile;
    report.trailingBytes = in_more || static_cast<size_t>(stream.tellg()) < in_size;
    if (in_exact && report.trailingBytes) {
        return Refused(ReadResult::NotABank, FileKind::BankFile, "it goes on after its 64th entry");
    }
    CopyEntries(loaded, io_bank, 0, BANK_SIZE);
    report.emptyInFile = std::move(emptyInFile);
    report.highByteEntries = EntriesWithHighBytes(io_bank);
    return report;
}

BankReadReport ReadDump(const uint8_t* in_data, size_t in_size, FileKind in_kind,
                        CSysExData& io_bank) {
    BankReadReport report;
    report.kind = in_kind;
    report.blocks = io_bank.ImportSysEx(in_data, in_size, &report.badChecksums);
    if (report.blocks == 0) {
        report.result = ReadResult::NoData;
        report.reason = "it holds no data block of the MKS-80";
        return report;
    }
    report.highByteEntries = EntriesWithHighBytes(io_bank);
    // Only the entries this file filled count; others were what the bank held before.
    report.highByteEntries.erase(
        std::remove_if(report.highByteEntries.begin(), report.highByteEntries.end(),
                       [&](int i) { return i >= report.EntriesRead(); }),
        report.highByteEntries.end());
    return report;
}

std::string EntryRange(int in_first, int in_last) {
    return in_first == in_last ? EntryNumber(in_first)
                               : EntryNumber(in_first) + " to " + EntryNumber(in_last);
}

}  // namespace

int BankReadReport::EntriesRead() const {
    if (result != ReadResult::Ok) {
        return 0;
    }
    return kind == FileKind::BankFile ? BANK_SIZE : BLOCK_SLOTS * blocks;
}

bool BankReadReport::WholeBank() const {
    return result == ReadResult::Ok &&
           (kind == FileKind::BankFile || (blocks == BLOCK_COUNT && badChecksums.empty()));
}

BankReadReport ReadBankBytes(const uint8_t* in_data, size_t in_size, bool in_more,
                             CSysExData& io_bank) {
    if (in_size == 0) {
        // A file of 0 bytes is not read at all: the bank stays at what it was.
        BankReadReport report;
        report.kind = FileKind::BankFile;
        report.zeroBytes = true;
        return report;
    }
    // A recorder may have caught real-time bytes before the first message.
    size_t start = 0;
    while (start < in_size && in_data[start] >= kFirstRealTime) {
        ++start;
    }
    const bool dump =
        in_size - start >= 2 && in_data[start] == SYSEX_START && in_data[start + 1] == ROLAND_ID;
    if (dump) {
        // A bank file whose first name is 240 characters long, starting with "A", starts
        // the same way; it is taken as one only when it ends exactly after its 64th entry,
        // which no dump does.
        BankReadReport asBank = ReadBankFile(in_data, in_size, in_more, io_bank, true);
        if (asBank.result == ReadResult::Ok) {
            return asBank;
        }
        return ReadDump(in_data, in_size, FileKind::Dump, io_bank);
    }
    if (StartsLikeMidiFile(in_data, in_size)) {
        const MidiFileSysEx midi = ReadMidiFileSysEx(in_data, in_size);
        if (midi.ok) {
            // Other messages of the file (a synthesizer reset, say) are not the dump's.
            std::vector<uint8_t> messages;
            for (const std::vector<uint8_t>& message : midi.messages) {
                if (message.size() >= 2 && message[0] == SYSEX_START && message[1] == ROLAND_ID) {
                    messages.insert(messages.end(), message.begin(), message.end());
                }
            }
            return ReadDump(messages.data(), messages.size(), FileKind::MidiFile, io_bank);
        }
        BankReadReport asBank = ReadBankFile(in_data, in_size, in_more, io_bank);
        return asBank.result == ReadResult::Ok ? asBank
                                               : Refused(ReadResult::NotABank, FileKind::MidiFile,
                                                         "a damaged MIDI file: " + midi.error);
    }
    BankReadReport report = ReadBankFile(in_data, in_size, in_more, io_bank);
    if (report.result != ReadResult::Ok && in_data[start] == SYSEX_START) {
        return Refused(ReadResult::NoData, FileKind::Dump, "it holds no data block of the MKS-80");
    }
    return report;
}

BankReadReport ReadBankOrDump(const std::string& in_path, CSysExData& io_bank) {
    std::string bytes;
    bool more = false;
    const platform::FileResult read =
        platform::ReadFileStart(in_path, BANK_FILE_READ_LIMIT, bytes, more);
    if (!read) {
        return Refused(ReadResult::CannotOpen, FileKind::Unknown, read.reason);
    }
    return ReadBankBytes(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), more,
                         io_bank);
}

std::string DescribeRead(const BankReadReport& in_report) {
    if (in_report.result != ReadResult::Ok) {
        return {};
    }
    std::string text;
    const int read = in_report.EntriesRead();
    if (read < BANK_SIZE) {
        text += "The file held " + std::to_string(in_report.blocks) +
                " of the 16 data blocks: " + "entries " + EntryRange(0, read - 1) +
                " were read, entries " + EntryRange(read, BANK_SIZE - 1) +
                " were left unchanged.\n";
    }
    if (!in_report.badChecksums.empty()) {
        text += "Blocks with a wrong checksum, taken as the file holds them:";
        for (size_t i = 0; i < in_report.badChecksums.size(); ++i) {
            const int block = in_report.badChecksums[i];
            text += std::string(i ? "," : "") + " block " + std::to_string(block + 1) +
                    " (entries " + EntryRange(4 * block, 4 * block + 3) + ")";
        }
        text += ".\n";
    }
    if (!in_report.highByteEntries.empty()) {
        text += "Entries " + EntryNumberList(in_report.highByteEntries, ", ") +
                " hold parameter bytes of 80H or more, which no MKS-80 sends; repair them "
                "before sending the bank.\n";
    }
    if (in_report.trailingBytes) {
        text += "The file goes on after its 64th entry; those bytes were not read.\n";
    }
    return text;
}

std::string DescribeRefusal(const BankReadReport& in_report) {
    switch (in_report.result) {
        case ReadResult::Ok:
            return {};
        case ReadResult::CannotOpen:
            return "cannot be opened for reading: " + in_report.reason;
        case ReadResult::NoData:
            return "holds no data block of the MKS-80; nothing was changed";
        case ReadResult::NotABank:
            break;
    }
    return "is not a bank file, nor a recorded dump or MIDI file holding one (" + in_report.reason +
           ")";
}

std::string BankFileBytes(const CSysExData& in_bank) {
    std::ostringstream stream;
    CArchive archive(stream);
    if (!in_bank.StoreBank(archive)) {
        return {};
    }
    return stream.str();
}
