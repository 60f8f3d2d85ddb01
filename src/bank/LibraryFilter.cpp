#include "bank/LibraryFilter.h"

#include <numeric>

#include "bank/LibraryIndex.h"

std::string FoldCase(const std::string& in_text) {
    std::string out = in_text;
    for (char& c : out) {
        const auto byte = static_cast<unsigned char>(c);
        // Names are one byte a character in Latin-1: A-Z and the accented capitals
        // (but not the multiplication sign) have their small letter 20H above.
        if ((byte >= 'A' && byte <= 'Z') || (byte >= 0xC0 && byte <= 0xDE && byte != 0xD7)) {
            c = static_cast<char>(byte + 0x20);
        }
    }
    return out;
}

CLibraryFilter::CLibraryFilter(std::shared_ptr<const CLibraryIndex> in_index)
    : m_ptrIndex(std::move(in_index)) {
    const std::vector<LibraryEntry>& entries = m_ptrIndex->Entries();
    m_Folded.reserve(entries.size());
    for (const LibraryEntry& each : entries) {
        m_Folded.push_back(FoldCase(each.name));
    }
    m_Rows.resize(entries.size());
    std::iota(m_Rows.begin(), m_Rows.end(), 0u);
}

const std::vector<uint32_t>& CLibraryFilter::Filter(const std::string& in_text) {
    const std::string text = FoldCase(in_text);
    if (text == m_Text) {
        return m_Rows;
    }
    const bool narrowing = text.find(m_Text) != std::string::npos;
    std::vector<uint32_t> rows;
    const auto keep = [&](uint32_t in_row) {
        if (m_Folded[in_row].find(text) != std::string::npos) {
            rows.push_back(in_row);
        }
    };
    if (narrowing) {
        for (uint32_t row : m_Rows) {
            keep(row);
        }
    } else {
        for (uint32_t row = 0; row < m_Folded.size(); ++row) {
            keep(row);
        }
    }
    m_Text = text;
    m_Rows = std::move(rows);
    return m_Rows;
}
