#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class CLibraryIndex;

// Finds the entries of a library index whose name holds a piece of text, ignoring
// the case of letters. Made for typing: when the new text extends the last one, only
// the entries that matched the last text are searched again.
class CLibraryFilter {
  public:
    explicit CLibraryFilter(std::shared_ptr<const CLibraryIndex> in_index);

    // Positions in the index's Entries() of every entry whose name holds in_text, in
    // order; every entry for an empty text.
    const std::vector<uint32_t>& Filter(const std::string& in_text);
    const std::vector<uint32_t>& Rows() const { return m_Rows; }
    const CLibraryIndex& Index() const { return *m_ptrIndex; }

  private:
    std::shared_ptr<const CLibraryIndex> m_ptrIndex;
    std::string m_Text;
    std::vector<uint32_t> m_Rows;
};
