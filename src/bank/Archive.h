#pragma once

#include <cstddef>
#include <cstdint>
#include <iosfwd>
#include <stdexcept>
#include <string>

// Raised when a string cannot be read because the file ended.
class CArchiveEndOfFile : public std::runtime_error {
  public:
    CArchiveEndOfFile() : std::runtime_error("unexpected end of file") {}
};

// The bank file's stream, with the length-prefixed string encoding of the format:
// one byte for 0 to 254 characters, FFH and 16 bits up to 65533, FFH FFH FFH and
// 32 bits beyond; on reading also FFH FEH FFH announcing 16-bit characters.
class CArchive {
  public:
    explicit CArchive(std::istream& in_stream);
    explicit CArchive(std::ostream& out_stream);

    bool IsStoring() const { return m_Out != nullptr; }
    bool IsLoading() const { return m_In != nullptr; }

    void WriteString(const std::string& in_text);
    // Throws CArchiveEndOfFile when the file ends inside the prefix or the characters.
    std::string ReadString();
    void Write(const void* in_data, size_t in_count);
    // Reads up to in_count bytes; returns how many came.
    size_t Read(void* out_data, size_t in_count);
    // False once a write to the stream has failed.
    bool Good() const;

  private:
    uint8_t ReadByteOrThrow();
    uint32_t ReadLength(bool& out_wide);

    std::istream* m_In = nullptr;
    std::ostream* m_Out = nullptr;
};
