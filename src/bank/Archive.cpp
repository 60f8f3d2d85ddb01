#include "bank/Archive.h"

#include <algorithm>
#include <istream>
#include <ostream>

CArchive::CArchive(std::istream& in_stream) : m_In(&in_stream) {}

CArchive::CArchive(std::ostream& out_stream) : m_Out(&out_stream) {}

void CArchive::WriteString(const std::string& in_text) {
    const uint64_t n = in_text.size();
    if (n < 0xFF) {
        m_Out->put(static_cast<char>(n));
    } else if (n < 0xFFFE) {
        const char prefix[3] = {'\xFF', static_cast<char>(n & 0xFF), static_cast<char>(n >> 8)};
        m_Out->write(prefix, sizeof prefix);
    } else {
        const uint32_t n32 = static_cast<uint32_t>(n);
        const char prefix[7] = {'\xFF',
                                '\xFF',
                                '\xFF',
                                static_cast<char>(n32 & 0xFF),
                                static_cast<char>((n32 >> 8) & 0xFF),
                                static_cast<char>((n32 >> 16) & 0xFF),
                                static_cast<char>((n32 >> 24) & 0xFF)};
        m_Out->write(prefix, sizeof prefix);
    }
    m_Out->write(in_text.data(), static_cast<std::streamsize>(in_text.size()));
}

uint8_t CArchive::ReadByteOrThrow() {
    const int c = m_In->get();
    if (c == std::char_traits<char>::eof()) {
        throw CArchiveEndOfFile();
    }
    return static_cast<uint8_t>(c);
}

uint32_t CArchive::ReadLength(bool& out_wide) {
    const uint8_t first = ReadByteOrThrow();
    if (first < 0xFF) {
        return first;
    }
    // Two statements: the order of the two reads must not be left to the compiler.
    const uint8_t low = ReadByteOrThrow();
    const uint8_t high = ReadByteOrThrow();
    const uint16_t word = static_cast<uint16_t>(low | (high << 8));
    if (word == 0xFFFE) {
        // 16-bit characters follow; their count comes again in the usual forms.
        out_wide = true;
        bool nested = false;
        return ReadLength(nested);
    }
    if (word < 0xFFFF) {
        return word;
    }
    uint32_t n = 0;
    for (int shift = 0; shift < 32; shift += 8) {
        n |= static_cast<uint32_t>(ReadByteOrThrow()) << shift;
    }
    return n;
}

std::string CArchive::ReadString() {
    bool wide = false;
    const uint32_t count = ReadLength(wide);
    const uint64_t bytes = wide ? uint64_t(count) * 2 : count;
    // Read in pieces, so that a prefix that claims more than the file holds ends at
    // the end of the file instead of asking for that much memory up front.
    std::string raw;
    char chunk[4096];
    uint64_t left = bytes;
    while (left > 0) {
        const size_t want = static_cast<size_t>(std::min<uint64_t>(left, sizeof chunk));
        m_In->read(chunk, static_cast<std::streamsize>(want));
        const size_t got = static_cast<size_t>(m_In->gcount());
        raw.append(chunk, got);
        if (got < want) {
            throw CArchiveEndOfFile();
        }
        left -= got;
    }
    if (!wide) {
        return raw;
    }
    std::string narrow;
    narrow.reserve(count);
    for (size_t i = 0; i + 1 < raw.size(); i += 2) {
        const unsigned unit =
            static_cast<uint8_t>(raw[i]) | (static_cast<uint8_t>(raw[i + 1]) << 8);
        narrow += unit < 0x100 ? static_cast<char>(unit) : '?';
    }
    return narrow;
}

void CArchive::Write(const void* in_data, size_t in_count) {
    m_Out->write(static_cast<const char*>(in_data), static_cast<std::streamsize>(in_count));
}

size_t CArchive::Read(void* out_data, size_t in_count) {
    m_In->read(static_cast<char*>(out_data), static_cast<std::streamsize>(in_count));
    return static_cast<size_t>(m_In->gcount());
}

bool CArchive::Good() const {
    if (m_Out) {
        return static_cast<bool>(*m_Out);
    }
    return true;
}
