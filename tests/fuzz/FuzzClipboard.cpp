// The clipboard record as another program may have left it: any bytes under our format
// names, pasted onto a patch or a tone.
#include <QByteArray>
#include <QMimeData>
#include <cstddef>
#include <cstdint>
#include <optional>

#include "bank/BankEntries.h"
#include "bank/SysExData.h"
#include "platform/Prompter.h"
#include "view/BankClipboard.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) {
        return 0;
    }
    platform::RecordingPrompter prompter;
    platform::ScopedPrompter scoped(prompter);
    CNullBankView view;
    CSysExData bank(&view);
    const int column = data[0] & 1;
    const int row = (data[0] >> 1) % (BANK_SIZE + 2) - 1;  // also one outside at each end
    QMimeData mime;
    mime.setData(QString::fromLatin1(column == 0 ? kPatchFormatName : kToneFormatName),
                 QByteArray(reinterpret_cast<const char*>(data + 1), qsizetype(size - 1)));
    const auto chooser = [](int in_proposed, CSysExData&) -> std::optional<int> {
        return in_proposed;
    };
    // What a paste would write, written as the document writes it.
    if (const auto entries = PastedEntries(&mime, bank, row, column, chooser)) {
        WriteEntries(bank, *entries);
    }
    return 0;
}
