// Quorlin, the desktop librarian for the MKS-80: builds the application object on
// the real services and runs it. "quorlin FILE.m80" opens that bank instead of a new one.
#include <QApplication>
#include <QIcon>
#include <memory>
#include <vector>

#include "app/Quorlin.h"
#include "midi/CombinedMidiService.h"
#include "midi/Mks80Engine.h"
#include "midi/VirtualMks80.h"
#include "platform/qt/QtEventLoop.h"
#include "platform/qt/QtPrompter.h"
#include "platform/qt/QtSettingsStore.h"
#include "platform/qt/QtShell.h"
#if defined(QUORLIN_HAVE_RTMIDI) && __has_include("midi/RtMidiService.h")
#include "midi/RtMidiService.h"
#define QUORLIN_WITH_RTMIDI 1
#endif

namespace {
// The parts the combined service lists: real ports first, the virtual instrument last.
class ProgramMidiService : public CombinedMidiService {
  public:
    ProgramMidiService(std::vector<std::unique_ptr<MidiService>> in_parts)
        : CombinedMidiService(Pointers(in_parts)), m_Parts(std::move(in_parts)) {}

  private:
    static std::vector<MidiService*> Pointers(
        const std::vector<std::unique_ptr<MidiService>>& in_parts) {
        std::vector<MidiService*> pointers;
        for (const auto& part : in_parts) {
            pointers.push_back(part.get());
        }
        return pointers;
    }
    std::vector<std::unique_ptr<MidiService>> m_Parts;
};
}  // namespace

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    // The icons live in the program's library; its resources must be registered by hand.
    Q_INIT_RESOURCE(quorlin);
    QApplication::setApplicationName(QStringLiteral("Quorlin"));
    QApplication::setOrganizationName(QStringLiteral("Velmora"));
    QApplication::setApplicationVersion(QStringLiteral("0.9"));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/icons/quorlin@2x.png")));
    QGuiApplication::setDesktopFileName(QStringLiteral("quorlin"));

    platform::QtPrompter prompter;
    platform::QtShell shell;

    std::vector<std::unique_ptr<MidiService>> parts;
#ifdef QUORLIN_WITH_RTMIDI
    parts.push_back(std::make_unique<RtMidiService>());
#endif
    parts.push_back(
        std::make_unique<VirtualMks80>(Mks80Options{}, Mks80Engine::DefaultMemoryPath()));

    AppServices services;
    services.settings = std::make_unique<platform::QtSettingsStore>();
    services.midi = std::make_unique<ProgramMidiService>(std::move(parts));
    services.loop = std::make_unique<platform::QtEventLoop>();
    services.prompter = &prompter;
    services.shell = &shell;

    int code = 1;
    {
        CQuorlinApp app(std::move(services));
        QStringList files = QApplication::arguments();
        files.removeFirst();
        if (app.InitInstance(files)) {
            code = application.exec();
        }
        const int exitCode = app.ExitInstance();
        if (code == 0) {
            code = exitCode;
        }
    }
    return code;
}
