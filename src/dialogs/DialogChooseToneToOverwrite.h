#pragma once

#include "dialogs/OkCancelDialog.h"

class CSysExData;
class QComboBox;
class QListWidget;

// "Choose Tone to Overwrite": picks the tone of the target bank that a pasted tone
// replaces, listing the patches that play the tone currently chosen.
class CDialogChooseToneToOverwrite : public COkCancelDialog {
    Q_OBJECT

  public:
    // in_ptrSysExData is the target bank, only read, not owned.
    CDialogChooseToneToOverwrite(int in_nTone, CSysExData* in_ptrSysExData,
                                 QWidget* in_parent = nullptr);

    CSysExData* m_ptrSysExData;
    int m_nInitialTone;
    // The tone chosen (-1 when none is); read it after exec() returned Accepted.
    int m_nSelectedTone;
    QListWidget* m_PatchList = nullptr;
    QComboBox* m_ToneCombo = nullptr;

  private:
    void OnInitDialog();
    void OnSelChangeTone();
};
