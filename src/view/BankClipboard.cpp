#include "view/BankClipboard.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QMimeData>
#include <QPointer>
#include <QString>
#include <QWidget>
#include <array>
#include <cstring>

#include "bank/BankEntries.h"
#include "bank/SysExData.h"
#include "dialogs/DialogChooseToneToOverwrite.h"
#include "mks80/Parameters.h"
#include "platform/Prompter.h"

#ifdef Q_OS_WIN
#include <ole2.h>
#ifdef _MSC_VER
#pragma comment(lib, "ole32.lib")
#endif
#endif

const char* const kPatchFormatName = "MKS80_PatchData_KT99";
const char* const kToneFormatName = "MKS80_ToneData_KT99";

namespace {

using Record = std::array<uint8_t, CLIPBOARD_RECORD_SIZE>;

// Where the record keeps what the paste reads: the patch's key mode and tone numbers.
constexpr int kPatchBytesOffset = CLIPBOARD_NAME_FIELD;
constexpr int kPatchMode = kPatchBytesOffset + mks80::PATCH_KEY_MODE_BYTE;
constexpr int kFirstToneNumber = kPatchBytesOffset + mks80::PATCH_UPPER_TONE_BYTE;
constexpr int kSecondToneNumber = kPatchBytesOffset + mks80::PATCH_LOWER_TONE_BYTE;
constexpr int kFirstTonePlace = CLIPBOARD_PLACE_SIZE;
constexpr int kSecondTonePlace = 2 * CLIPBOARD_PLACE_SIZE;
// A patch with this mode plays its first tone only, so only that one is asked for.
constexpr int8_t kSingleToneMode = mks80::KEY_MODE_WHOLE;

bool IsBankIndex(int in_index) {
    return in_index >= 0 && in_index < BANK_SIZE;
}

int8_t SignedByte(const Record& in_record, int in_offset) {
    return static_cast<int8_t>(in_record[static_cast<size_t>(in_offset)]);
}

// The name of a place: up to its first zero byte, never more than a record carries.
std::string PlaceName(const Record& in_record, int in_place) {
    const char* name = reinterpret_cast<const char*>(in_record.data() + in_place);
    return std::string(name, strnlen(name, CLIPBOARD_MAX_NAME));
}

const int8_t* PlaceBytes(const Record& in_record, int in_place) {
    return reinterpret_cast<const int8_t*>(in_record.data() + in_place + CLIPBOARD_NAME_FIELD);
}

// The record of the named format, or nothing when the data holds none or too short a
// block. On Windows a record put there by a program that is not Qt-based shows up
// under Qt's name for a foreign clipboard format, so that form is accepted too.
std::optional<Record> ReadRecord(const QMimeData* in_data, const char* in_format) {
    if (!in_data) {
        return std::nullopt;
    }
    const QString plain = QString::fromLatin1(in_format);
    const QString foreign = QStringLiteral("application/x-qt-windows-mime;value=\"%1\"").arg(plain);
    QByteArray block;
    if (in_data->hasFormat(plain)) {
        block = in_data->data(plain);
    } else if (in_data->hasFormat(foreign)) {
        block = in_data->data(foreign);
    } else {
        return std::nullopt;
    }
    // The format test and the read are separate steps; a block that is shorter than a
    // record (or gone by now) is refused rather than read past its end.
    if (block.size() < CLIPBOARD_RECORD_SIZE) {
        return std::nullopt;
    }
    Record record{};
    std::memcpy(record.data(), block.constData(), CLIPBOARD_RECORD_SIZE);
    return record;
}

// The entry a place of the record becomes, named as the bank names it once stored (an
// empty entry that receives bytes takes its placeholder name).
BankEntry PlaceEntry(const Record& in_record, int in_place, bool in_tone, int in_index) {
    BankEntry entry;
    entry.tone = in_tone;
    entry.index = in_index;
    const int8_t* bytes = PlaceBytes(in_record, in_place);
    if (in_tone) {
        CToneData tone;
        tone.SetName(PlaceName(in_record, in_place));
        tone.SetData(bytes);
        entry.name = tone.GetName();
        entry.data.assign(bytes, bytes + TONE_PARAM_COUNT);
    } else {
        CPatchData patch;
        patch.SetName(PlaceName(in_record, in_place));
        patch.SetData(bytes);
        entry.name = patch.GetName();
        entry.data.assign(bytes, bytes + PATCH_PARAM_COUNT);
    }
    return entry;
}

// A record copied here should still paste after the program has ended. On Windows the
// clipboard only refers to the program's data until it is flushed, so the data is
// handed to the system when the program quits. Elsewhere Qt's platform integration
// decides (on X11 the session's clipboard manager takes it over, when there is one).
void KeepRecordsAfterExit() {
    static bool connected = false;
    if (connected || !QCoreApplication::instance()) {
        return;
    }
    connected = true;
#ifdef Q_OS_WIN
    QObject::connect(QCoreApplication::instance(), &QCoreApplication::aboutToQuit,
                     []() { OleFlushClipboard(); });
#endif
}

}  // namespace

ToneChooser DialogToneChooser(QWidget* in_parent) {
    QPointer<QWidget> parent(in_parent);
    return [parent](int in_proposed, CSysExData& in_bank) -> std::optional<int> {
        CDialogChooseToneToOverwrite dialog(in_proposed, &in_bank, parent.data());
        if (dialog.exec() != QDialog::Accepted) {
            return std::nullopt;
        }
        return dialog.m_nSelectedTone;
    };
}

std::unique_ptr<QMimeData> CreateBankMimeData(const CSysExData& in_bank, int in_row,
                                              int in_column) {
    if (!IsBankIndex(in_row) || (in_column != 0 && in_column != 1)) {
        return nullptr;
    }
    Record record{};
    const char* format = nullptr;
    if (in_column == 0) {
        format = kPatchFormatName;
        in_bank.CopyEntryToRecord(false, in_row, record.data());
        // A tone number that names no tone of the bank (the instrument never sends one)
        // carries no tone: its place stays blank and the paste leaves that tone out.
        const int first = SignedByte(record, kFirstToneNumber);
        const int second = SignedByte(record, kSecondToneNumber);
        if (IsBankIndex(first)) {
            in_bank.CopyEntryToRecord(true, first, record.data() + kFirstTonePlace);
        }
        if (IsBankIndex(second)) {
            in_bank.CopyEntryToRecord(true, second, record.data() + kSecondTonePlace);
        }
    } else {
        format = kToneFormatName;
        in_bank.CopyEntryToRecord(true, in_row, record.data());
    }
    KeepRecordsAfterExit();
    auto data = std::make_unique<QMimeData>();
    data->setData(QString::fromLatin1(format),
                  QByteArray(reinterpret_cast<const char*>(record.data()), CLIPBOARD_RECORD_SIZE));
    return data;
}

std::optional<BankEntries> PastedEntries(const QMimeData* in_data, CSysExData& in_bank, int in_row,
                                         int in_column, const ToneChooser& in_chooser) {
    // A patch record goes only onto a patch, a tone record only onto a tone.
    const bool onPatch = in_column == 0;
    std::optional<Record> record;
    if (IsBankIndex(in_row) && (in_column == 0 || in_column == 1)) {
        record = ReadRecord(in_data, onPatch ? kPatchFormatName : kToneFormatName);
    }
    if (!record) {
        platform::GetPrompter().Beep();
        return std::nullopt;
    }

    if (!onPatch) {
        return BankEntries{PlaceEntry(*record, 0, true, in_row)};
    }

    // The tones a patch plays land where the user says. A tone whose number names no
    // tone of a bank was not carried by the copy, and a choice that names none (a tone
    // dialog with nothing selected) has no place to go: either way that tone is left
    // out and the rest of the paste goes on.
    const auto choose = [&](int in_copied) -> std::optional<int> {
        if (!IsBankIndex(in_copied)) {
            return -1;
        }
        return in_chooser(in_copied, in_bank);
    };
    const bool singleTone = SignedByte(*record, kPatchMode) == kSingleToneMode;
    const std::optional<int> first = choose(SignedByte(*record, kFirstToneNumber));
    if (!first) {
        return std::nullopt;
    }
    // A patch that plays its first tone only brings that one tone; no other tone of
    // this bank is touched.
    const std::optional<int> second =
        singleTone ? std::optional<int>(-1) : choose(SignedByte(*record, kSecondToneNumber));
    if (!second) {
        return std::nullopt;
    }

    // The pasted patch plays the tones placed for it here, not the numbers it had in
    // the bank it came from.
    // The patch's bytes are set before any tone joins the list: a reference into the
    // list would not outlive its growing.
    BankEntry patch = PlaceEntry(*record, 0, false, in_row);
    if (IsBankIndex(*first)) {
        patch.data[mks80::PATCH_UPPER_TONE_BYTE] = static_cast<int8_t>(*first);
        if (singleTone) {
            patch.data[mks80::PATCH_LOWER_TONE_BYTE] = static_cast<int8_t>(*first);
        }
    }
    // When both choices are the same tone, the second one is what stays.
    if (IsBankIndex(*second)) {
        patch.data[mks80::PATCH_LOWER_TONE_BYTE] = static_cast<int8_t>(*second);
    }
    BankEntries entries{std::move(patch)};
    if (IsBankIndex(*first)) {
        entries.push_back(PlaceEntry(*record, kFirstTonePlace, true, *first));
    }
    if (IsBankIndex(*second)) {
        entries.push_back(PlaceEntry(*record, kSecondTonePlace, true, *second));
    }
    return entries;
}
