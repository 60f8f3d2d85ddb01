#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "bank/SysExData.h"

// The one reader of bank files, recorded dumps (.syx) and Standard MIDI Files
// (.mid), each told by its content, with a report of what the file held.

enum class ReadResult {
    Ok,          // the file was read; the report says how much of a bank it held
    CannotOpen,  // missing, unreadable, a folder, a device or a pipe
    NotABank,    // neither a bank file nor a dump nor a MIDI file that carries one
    NoData       // system-exclusive data, but no data block of the MKS-80
};

enum class FileKind { Unknown, BankFile, Dump, MidiFile };

// The longest name a bank file may hold; the name dialogs allow 30 characters.
constexpr size_t BANK_FILE_MAX_NAME = 4096;
// The most of any file that is read: the longest bank file that can pass, which is
// also more than a MIDI file carrying a dump needs.
constexpr size_t BANK_FILE_READ_LIMIT =
    64 * (2 * (10 + 2 * BANK_FILE_MAX_NAME) + mks80::PATCH_BYTES + mks80::TONE_BYTES);

struct BankReadReport {
    ReadResult result = ReadResult::Ok;
    FileKind kind = FileKind::Unknown;
    std::string reason;                // why the file was refused, in a few words
    int blocks = 0;                    // dump: data blocks taken, 4 entries each from entry 0
    std::vector<int> badChecksums;     // dump: blocks (in file order) taken with a wrong checksum
    std::vector<int> highByteEntries;  // entries holding parameter bytes of 80H or more
    bool trailingBytes = false;        // bank file: bytes after the 64th entry, not read
    // bank file: the entries it names "------Empty------", which the bank now holds
    // under their placeholder names (they are loaded entries now)
    EmptyEntries emptyInFile;
    bool zeroBytes = false;  // the file has no bytes at all: nothing was read into the bank

    // The number of entries the file gave values to.
    int EntriesRead() const;
    // A dump of all 16 intact blocks, or a bank file: what may pass without --partial.
    bool WholeBank() const;
};

// Reads in_data (the first in_size bytes of a file; in_more when the file goes on)
// into io_bank. A bank file replaces all 64 entries, and only when it passes every
// check; a dump stores the entries its blocks hold and leaves the others as they
// were. A refused file changes nothing.
BankReadReport ReadBankBytes(const uint8_t* in_data, size_t in_size, bool in_more,
                             CSysExData& io_bank);
// The same for the file in_path, of which at most BANK_FILE_READ_LIMIT bytes are read.
BankReadReport ReadBankOrDump(const std::string& in_path, CSysExData& io_bank);

// What the user is to be told about a file that was read but is not simply a whole
// bank: entries read and left unchanged, damaged blocks, parameter bytes of 80H or
// more, bytes after the last entry. Empty when there is nothing to say.
std::string DescribeRead(const BankReadReport& in_report);
// Why a file was refused, for the message that names it.
std::string DescribeRefusal(const BankReadReport& in_report);

// The bank file bytes of in_bank.
std::string BankFileBytes(const CSysExData& in_bank);
