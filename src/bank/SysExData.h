#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "mks80/Parameters.h"

class CArchive;

constexpr int BANK_SIZE = 64;
constexpr int PATCH_PARAM_COUNT = mks80::PATCH_BYTES;
constexpr int TONE_PARAM_COUNT = mks80::TONE_BYTES;

// The names that mean something of their own; each is exactly 17 characters.
extern const char* const kEmptyName;         // "------Empty------"
extern const char* const kPatchPlaceholder;  // "------Patch------"
extern const char* const kTonePlaceholder;   // "------Tone-------"

// The clipboard record: three places of 100 bytes, each a name of at most 30
// characters with its terminating zero, then the entry's parameter bytes.
constexpr int CLIPBOARD_RECORD_SIZE = 300;
constexpr int CLIPBOARD_PLACE_SIZE = 100;
constexpr int CLIPBOARD_NAME_FIELD = 31;
constexpr int CLIPBOARD_MAX_NAME = 30;

// The two digits under which the user sees entry index in_index (0 -> "11", 63 -> "88").
std::string EntryNumber(int in_index);
// The index of a two-digit entry number, or -1 when it is not 11 to 88 with digits 1 to 8.
int EntryIndexFromNumber(const std::string& in_number);

// What the bank needs of the view that shows it.
class CBankView {
  public:
    virtual ~CBankView() = default;
    // Brings row in_row into sight and repaints it.
    virtual void RefreshRow(int in_row) = 0;
};

// A view that shows nothing, for banks held by the command-line tool.
class CNullBankView : public CBankView {
  public:
    void RefreshRow(int) override {}
};

// What a patch and a tone share: a name and their parameter bytes. An entry is empty
// exactly while it is named kEmptyName.
template <bool IsTone>
class CEntryData {
  public:
    static constexpr int kParamCount = IsTone ? TONE_PARAM_COUNT : PATCH_PARAM_COUNT;

    // The steel drum sound under the empty name, as every entry of a new bank holds.
    CEntryData();
    void SetDefaults();
    // Copies kParamCount bytes; an empty entry takes its placeholder name.
    void SetData(const int8_t* in_data);
    int8_t* GetData() { return m_Data.data(); }
    const int8_t* GetData() const { return m_Data.data(); }
    std::string GetName() const { return m_Name; }
    void SetName(const std::string& in_name) { m_Name = in_name; }
    bool IsEmpty() const { return m_Name == kEmptyName; }

  protected:
    std::array<int8_t, kParamCount> m_Data{};
    std::string m_Name;
};
extern template class CEntryData<false>;
extern template class CEntryData<true>;

class CPatchData : public CEntryData<false> {
  public:
    // True when either half's tone number names tone in_tone.
    bool UsesTone(int in_tone) const;
};

class CToneData : public CEntryData<true> {};

// Indices of the patches and tones named "------Empty------".
struct EmptyEntries {
    std::vector<int> patches;
    std::vector<int> tones;
};

// A bank: 64 patches and 64 tones, addressed by index 0 to 63.
class CSysExData {
  public:
    // in_ptrView is not owned and must outlive the bank.
    explicit CSysExData(CBankView* in_ptrView);

    // The entry at in_index, or nullptr (after the invalid-index message) when
    // in_index is outside 0 to 63.
    CPatchData* GetPatch(int in_index);
    CToneData* GetTone(int in_index);
    const CPatchData* GetPatch(int in_index) const;
    const CToneData* GetTone(int in_index) const;

    // Writes the 64 entries in the bank file format. False when the stream failed.
    [[nodiscard]] bool StoreBank(CArchive& ar) const;
    // Reads 64 entries, refreshing each row as it completes. False when the file
    // ended early: the entries read before that keep their new contents. An entry the
    // file names "------Empty------" takes its placeholder name; out_emptyInFile, when
    // given, receives which ones they were.
    [[nodiscard]] bool LoadBank(CArchive& ar, EmptyEntries* out_emptyInFile = nullptr);
    // Fills the bank from recorded bulk-dump messages; never reads past in_size
    // nor past the first 10000 bytes. Real-time bytes are skipped, and so are the
    // handshake messages WSD, RQD and ACK. Returns the number of data blocks taken;
    // out_badChecksums, when given, receives the (file-order) numbers of the blocks
    // taken with a wrong checksum.
    int ImportSysEx(const uint8_t* in_buffer, size_t in_size,
                    std::vector<int>* out_badChecksums = nullptr);
    // Fills one 100-byte place of a clipboard record with entry in_index.
    // An index outside 0 to 63 leaves the place untouched and returns false.
    bool CopyEntryToRecord(bool in_tone, int in_index, uint8_t* out_place) const;

    CBankView* GetView() const { return m_ptrView; }

  private:
    CBankView* m_ptrView;
    std::array<CPatchData, BANK_SIZE> m_Patches;
    std::array<CToneData, BANK_SIZE> m_Tones;
};

// The most of a recorded dump that is ever read.
constexpr size_t SYSEX_IMPORT_LIMIT = 10000;

// Copies the names and bytes of in_count entries from in_first on into io_to, and
// refreshes their rows there.
void CopyEntries(const CSysExData& in_from, CSysExData& io_to, int in_first, int in_count);
