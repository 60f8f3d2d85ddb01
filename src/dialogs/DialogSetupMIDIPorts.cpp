#include "dialogs/DialogSetupMIDIPorts.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <string>

#include "dialogs/DialogHost.h"
#include "dialogs/DialogLayout.h"
#include "midi/MidiManager.h"
#include "midi/MidiService.h"
#include "platform/Fatal.h"
#include "platform/Prompter.h"

namespace {

constexpr unsigned kMaxListedDevices = 1000;
constexpr int kChannelCount = 16;

QComboBox* NewListCombo(QWidget* in_parent) {
    // Not editable: only a listed entry can be chosen, so what the box shows is
    // always what OK stores (typing picks the entry that starts with the keys).
    auto* combo = new QComboBox(in_parent);
    combo->setEditable(false);
    return combo;
}

// Lists the devices whose names can be had, in device-id order, and selects the
// stored one, or the first when it is not listed.
template <typename Query>
void FillPortList(QComboBox* in_combo, std::vector<uint32_t>& out_ids, unsigned in_count,
                  uint32_t in_stored, Query in_query) {
    in_combo->clear();
    out_ids.clear();
    int selected = -1;
    for (unsigned id = 0; id < in_count; ++id) {
        std::string name;
        if (in_query(id, name) != MMSYSERR_NOERROR) {
            continue;
        }
        const int position = in_combo->count();
        in_combo->insertItem(position, QString::fromLocal8Bit(name.c_str()));
        out_ids.push_back(id);
        if (position == 0 || id == in_stored) {
            selected = position;
        }
    }
    in_combo->setCurrentIndex(selected);
}

// The id at the list's selected position; nothing when no entry is selected, which is
// the case on a machine without a device of that kind.
std::optional<uint32_t> SelectedId(const QComboBox* in_combo, const std::vector<uint32_t>& in_ids) {
    const int position = in_combo->currentIndex();
    if (position < 0 || static_cast<size_t>(position) >= in_ids.size()) {
        return std::nullopt;
    }
    return in_ids[static_cast<size_t>(position)];
}

}  // namespace

CDialogSetupMIDIPorts::CDialogSetupMIDIPorts(DialogHost& in_app, QWidget* in_parent)
    : COkCancelDialog(QStringLiteral("Setup Midi Ports"), in_parent), m_App(in_app) {
    m_InPortCombo = NewListCombo(this);
    auto* inLabel = new QLabel(QStringLiteral("In Port"), this);
    m_OutPortCombo = NewListCombo(this);
    auto* outLabel = new QLabel(QStringLiteral("Out Port"), this);
    auto* group = new QGroupBox(QStringLiteral("MIDI Ports"), this);
    m_ChannelCombo = NewListCombo(this);
    auto* channelLabel = new QLabel(QStringLiteral("MIDI Channel"), this);
    m_SaveOnExitCheck = new QCheckBox(QStringLiteral("Save Settings on Exit"), this);
    m_TestButton = new QPushButton(QStringLiteral("Test"), this);

    const CDialogLayout layout(*this);
    PlaceButtons(layout, 140, 10);
    layout.PlaceCombo(m_InPortCombo, 20, 25, 95, 66);
    layout.Place(inLabel, 20, 15, 65, 8);
    layout.PlaceCombo(m_OutPortCombo, 20, 55, 95, 69);
    layout.Place(outLabel, 20, 45, 45, 8);
    QRect frame = layout.ToPixels(10, 5, 115, 70);
    frame.setBottom(std::max(frame.bottom(), m_OutPortCombo->geometry().bottom() + 6));
    group->setGeometry(frame);
    group->lower();
    layout.PlaceCombo(m_ChannelCombo, 20, 90, 40, 74);
    layout.Place(channelLabel, 20, 80, 45, 8);
    layout.Place(m_SaveOnExitCheck, 105, 90, 75, 10);
    layout.Place(m_TestButton, 140, 55, 50, 15);
    layout.Finish(199, 113);

    SetTabOrder({m_InPortCombo, m_OutPortCombo, m_ChannelCombo, m_SaveOnExitCheck, m_TestButton});
    m_OkButton->setFocus();

    for (int channel = 1; channel <= kChannelCount; ++channel) {
        m_ChannelCombo->addItem(QString::number(channel));
    }

    connect(m_TestButton, &QPushButton::clicked, this, &CDialogSetupMIDIPorts::OnTest);
    OnInitDialog();
}

void CDialogSetupMIDIPorts::OnInitDialog() {
    MidiService& service = m_App.GetMidiManager()->GetService();
    // A MIDI system started since the program began (a JACK server) is offered too.
    service.StartNewApis();
    const unsigned inCount = service.InGetNumDevs();
    const unsigned outCount = service.OutGetNumDevs();
    if (inCount >= kMaxListedDevices || outCount >= kMaxListedDevices) {
        platform::InternalError(
            "Internal Program Error: Inside CDialogSetupMIDIPorts::OnInitDialog() - more than "
            "1000 Midi Devices.  Contact Programmer for fix, though you have way too many Midi "
            "devices for one computer!.");
    }
    const MidiSetupValues setup = m_App.GetMidiSetup();
    FillPortList(m_InPortCombo, m_InDevIDs, inCount, setup.inDevID,
                 [&service](unsigned in_id, std::string& out_name) {
                     return service.InGetDevCaps(in_id, out_name);
                 });
    FillPortList(m_OutPortCombo, m_OutDevIDs, outCount, setup.outDevID,
                 [&service](unsigned in_id, std::string& out_name) {
                     return service.OutGetDevCaps(in_id, out_name);
                 });
    // A stored channel outside 1 to 16 leaves the list with nothing selected.
    const int channel = setup.channel;
    m_ChannelCombo->setCurrentIndex(channel >= 1 && channel <= kChannelCount ? channel - 1 : -1);
    m_SaveOnExitCheck->setChecked(setup.saveSettingsOnExit != 0);
}

void CDialogSetupMIDIPorts::OnOK() {
    CMidiManager* manager = m_App.GetMidiManager();
    MidiSetupValues setup = m_App.GetMidiSetup();
    // A list with no entry selected (no device of that kind) keeps the id it had.
    if (const std::optional<uint32_t> in = SelectedId(m_InPortCombo, m_InDevIDs)) {
        manager->SetMidiInDevID(*in);
        setup.inDevID = *in;
    }
    if (const std::optional<uint32_t> out = SelectedId(m_OutPortCombo, m_OutDevIDs)) {
        manager->SetMidiOutDevID(*out);
        setup.outDevID = *out;
    }
    setup.saveSettingsOnExit = m_SaveOnExitCheck->isChecked() ? 1 : 0;
    // With no channel selected the channel stays as it was: channel 0 would end the
    // program when the link is handed it.
    const int position = m_ChannelCombo->currentIndex();
    if (position >= 0 && position < kChannelCount) {
        setup.channel = position + 1;
    }
    m_App.SetMidiSetup(setup);
    accept();
}

void CDialogSetupMIDIPorts::OnTest() {
    if (m_App.GetMidiManager()->IsTransferRunning()) {
        // The link holds the devices; asking the instrument now would break its exchange.
        platform::GetPrompter().Message(
            "The MIDI link is busy with a transfer. Try the test again when it has ended.");
        return;
    }
    const std::optional<uint32_t> in = SelectedId(m_InPortCombo, m_InDevIDs);
    const std::optional<uint32_t> out = SelectedId(m_OutPortCombo, m_OutDevIDs);
    const int position = m_ChannelCombo->currentIndex();
    if (!in || !out || position < 0 || position >= kChannelCount) {
        // Nothing to try: no success can be claimed.
        platform::GetPrompter().Message("Sorry, no MKS-80 was found at these settings.");
        return;
    }
    // The dialog stays responsive while the instrument is asked; the button stays
    // off until the answer (or the time-out) is in. The probe may end after the
    // dialog has closed, when there is nobody left to tell.
    m_TestButton->setEnabled(false);
    QPointer<CDialogSetupMIDIPorts> self(this);
    DialogHost& host = m_App;
    m_App.GetMidiManager()->ProbeDevices(
        *in, *out, position + 1, kTestAnswerMs + m_App.GetPauseTime(),
        [self, &host](bool in_found) {
            host.DeviceTestEnded();
            if (!self) {
                return;
            }
            self->m_TestButton->setEnabled(true);
            platform::GetPrompter().Message(in_found
                                                ? "Test was successful!"
                                                : "Sorry, no MKS-80 was found at these settings.");
        });
}
