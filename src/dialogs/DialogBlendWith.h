#pragma once

#include <QStringList>
#include <functional>
#include <vector>

#include "dialogs/OkCancelDialog.h"

class QComboBox;
class QLabel;
class QSlider;

// "Blend With": the other entry of a blend, from an open bank or the Library panel, and
// the mix. The dialog only chooses; whoever shows it is told of every choice as it is
// made (to show and play the result) and writes the entry after OK.
class CDialogBlendWith : public COkCancelDialog {
    Q_OBJECT

  public:
    // Where the other entry may come from: an open bank (its 64 entry names, shown with
    // their numbers) or one entry of the library (in_entryNames empty).
    struct Source {
        QString title;
        QStringList entryNames;
    };
    // Told the source, the entry in it (0 to 63; 0 for a library entry) and the mix.
    using Preview = std::function<void(int in_source, int in_entry, int in_percent)>;

    // in_entryTitle: "Tone 23". in_source, in_entry and in_percent are chosen first.
    CDialogBlendWith(const QString& in_entryTitle, std::vector<Source> in_sources, int in_source,
                     int in_entry, int in_percent, Preview in_preview,
                     QWidget* in_parent = nullptr);

    int GetSource() const;
    int GetEntry() const;
    int GetPercent() const;

    QComboBox* m_SourceBox = nullptr;
    QComboBox* m_EntryBox = nullptr;
    QSlider* m_MixSlider = nullptr;
    QLabel* m_MixText = nullptr;

  private:
    void FillEntries();
    void Changed();

    std::vector<Source> m_Sources;
    Preview m_Preview;
};
