#include "bank/LibraryFilter.h"

#include <numeric>
#include <string_view>

#include "bank/LibraryIndex.h"

CLibraryFilter::CLibraryFilter(std::shared_ptr<const CLibraryIndex> in_index)
    : m_ptrIndex(std::move(in_index)) {
    m_Rows.resize(m_ptrIndex->Entries().size());
    std::iota(m_Rows.begin(), m_Rows.end(), 0u);
}

const std::vector<uint32_t>& CLibraryFilter::Filter(const std::string& in_text) {
    const std::string text = FoldCase(in_text);
    if (text == m_Text) {
        return m_Rows;
    }
    const std::string& names = m_ptrIndex->FoldedNames();
    const std::vector<uint32_t>& starts = m_ptrIndex->FoldedStarts();
    const std::string_view all(names);
    std::vector<uint32_t> rows;
    if (text.find(m_Text) != std::string::npos && !m_Text.empty()) {
        // Typing on narrows the last result: only its rows are searched again.
        for (uint32_t row : m_Rows) {
            const std::string_view name =
                all.substr(starts[row], starts[row + 1] - starts[row] - 1);
            if (name.find(text) != std::string_view::npos) {
                rows.push_back(row);
            }
        }
    } else if (text.empty()) {
        rows.resize(starts.size() - 1);
        std::iota(rows.begin(), rows.end(), 0u);
    } else {
        // One search through all names at once, walking the rows along with the hits.
        uint32_t row = 0;
        for (size_t hit = all.find(text); hit != std::string_view::npos;
             hit = all.find(text, starts[row])) {
            while (starts[row + 1] <= hit) {
                ++row;
            }
            // A hit that runs over the end of its name is no hit.
            if (hit + text.size() < starts[row + 1]) {
                rows.push_back(row);
            }
            ++row;
            if (row + 1 >= starts.size()) {
                break;
            }
        }
    }
    m_Text = text;
    m_Rows = std::move(rows);
    return m_Rows;
}
