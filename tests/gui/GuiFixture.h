#pragma once

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QByteArray>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QMdiArea>
#include <QPainter>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <deque>
#include <functional>
#include <memory>
#include <ostream>
#include <set>
#include <string>
#include <vector>

#include "app/ChildFrm.h"
#include "app/LibraryService.h"
#include "app/MainFrm.h"
#include "app/Quorlin.h"
#include "app/QuorlinDoc.h"
#include "app/RecentFileStore.h"
#include "app/UserAsker.h"
#include "app/WindowLayoutStore.h"
#include "midi/VirtualMks80.h"
#include "platform/EventLoop.h"
#include "platform/Prompter.h"
#include "platform/SettingsStore.h"
#include "view/CommandIds.h"
#include "view/QuorlinView.h"

// Readable failure messages for Qt strings.
inline void PrintTo(const QString& in_text, std::ostream* out_stream) {
    *out_stream << '"' << in_text.toStdString() << '"';
}

// A bank view that notes which rows it paints.
class PaintNotingView : public CQuorlinView {
  public:
    using CQuorlinView::CQuorlinView;
    void DrawRow(QPainter& in_painter, int in_row, int in_y, bool in_selected) override {
        m_Drawn.insert(in_row);
        CQuorlinView::DrawRow(in_painter, in_row, in_y, in_selected);
    }
    std::set<int> m_Drawn;
};

// Answers the document questions on script; a question nobody expected fails the test.
class ScriptedAsker : public UserAsker {
  public:
    SaveChoice AskSaveChanges(const QString& in_title) override {
        m_AskedTitles.push_back(in_title);
        if (m_SaveChoices.empty()) {
            ADD_FAILURE() << "unexpected question whether to save " << in_title.toStdString();
            return SaveChoice::Cancel;
        }
        const SaveChoice choice = m_SaveChoices.front();
        m_SaveChoices.pop_front();
        return choice;
    }
    QString OpenFileName(const QString&, const QStringList& in_filters,
                         const QString& in_folder) override {
        m_OpenFilters = in_filters;
        m_OpenFolder = in_folder;
        ++m_OpenAsked;
        return m_OpenPath;
    }
    QString SaveFileName(const QString&, const QString& in_proposed,
                         const QStringList& in_filters) override {
        m_SaveProposed = in_proposed;
        m_SaveFilters = in_filters;
        ++m_SaveAsked;
        return m_SavePath;
    }

    std::deque<SaveChoice> m_SaveChoices;
    std::vector<QString> m_AskedTitles;
    QString m_OpenPath;
    QString m_SavePath;
    QString m_SaveProposed;
    QString m_OpenFolder;
    QStringList m_OpenFilters;
    QStringList m_SaveFilters;
    int m_OpenAsked = 0;
    int m_SaveAsked = 0;
};

// A machine's list of MIDI devices that cannot be opened: enough for start-up.
class DeviceListService : public MidiServiceBase {
  public:
    DeviceListService(unsigned in_inputs, unsigned in_outputs)
        : m_Inputs(in_inputs), m_Outputs(in_outputs) {}
    unsigned InGetNumDevs() override { return m_Inputs; }
    unsigned OutGetNumDevs() override { return m_Outputs; }
    MMRESULT InGetDevCaps(unsigned in_id, std::string& out_name) override {
        out_name = "In " + std::to_string(in_id);
        return in_id < m_Inputs ? MMSYSERR_NOERROR : MMSYSERR_BADDEVICEID;
    }
    MMRESULT OutGetDevCaps(unsigned in_id, std::string& out_name) override {
        out_name = "Out " + std::to_string(in_id);
        return in_id < m_Outputs ? MMSYSERR_NOERROR : MMSYSERR_BADDEVICEID;
    }

  protected:
    MMRESULT OpenInput(MidiHandle, unsigned, const InputQueue&) override {
        return MMSYSERR_BADDEVICEID;
    }
    void CloseInput(MidiHandle) override {}
    MMRESULT OpenOutput(MidiHandle, unsigned) override { return MMSYSERR_BADDEVICEID; }
    MMRESULT SendLong(MidiHandle, const uint8_t*, size_t) override { return MMSYSERR_INVALHANDLE; }
    void CloseOutput(MidiHandle) override {}

  private:
    unsigned m_Inputs;
    unsigned m_Outputs;
};

// Command ids the tests use, under short names.
namespace cmd {
constexpr int New = ID_FILE_NEW, Open = ID_FILE_OPEN, Close = ID_FILE_CLOSE, Save = ID_FILE_SAVE;
constexpr int SaveAs = ID_FILE_SAVE_AS, Copy = ID_EDIT_COPY, Cut = ID_EDIT_CUT;
constexpr int Paste = ID_EDIT_PASTE, Undo = ID_EDIT_UNDO, Redo = ID_EDIT_REDO;
constexpr int WindowNew = ID_WINDOW_NEW, About = ID_APP_ABOUT, Exit = ID_APP_EXIT;
constexpr int SelectPort = ID_SELECT_MIDI_PORT, GetPatches = ID_GET_PATCHES;
constexpr int SendPatches = ID_SEND_PATCHES, Rename = ID_RENAME, ExportToMidi = ID_EXPORT_TO_MIDI;
constexpr int SaveToMks80 = ID_SAVE_TO_MKS80, LoadFromMks80 = ID_LOAD_FROM_MKS80;
constexpr int HelpContents = ID_HELP_CONTENTS, CheckVersion = ID_CHECK_VERSION;
constexpr int TransferSpeed = ID_SET_TRANSFER_SPEED, AppDisplaySelection = ID_APP_DISPLAY_SELECTION;
constexpr int Disconnect = ID_DISCONNECT, DisplaySelection = ID_DISPLAY_SELECTION;
constexpr int OpenSysex = ID_OPEN_SYSEX_DATA;
}  // namespace cmd

// The application started on doubles: settings in memory, the virtual instrument (or
// another service), a manual event loop, a recording prompter and a scripted asker.
class GuiFixture : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(m_TempDir.isValid()); }

    // Builds the application without starting it.
    void Make(std::unique_ptr<MidiService> in_service = nullptr) {
        AppServices services;
        auto settings = std::make_unique<platform::MemorySettingsStore>();
        m_Settings = settings.get();
        if (m_PresetSettings) {
            m_PresetSettings(*m_Settings);
        }
        services.settings = std::move(settings);
        if (!in_service) {
            // An empty memory path: the instrument's memory lives only as long as it does.
            auto virtualMks80 = std::make_unique<VirtualMks80>(Mks80Options{}, std::string());
            m_Virtual = virtualMks80.get();
            in_service = std::move(virtualMks80);
        }
        services.midi = std::move(in_service);
        if (m_RealLoop) {
            services.loop = std::move(m_RealLoop);
        } else {
            auto loop = std::make_unique<platform::ManualEventLoop>();
            m_Loop = loop.get();
            services.loop = std::move(loop);
        }
        services.prompter = m_UseConsolePrompter ? nullptr : &m_Prompter;
        auto recent = std::make_unique<MemoryRecentFileStore>();
        m_Recent = recent.get();
        services.recentFiles = std::move(recent);
        services.asker = &m_Asker;
        services.shell = &m_Shell;
        auto layout = std::make_unique<MemoryWindowLayoutStore>();
        layout->m_Kept = m_PresetLayout;
        m_Layout = layout.get();
        services.layout = std::move(layout);
        if (!m_LibraryFolder.isEmpty()) {
            services.library = std::make_unique<CLibraryService>();
            services.library->SetFolder(m_LibraryFolder);
        }
        m_App = std::make_unique<CQuorlinApp>(std::move(services));
    }

    // Builds and starts the application; false when start-up failed.
    bool Start(std::unique_ptr<MidiService> in_service = nullptr,
               const QStringList& in_files = {}) {
        Make(std::move(in_service));
        return m_App->InitInstance(in_files);
    }

    void TearDown() override {
        m_App.reset();
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    CMainFrame* Frame() const { return m_App->GetMainFrame(); }
    CQuorlinView* View() const { return Frame()->ActiveView(); }
    CQuorlinDoc* Doc() const { return DocumentOf(View()); }
    QAction* Act(int in_id) const { return Frame()->Action(in_id); }
    void Trigger(int in_id) const {
        QAction* action = Act(in_id);
        ASSERT_NE(action, nullptr) << in_id;
        action->trigger();
    }
    // Waits (at most 30 s) for what another thread, such as the library's reader, brings about.
    template <typename Condition>
    static bool WaitFor(Condition in_condition) {
        QElapsedTimer waited;
        waited.start();
        while (!in_condition() && waited.elapsed() < 30000) {
            QTest::qWait(20);
        }
        return in_condition();
    }
    // Runs the command; while its dialog is open, in_use works it and closes it.
    template <typename Dialog, typename Use>
    void WithDialog(int in_command, Use in_use) {
        bool seen = false;
        QTimer::singleShot(0, [&]() {
            if (auto* dialog = qobject_cast<Dialog*>(QApplication::activeModalWidget())) {
                seen = true;
                in_use(*dialog);
            }
        });
        Trigger(in_command);
        EXPECT_TRUE(seen) << "the dialog did not open";
    }
    size_t WindowCount() const { return Frame()->ChildFrames().size(); }
    // Lets closed windows and their documents really go.
    static void Settle() {
        QApplication::processEvents();
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    QString TempPath(const QString& in_name) const { return m_TempDir.filePath(in_name); }
    static QByteArray ReadAll(const QString& in_path) {
        QFile file(in_path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    static QString DataPath(const QString& in_relative) {
        return QDir(QStringLiteral(QUORLIN_TEST_DATA)).filePath(in_relative);
    }

    struct RecordingShell : public platform::Shell {
        bool OpenUrl(const std::string& url) override {
            m_Urls.push_back(url);
            return m_HasBrowser;
        }
        std::vector<std::string> m_Urls;
        bool m_HasBrowser = true;
    };

    QTemporaryDir m_TempDir;
    platform::RecordingPrompter m_Prompter;
    bool m_UseConsolePrompter = false;
    ScriptedAsker m_Asker;
    RecordingShell m_Shell;
    std::function<void(platform::MemorySettingsStore&)> m_PresetSettings;
    platform::MemorySettingsStore* m_Settings = nullptr;
    platform::ManualEventLoop* m_Loop = nullptr;
    // Set before Start: the application runs on this loop instead (m_Loop stays null).
    std::unique_ptr<platform::EventLoop> m_RealLoop;
    MemoryRecentFileStore* m_Recent = nullptr;
    // The frame's bars and panels as a previous run left them; what this run keeps.
    QByteArray m_PresetLayout;
    MemoryWindowLayoutStore* m_Layout = nullptr;
    VirtualMks80* m_Virtual = nullptr;
    // Set before Start: the application reads this folder as its library.
    QString m_LibraryFolder;
    std::unique_ptr<CQuorlinApp> m_App;
};
