#pragma once

#include <functional>
#include <memory>
#include <optional>

#include "bank/BankEntries.h"

class CSysExData;
class QMimeData;
class QWidget;

// The clipboard record of one entry (CLIPBOARD_RECORD_SIZE bytes), offered under
// one of these two format names, so that other copies of the program (and, on
// Windows, any program that registers the same names) can read it.
extern const char* const kPatchFormatName;  // "MKS80_PatchData_KT99"
extern const char* const kToneFormatName;   // "MKS80_ToneData_KT99"

// Asks which tone a pasted tone replaces: the proposed index -> the chosen one, or
// nullopt on Cancel.
using ToneChooser = std::function<std::optional<int>(int in_proposed, CSysExData& in_bank)>;

// Shows the tone overwrite dialog over in_parent.
ToneChooser DialogToneChooser(QWidget* in_parent);

// The record of the entry at (row, column) wrapped for the clipboard or a drag;
// nullptr when the row or the column names no entry.
std::unique_ptr<QMimeData> CreateBankMimeData(const CSysExData& in_bank, int in_row, int in_column);

// What pasting a record into (row, column) of in_bank writes, in order, once the user
// has said where its tones go: the patch (playing the tones chosen) and its tones, or the
// tone. Nothing is written here. Beeps and returns nothing when the data does not hold a
// record of the kind the column needs; nothing on Cancel.
std::optional<BankEntries> PastedEntries(const QMimeData* in_data, CSysExData& in_bank, int in_row,
                                         int in_column, const ToneChooser& in_chooser);
