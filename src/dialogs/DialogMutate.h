#pragma once

#include <cstdint>
#include <functional>

#include "dialogs/OkCancelDialog.h"

class QLabel;
class QPushButton;
class QSlider;

// "Mutate": how strongly to vary an entry at random, and "Again" for another draw. The
// dialog only chooses; whoever shows it is told of every choice (the strength and the
// seed of the draw) to show and play the result, and writes the entry after OK.
class CDialogMutate : public COkCancelDialog {
    Q_OBJECT

  public:
    using Preview = std::function<void(int in_percent, uint32_t in_seed)>;
    // Gives the seed of each new draw.
    using SeedSource = std::function<uint32_t()>;

    // in_entryTitle: "Tone 23".
    CDialogMutate(const QString& in_entryTitle, int in_percent, Preview in_preview,
                  SeedSource in_seeds, QWidget* in_parent = nullptr);

    int GetPercent() const;
    uint32_t GetSeed() const { return m_Seed; }

    QSlider* m_StrengthSlider = nullptr;
    QLabel* m_StrengthText = nullptr;
    QPushButton* m_AgainButton = nullptr;

  private:
    void Changed();

    Preview m_Preview;
    SeedSource m_Seeds;
    uint32_t m_Seed = 0;
};
