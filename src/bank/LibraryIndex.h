#pragma once

#include <atomic>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "bank/BankCompare.h"

class CSysExData;

// True for the three names that say an entry was never named: "------Empty------",
// "------Patch------" and "------Tone-------".
bool IsPlaceholderName(const std::string& in_name);

// One bank file of the library. Paths are UTF-8.
struct LibraryFile {
    std::string path;
    int64_t modified = 0;  // last write time, only compared with other files' times
};

// One named entry of the library; CLibraryIndex::Name gives its name.
struct LibraryEntry {
    EntryKind kind = EntryKind::Patch;
    int index = 0;  // where it stands in its bank, 0 to 63
    int file = 0;   // into CLibraryIndex::Files()
    uint32_t nameStart = 0;
    uint32_t nameSize = 0;
    uint32_t byteStart = 0;
};

// One entry found by CLibraryIndex::FindSimilar.
struct SimilarEntry {
    const LibraryEntry* entry = nullptr;
    float distance = 0;  // mks80::Distance of its bytes from the ones asked for
    bool copy = false;   // the very same bytes
};

// The named entries of a folder of bank files, looked up by kind and exact parameter
// bytes. Where several entries hold the same bytes, the one from the most recently
// modified file answers (then the first path in sort order, then the lower number).
class CLibraryIndex {
  public:
    // Reads every bank file (.m80) in in_folder and its subfolders. A file that is not a
    // whole bank, or cannot be read, is skipped with a note. in_cancel, when set, is
    // checked between files and ends the walk early.
    static CLibraryIndex Build(const std::string& in_folder,
                               const std::atomic<bool>* in_cancel = nullptr);

    // The entry that names these bytes (PATCH_PARAM_COUNT or TONE_PARAM_COUNT of them),
    // or nullptr.
    const LibraryEntry* Find(EntryKind in_kind, const int8_t* in_bytes) const;
    // Find for many at once, in one pass over the library.
    std::vector<const LibraryEntry*> FindAll(
        const std::vector<std::pair<EntryKind, const int8_t*>>& in_wanted) const;

    // At most in_count entries of kind in_kind nearest to in_bytes by mks80::Distance,
    // nearest first. Among equal distances exact copies come first, then the entries
    // rank as Find ranks them (the most recently modified file first).
    std::vector<SimilarEntry> FindSimilar(EntryKind in_kind, const int8_t* in_bytes,
                                          size_t in_count) const;

    const std::vector<LibraryEntry>& Entries() const { return m_Entries; }
    // The parameter bytes of an entry.
    const int8_t* Bytes(const LibraryEntry& in_entry) const {
        return m_Bytes.data() + in_entry.byteStart;
    }
    std::string Name(const LibraryEntry& in_entry) const {
        return m_Names.substr(in_entry.nameStart, in_entry.nameSize);
    }
    // The names of all entries with their letters in lower case, one after another,
    // each followed by a zero byte, and where each starts (one more at the end): made
    // with the index so that no window spends its time on it, and searched whole.
    const std::string& FoldedNames() const { return m_FoldedNames; }
    const std::vector<uint32_t>& FoldedStarts() const { return m_FoldedStarts; }
    const std::vector<LibraryFile>& Files() const { return m_Files; }
    // One line per file or folder that was skipped, saying why.
    const std::vector<std::string>& Notes() const { return m_Notes; }
    // The subfolders that were walked (UTF-8 paths), for watching them.
    const std::vector<std::string>& Folders() const { return m_Folders; }
    // False when the folder itself could not be read (missing, not a folder, no access).
    bool FolderRead() const { return m_FolderRead; }

  private:
    // True when entry in_candidate should answer for its bytes instead of in_current.
    bool Outranks(uint32_t in_candidate, uint32_t in_current) const;
    bool SameBytes(uint32_t in_id, EntryKind in_kind, const int8_t* in_bytes) const;
    // Adds the named entries of one bank as the file in_path, modified at in_modified.
    void AddBank(const std::string& in_path, int64_t in_modified, const CSysExData& in_bank);

    std::vector<LibraryFile> m_Files;
    // A million entries of their own strings would take longer to make than the files
    // take to read: names and bytes are kept one after another instead.
    std::vector<LibraryEntry> m_Entries;
    std::string m_Names;
    std::string m_FoldedNames;
    std::vector<uint32_t> m_FoldedStarts{0};
    std::vector<std::string> m_Notes;
    std::vector<std::string> m_Folders;
    bool m_FolderRead = true;
    // The parameter bytes of every entry and a hash of each.
    std::vector<int8_t> m_Bytes;
    std::vector<uint64_t> m_Hashes;
    // For FindSimilar, by kind (patches, tones): the valid values of every entry
    // (mks80::ReadValues) one after another, and the entry each belongs to. Read once
    // here, a search is one pass over small numbers.
    std::vector<uint8_t> m_Values[2];
    std::vector<uint32_t> m_ValueIds[2];
};

// in_text with its letters (ASCII and the Latin-1 accented ones) in lower case.
std::string FoldCase(const std::string& in_text);

// One name that the library gives an entry of a bank.
struct LibraryName {
    EntryKind kind = EntryKind::Patch;
    int index = 0;
    std::string name;
};

// The names the library has for the placeholder-named entries of a bank.
struct LibraryNaming {
    std::vector<LibraryName> names;
    int patches = 0;
    int tones = 0;
    int files = 0;  // how many library files the names came from
};

// Every entry of in_bank whose name is a placeholder and whose bytes are those of a
// named entry of the same kind in the library. The bank is not changed.
LibraryNaming NamesFromLibrary(const CSysExData& in_bank, const CLibraryIndex& in_library);

// "Named 57 patches and 60 tones from your library (3 files)", or what says that no
// entry matched.
std::string NamingSummary(const LibraryNaming& in_naming);
