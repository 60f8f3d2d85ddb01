#include "view/EntryToolTip.h"

#include <QStringList>
#include <vector>

#include "bank/SysExData.h"
#include "dialogs/EntryNameText.h"
#include "mks80/Parameters.h"

namespace {
// A patch in this key mode plays its first tone only.
constexpr int8_t kSingleToneMode = mks80::KEY_MODE_WHOLE;

// The tones of the bank a patch plays: the upper tone, and the lower unless it plays one;
// a number outside the bank plays nothing.
std::vector<int> TonesPlayed(const CPatchData& in_patch) {
    const int8_t* bytes = in_patch.GetData();
    std::vector<int> tones;
    const auto add = [&tones](int in_tone) {
        if (in_tone >= 0 && in_tone < BANK_SIZE && (tones.empty() || tones.front() != in_tone)) {
            tones.push_back(in_tone);
        }
    };
    add(bytes[mks80::PATCH_UPPER_TONE_BYTE]);
    if (bytes[mks80::PATCH_KEY_MODE_BYTE] != kSingleToneMode) {
        add(bytes[mks80::PATCH_LOWER_TONE_BYTE]);
    }
    return tones;
}

QString Entry(int in_index, const std::string& in_name) {
    return QStringLiteral("%1 %2").arg(QString::fromStdString(EntryNumber(in_index)),
                                       EntryNameToText(in_name));
}
}  // namespace

QString EntryToolTip(const CSysExData& in_bank, int in_row, int in_column) {
    if (in_row < 0 || in_row >= BANK_SIZE || (in_column != 0 && in_column != 1)) {
        return QString();
    }
    if (in_column == 0) {
        const std::vector<int> tones = TonesPlayed(*in_bank.GetPatch(in_row));
        if (tones.empty()) {
            return QStringLiteral("Plays no tone of this bank");
        }
        if (tones.size() == 1) {
            return QStringLiteral("Plays tone %1")
                .arg(Entry(tones[0], in_bank.GetTone(tones[0])->GetName()));
        }
        return QStringLiteral("Plays tones %1 and %2")
            .arg(Entry(tones[0], in_bank.GetTone(tones[0])->GetName()),
                 Entry(tones[1], in_bank.GetTone(tones[1])->GetName()));
    }
    QStringList users;
    for (int patch = 0; patch < BANK_SIZE; ++patch) {
        for (int tone : TonesPlayed(*in_bank.GetPatch(patch))) {
            if (tone == in_row) {
                users << Entry(patch, in_bank.GetPatch(patch)->GetName());
            }
        }
    }
    if (users.isEmpty()) {
        return QStringLiteral("No patch of this bank plays this tone");
    }
    // A tone that most of the bank plays would fill the screen: the first few are named.
    constexpr int kNamed = 8;
    QString list = users.mid(0, kNamed).join(QStringLiteral(", "));
    if (users.size() > kNamed) {
        list += QStringLiteral(" and %1 more").arg(users.size() - kNamed);
    }
    return (users.size() == 1 ? QStringLiteral("Played by patch %1")
                              : QStringLiteral("Played by patches %1"))
        .arg(list);
}
