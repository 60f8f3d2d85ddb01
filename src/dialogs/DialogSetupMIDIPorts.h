#pragma once

#include <cstdint>
#include <vector>

#include "dialogs/OkCancelDialog.h"

class DialogHost;
class QCheckBox;
class QComboBox;
class QPushButton;

// "Setup Midi Ports": the MIDI input and output devices, the channel the instrument
// listens on, and whether these are saved at exit. OK hands them to the MIDI link and
// the application at once.
class CDialogSetupMIDIPorts : public COkCancelDialog {
    Q_OBJECT

  public:
    explicit CDialogSetupMIDIPorts(DialogHost& in_app, QWidget* in_parent = nullptr);

    QCheckBox* m_SaveOnExitCheck = nullptr;
    QComboBox* m_OutPortCombo = nullptr;
    QComboBox* m_InPortCombo = nullptr;
    QComboBox* m_ChannelCombo = nullptr;
    QPushButton* m_TestButton = nullptr;
    // The device id of each list entry, by list position.
    std::vector<uint32_t> m_InDevIDs;
    std::vector<uint32_t> m_OutDevIDs;

    // How long the Test button waits for the instrument to answer, beyond the pause time.
    static constexpr int kTestAnswerMs = 3000;

  private:
    void OnInitDialog();
    void OnOK() override;
    void OnTest();

    DialogHost& m_App;
};
