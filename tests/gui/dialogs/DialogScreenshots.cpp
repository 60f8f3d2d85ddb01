// --screenshot DIR: shows each dialog as a user would meet it and saves a picture of
// it into DIR, so that the looks can be checked by eye on a real display.
#include "DialogScreenshots.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QTemporaryDir>
#include <QTest>
#include <cstdio>
#include <memory>

#include "ScriptedPortService.h"
#include "app/Quorlin.h"
#include "app/RecentFileStore.h"
#include "bank/SysExData.h"
#include "dialogs/DialogChooseToneToOverwrite.h"
#include "dialogs/DialogDelayTime.h"
#include "dialogs/DialogEditName.h"
#include "dialogs/DialogSetupMIDIPorts.h"
#include "platform/EventLoop.h"
#include "platform/Prompter.h"
#include "platform/SettingsStore.h"

namespace {

bool Save(QWidget& in_dialog, const QDir& in_dir, const char* in_name) {
    in_dialog.show();
    QApplication::processEvents();
    QTest::qWait(200);
    const QString path = in_dir.filePath(QString::fromLatin1(in_name) + ".png");
    const bool saved = in_dialog.grab().save(path);
    std::printf("%s %s\n", saved ? "saved" : "FAILED", path.toLocal8Bit().constData());
    in_dialog.hide();
    return saved;
}

}  // namespace

int RunDialogScreenshots(const QString& in_dir) {
    const QDir dir(in_dir);
    if (!QDir().mkpath(in_dir)) {
        return 1;
    }
    platform::RecordingPrompter prompter;
    platform::ScopedPrompter scope(prompter);
    CNullBankView view;
    CSysExData bank(&view);
    bank.GetPatch(0)->SetName("Brass Section");
    bank.GetTone(5)->SetName("Steel Drum");
    bank.GetPatch(9)->SetName("Sync Lead");

    auto ports = std::make_unique<ScriptedPortService>();
    ports->m_InNames = {"Midi Through Port-0", "USB MIDI Interface", "Virtual MKS-80"};
    ports->m_OutNames = {"Midi Through Port-0", "USB MIDI Interface", "Virtual MKS-80"};
    AppServices services;
    services.settings = std::make_unique<platform::MemorySettingsStore>();
    services.midi = std::move(ports);
    services.loop = std::make_unique<platform::ManualEventLoop>();
    services.prompter = &prompter;
    services.recentFiles = std::make_unique<MemoryRecentFileStore>();
    CQuorlinApp app(std::move(services));
    app.m_MidiChannel = 1;
    app.m_MidiInDevID = 1;
    app.m_MidiOutDevID = 1;
    app.m_SaveSettingsOnExit = 1;

    bool ok = true;
    {
        CDialogEditPatch dialog(&bank, 0);
        ok = Save(dialog, dir, "edit-patch") && ok;
    }
    {
        CDialogEditTone dialog(&bank, 5);
        ok = Save(dialog, dir, "edit-tone") && ok;
    }
    {
        CDialogChooseToneToOverwrite dialog(5, &bank);
        ok = Save(dialog, dir, "choose-tone") && ok;
    }
    {
        CDialogSetupMIDIPorts dialog(app);
        ok = Save(dialog, dir, "setup-midi-ports") && ok;
    }
    {
        CDialogDelayTime dialog(app);
        ok = Save(dialog, dir, "delay-time") && ok;
    }
    return ok ? 0 : 1;
}
