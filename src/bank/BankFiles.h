#pragma once

#include <string>

class CSysExData;

// Reading and writing bank files and recorded dumps as whole files.
enum class ReadResult { Ok, CannotOpen, NotABank };

// Fills in_bank from a bank file or a recorded dump, told apart by content: a dump
// starts with F0H. A file of 0 bytes is a bank at the defaults.
ReadResult ReadBankOrDump(const std::string& in_path, CSysExData& in_bank);

// Writes in_bytes to in_path through a temporary file beside it, so that a failed
// write leaves no half-written file and an existing file untouched.
[[nodiscard]] bool WriteFileAtomically(const std::string& in_path, const std::string& in_bytes);

// The bank file bytes of in_bank.
std::string BankFileBytes(const CSysExData& in_bank);
