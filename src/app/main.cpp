// Quorlin, the desktop librarian for the MKS-80: builds the application object on
// the real services and runs it. "quorlin FILE.m80" opens that bank instead of a new one.
#include <QApplication>
#include <QIcon>
#include <memory>

#include "app/LibraryService.h"
#include "app/Quorlin.h"
#include "app/WindowLayoutStore.h"
#include "midi/Mks80Engine.h"
#include "ops/MidiServices.h"
#include "platform/qt/QtEventLoop.h"
#include "platform/qt/QtPrompter.h"
#include "platform/qt/QtSettingsStore.h"
#include "platform/qt/QtShell.h"

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

    AppServices services;
    services.settings = std::make_unique<platform::QtSettingsStore>();
    services.midi = ops::MakeMidiService({Mks80Engine::DefaultMemoryPath()});
    services.loop = std::make_unique<platform::QtEventLoop>();
    services.prompter = &prompter;
    services.shell = &shell;
    services.library = std::make_unique<CLibraryService>();
    services.layout = std::make_unique<QtWindowLayoutStore>();

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
