#include "bank/LibraryIndex.h"

#include <algorithm>
#include <array>
#include <bitset>
#include <filesystem>
#include <limits>
#include <set>
#include <system_error>

#ifdef __linux__
#include <sys/mman.h>
#endif

#include "bank/BankFiles.h"
#include "bank/SysExData.h"
#include "mks80/NewSounds.h"
#include "platform/FileAccess.h"

namespace fs = std::filesystem;

namespace {

bool IsBankFileName(const fs::path& in_path) {
    std::string extension = in_path.extension().string();
    for (char& c : extension) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    return extension == ".m80";
}

// Reads a whole bank file through the same checks as every other reader of bank
// files; false, with the reason, for anything else: a damaged or cut-short file, a
// recorded dump or MIDI file, bytes after the last entry.
bool ReadBankFile(const fs::path& in_path, std::string& io_buffer, CSysExData& out_bank,
                  std::string& out_why) {
    bool more = false;
    const platform::FileResult read =
        platform::ReadFileStart(in_path.u8string(), BANK_FILE_READ_LIMIT, io_buffer, more);
    if (!read) {
        out_why = "cannot be opened for reading: " + read.reason;
        return false;
    }
    // An empty file reads as nothing at all and would leave the last bank in out_bank.
    if (io_buffer.empty()) {
        out_why = "is empty";
        return false;
    }
    const BankReadReport report = ReadBankBytes(reinterpret_cast<const uint8_t*>(io_buffer.data()),
                                                io_buffer.size(), more, out_bank);
    if (report.result != ReadResult::Ok) {
        out_why = DescribeRefusal(report);
        return false;
    }
    if (report.kind != FileKind::BankFile || report.trailingBytes) {
        out_why = "is not a whole bank file";
        return false;
    }
    return true;
}

// The tables of a large library are touched page by page as they fill: on Linux,
// asking for huge pages turns tens of thousands of page faults into a few dozen, which
// for a library of 10 000 banks is more than the files take to read. Only a hint.
template <class Table>
void PreferHugePages(Table& io_table) {
#ifdef __linux__
    constexpr uintptr_t kHuge = uintptr_t(2) << 20;
    const auto start = reinterpret_cast<uintptr_t>(io_table.data());
    const uintptr_t first = (start + kHuge - 1) & ~(kHuge - 1);
    const uintptr_t last = (start + io_table.capacity() * sizeof(*io_table.data())) & ~(kHuge - 1);
    if (last > first) {
        (void)madvise(reinterpret_cast<void*>(first), last - first, MADV_HUGEPAGE);
    }
#else
    (void)io_table;
#endif
}

int ByteCount(EntryKind in_kind) {
    return in_kind == EntryKind::Patch ? PATCH_PARAM_COUNT : TONE_PARAM_COUNT;
}

mks80::Kind KindOf(EntryKind in_kind) {
    return in_kind == EntryKind::Patch ? mks80::Kind::Patch : mks80::Kind::Tone;
}

size_t KindSlot(EntryKind in_kind) {
    return in_kind == EntryKind::Patch ? 0 : 1;
}

// FNV-1a over the kind and the bytes, then mixed so that every bit of the result
// depends on every byte (the table uses the low bits).
uint64_t HashOf(EntryKind in_kind, const int8_t* in_bytes) {
    uint64_t hash = in_kind == EntryKind::Patch ? 14695981039346656037ull : 1099511628211ull;
    for (int i = 0; i < ByteCount(in_kind); ++i) {
        hash = (hash ^ static_cast<uint8_t>(in_bytes[i])) * 1099511628211ull;
    }
    hash ^= hash >> 33;
    hash *= 0xff51afd7ed558ccdull;
    hash ^= hash >> 33;
    return hash;
}

std::string Plural(int in_count, const char* in_one, const char* in_many) {
    return std::to_string(in_count) + ' ' + (in_count == 1 ? in_one : in_many);
}

}  // namespace

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

bool IsPlaceholderName(const std::string& in_name) {
    return in_name == kEmptyName || in_name == kPatchPlaceholder || in_name == kTonePlaceholder;
}

CLibraryIndex CLibraryIndex::Build(const std::string& in_folder,
                                   const std::atomic<bool>* in_cancel) {
    CLibraryIndex index;
    const fs::path root = fs::u8path(in_folder);
    std::error_code error;
    // Sorted, so that the index does not depend on the order the system lists files in.
    std::set<fs::path> files;
    fs::recursive_directory_iterator walk(root, fs::directory_options::skip_permission_denied,
                                          error);
    if (error || !fs::is_directory(root, error)) {
        index.m_Notes.push_back(in_folder + ": " + (error ? error.message() : "not a folder"));
        index.m_FolderRead = false;
        return index;
    }
    for (const fs::recursive_directory_iterator end; walk != end; walk.increment(error)) {
        if (error) {
            // A folder that went away or turned unreadable during the walk ends it.
            index.m_Notes.push_back(in_folder + ": " + error.message());
            break;
        }
        std::error_code typeError;
        if (walk->is_directory(typeError)) {
            index.m_Folders.push_back(walk->path().u8string());
        } else if (walk->is_regular_file(typeError) && IsBankFileName(walk->path())) {
            files.insert(walk->path());
        }
    }
    CNullBankView view;
    // Room for every entry at once: growing a million entries step by step costs more
    // than reading the files.
    const size_t most = files.size() * 2 * BANK_SIZE;
    index.m_Files.reserve(files.size());
    index.m_Entries.reserve(most);
    index.m_FoldedStarts.reserve(most + 1);
    index.m_Names.reserve(most * 16);
    index.m_FoldedNames.reserve(most * 17);
    index.m_Hashes.reserve(most);
    index.m_Bytes.reserve(files.size() * BANK_SIZE * (PATCH_PARAM_COUNT + TONE_PARAM_COUNT));
    for (EntryKind kind : {EntryKind::Patch, EntryKind::Tone}) {
        const size_t slot = KindSlot(kind);
        index.m_ValueIds[slot].reserve(files.size() * BANK_SIZE);
        index.m_Values[slot].reserve(files.size() * BANK_SIZE *
                                     size_t(mks80::ValueCount(KindOf(kind))));
        PreferHugePages(index.m_ValueIds[slot]);
        PreferHugePages(index.m_Values[slot]);
    }
    PreferHugePages(index.m_Entries);
    PreferHugePages(index.m_FoldedStarts);
    PreferHugePages(index.m_Names);
    PreferHugePages(index.m_FoldedNames);
    PreferHugePages(index.m_Hashes);
    PreferHugePages(index.m_Bytes);
    // One bank and one buffer serve every file: a whole load sets every name and byte.
    CSysExData bank(&view);
    std::string buffer;
    for (const fs::path& path : files) {
        if (in_cancel && in_cancel->load(std::memory_order_relaxed)) {
            break;
        }
        std::error_code timeError;
        const fs::file_time_type modified = fs::last_write_time(path, timeError);
        std::string why;
        if (timeError) {
            index.m_Notes.push_back(path.u8string() + ": " + timeError.message() + ", skipped");
        } else if (!ReadBankFile(path, buffer, bank, why)) {
            index.m_Notes.push_back(path.u8string() + ": " + why + ", skipped");
        } else {
            index.AddBank(path.u8string(), modified.time_since_epoch().count(), bank);
        }
    }
    return index;
}

bool CLibraryIndex::Outranks(uint32_t in_candidate, uint32_t in_current) const {
    const LibraryEntry& candidateEntry = m_Entries[in_candidate];
    const LibraryEntry& currentEntry = m_Entries[in_current];
    const LibraryFile& candidate = m_Files[static_cast<size_t>(candidateEntry.file)];
    const LibraryFile& current = m_Files[static_cast<size_t>(currentEntry.file)];
    if (candidate.modified != current.modified) {
        return candidate.modified > current.modified;
    }
    if (candidate.path != current.path) {
        return candidate.path < current.path;
    }
    return candidateEntry.index < currentEntry.index;
}

bool CLibraryIndex::SameBytes(uint32_t in_id, EntryKind in_kind, const int8_t* in_bytes) const {
    return m_Entries[in_id].kind == in_kind &&
           std::equal(in_bytes, in_bytes + ByteCount(in_kind),
                      m_Bytes.begin() + m_Entries[in_id].byteStart);
}

void CLibraryIndex::AddBank(const std::string& in_path, int64_t in_modified,
                            const CSysExData& in_bank) {
    const int file = static_cast<int>(m_Files.size());
    m_Files.push_back({in_path, in_modified});
    const auto add = [&](EntryKind in_kind, int in_index, const std::string& in_name,
                         const int8_t* in_bytes) {
        if (in_name.empty() || IsPlaceholderName(in_name)) {
            return;
        }
        LibraryEntry entry;
        entry.kind = in_kind;
        entry.index = in_index;
        entry.file = file;
        entry.nameStart = static_cast<uint32_t>(m_Names.size());
        entry.nameSize = static_cast<uint32_t>(in_name.size());
        entry.byteStart = static_cast<uint32_t>(m_Bytes.size());
        m_Entries.push_back(entry);
        m_Names += in_name;
        m_FoldedNames += FoldCase(in_name);
        m_FoldedNames += '\0';
        m_FoldedStarts.push_back(static_cast<uint32_t>(m_FoldedNames.size()));
        m_Bytes.insert(m_Bytes.end(), in_bytes, in_bytes + ByteCount(in_kind));
        m_Hashes.push_back(HashOf(in_kind, in_bytes));
        std::vector<uint8_t>& values = m_Values[KindSlot(in_kind)];
        const size_t start = values.size();
        values.resize(start + size_t(mks80::ValueCount(KindOf(in_kind))));
        mks80::ReadValues(KindOf(in_kind), in_bytes, values.data() + start);
        m_ValueIds[KindSlot(in_kind)].push_back(static_cast<uint32_t>(m_Entries.size() - 1));
    };
    for (int i = 0; i < BANK_SIZE; ++i) {
        const CPatchData& patch = *in_bank.GetPatch(i);
        add(EntryKind::Patch, i, patch.GetName(), patch.GetData());
    }
    for (int i = 0; i < BANK_SIZE; ++i) {
        const CToneData& tone = *in_bank.GetTone(i);
        add(EntryKind::Tone, i, tone.GetName(), tone.GetData());
    }
}

std::vector<const LibraryEntry*> CLibraryIndex::FindAll(
    const std::vector<std::pair<EntryKind, const int8_t*>>& in_wanted) const {
    // One pass over the hashes of the whole library answers a whole bank in a few
    // milliseconds; sorting or tabling a million hashes would cost every reading more.
    std::vector<std::pair<uint64_t, size_t>> hashes;
    std::bitset<4096> maybe;
    for (size_t i = 0; i < in_wanted.size(); ++i) {
        const uint64_t hash = HashOf(in_wanted[i].first, in_wanted[i].second);
        hashes.emplace_back(hash, i);
        maybe.set(hash & 4095);
    }
    std::sort(hashes.begin(), hashes.end());
    std::vector<const LibraryEntry*> found(in_wanted.size(), nullptr);
    std::vector<uint32_t> foundIds(in_wanted.size(), 0);
    for (uint32_t id = 0; id < m_Hashes.size(); ++id) {
        const uint64_t hash = m_Hashes[id];
        if (!maybe.test(hash & 4095)) {
            continue;
        }
        auto at = std::lower_bound(hashes.begin(), hashes.end(), std::make_pair(hash, size_t(0)));
        for (; at != hashes.end() && at->first == hash; ++at) {
            const size_t w = at->second;
            if (SameBytes(id, in_wanted[w].first, in_wanted[w].second) &&
                (!found[w] || Outranks(id, foundIds[w]))) {
                found[w] = &m_Entries[id];
                foundIds[w] = id;
            }
        }
    }
    return found;
}

std::vector<SimilarEntry> CLibraryIndex::FindSimilar(EntryKind in_kind, const int8_t* in_bytes,
                                                     size_t in_count) const {
    struct Found {
        float distance;
        bool copy;
        uint32_t id;
    };
    // True when in_a comes before in_b in the answer.
    const auto before = [this](const Found& in_a, const Found& in_b) {
        if (in_a.distance != in_b.distance) {
            return in_a.distance < in_b.distance;
        }
        if (in_a.copy != in_b.copy) {
            return in_a.copy;
        }
        return Outranks(in_a.id, in_b.id);
    };
    const mks80::Kind kind = KindOf(in_kind);
    const mks80::DistanceWeights& weights = mks80::WeightsOf(kind);
    const size_t width = size_t(weights.count);
    std::array<uint8_t, mks80::MAX_VALUES> wanted{};
    mks80::ReadValues(kind, in_bytes, wanted.data());
    const std::vector<uint8_t>& values = m_Values[KindSlot(in_kind)];
    const std::vector<uint32_t>& ids = m_ValueIds[KindSlot(in_kind)];
    // The nearest so far, as a heap with the farthest of them on top.
    std::vector<Found> nearest;
    nearest.reserve(in_count + 1);
    for (size_t i = 0; i < ids.size() && in_count > 0; ++i) {
        // Once there are in_count, an entry farther than the farthest of them is left
        // as soon as its sum shows it.
        const bool full = nearest.size() == in_count;
        const float bound = full ? nearest.front().distance : std::numeric_limits<float>::max();
        const float distance =
            mks80::ValueDistanceWithin(weights, wanted.data(), &values[i * width], bound);
        if (full && distance > bound) {
            continue;
        }
        const Found found{distance, distance == 0 && SameBytes(ids[i], in_kind, in_bytes), ids[i]};
        if (nearest.size() < in_count) {
            nearest.push_back(found);
            std::push_heap(nearest.begin(), nearest.end(), before);
        } else if (before(found, nearest.front())) {
            std::pop_heap(nearest.begin(), nearest.end(), before);
            nearest.back() = found;
            std::push_heap(nearest.begin(), nearest.end(), before);
        }
    }
    std::sort_heap(nearest.begin(), nearest.end(), before);
    std::vector<SimilarEntry> out;
    out.reserve(nearest.size());
    for (const Found& each : nearest) {
        out.push_back({&m_Entries[each.id], each.distance, each.copy});
    }
    return out;
}

const LibraryEntry* CLibraryIndex::Find(EntryKind in_kind, const int8_t* in_bytes) const {
    return FindAll({{in_kind, in_bytes}}).front();
}

LibraryNaming NamesFromLibrary(const CSysExData& in_bank, const CLibraryIndex& in_library) {
    std::vector<std::pair<EntryKind, const int8_t*>> wanted;
    std::vector<int> indexes;
    for (int i = 0; i < BANK_SIZE; ++i) {
        if (IsPlaceholderName(in_bank.GetPatch(i)->GetName())) {
            wanted.emplace_back(EntryKind::Patch, in_bank.GetPatch(i)->GetData());
            indexes.push_back(i);
        }
    }
    for (int i = 0; i < BANK_SIZE; ++i) {
        if (IsPlaceholderName(in_bank.GetTone(i)->GetName())) {
            wanted.emplace_back(EntryKind::Tone, in_bank.GetTone(i)->GetData());
            indexes.push_back(i);
        }
    }
    const std::vector<const LibraryEntry*> found = in_library.FindAll(wanted);
    LibraryNaming naming;
    std::set<int> files;
    for (size_t w = 0; w < wanted.size(); ++w) {
        if (const LibraryEntry* entry = found[w]) {
            const EntryKind kind = wanted[w].first;
            naming.names.push_back({kind, indexes[w], in_library.Name(*entry)});
            ++(kind == EntryKind::Patch ? naming.patches : naming.tones);
            files.insert(entry->file);
        }
    }
    naming.files = static_cast<int>(files.size());
    return naming;
}

std::string NamingSummary(const LibraryNaming& in_naming) {
    if (in_naming.names.empty()) {
        return "No unnamed entry of this bank matches a named entry of your library";
    }
    return "Named " + Plural(in_naming.patches, "patch", "patches") + " and " +
           Plural(in_naming.tones, "tone", "tones") + " from your library (" +
           Plural(in_naming.files, "file", "files") + ")";
}
