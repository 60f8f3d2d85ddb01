// Start-up benchmark: the time from the start of main to the first painted bank window,
// and the resident memory then, for Quorlin and for a bare Qt MDI window (a
// QMainWindow with a QMdiArea and one empty sub-window of the same size) measured in
// the same run. Each side runs in fresh processes, alternately; the medians are
// compared and printed as ratios (target: at most 1.3 each).
//
//   startup_bench [runs]           (default 7; QT_QPA_PLATFORM defaults to offscreen)
#include <QApplication>
#include <QElapsedTimer>
#include <QMainWindow>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#ifdef _WIN32
// The C library of Windows spells the pipe functions with an underscore.
#define popen _popen
#define pclose _pclose
#endif

#include "app/Quorlin.h"
#include "app/RecentFileStore.h"
#include "ops/MidiServices.h"
#include "platform/Prompter.h"
#include "platform/SettingsStore.h"
#include "platform/qt/QtEventLoop.h"
#include "view/QuorlinView.h"

namespace {

using Clock = std::chrono::steady_clock;

// Resident memory of this process in KiB, or -1 where /proc is not there.
long ResidentKiB() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmRSS:", 0) == 0) {
            return std::strtol(line.c_str() + 6, nullptr, 10);
        }
    }
    return -1;
}

// Ends the run at the first paint of the watched window's contents.
class FirstPaint : public QObject {
  public:
    explicit FirstPaint(Clock::time_point in_start) : m_Start(in_start) {}
    std::function<bool(QObject*)> m_IsBankWindow;
    double m_Ms = -1;

  protected:
    bool eventFilter(QObject* in_watched, QEvent* in_event) override {
        if (in_event->type() == QEvent::Paint && m_Ms < 0 && m_IsBankWindow(in_watched)) {
            m_Ms = std::chrono::duration<double, std::milli>(Clock::now() - m_Start).count();
        }
        return false;
    }

  private:
    Clock::time_point m_Start;
};

int RunChild(bool in_quorlin, Clock::time_point in_start, int argc, char** argv) {
    QApplication application(argc, argv);
    FirstPaint watcher(in_start);
    application.installEventFilter(&watcher);

    platform::RecordingPrompter prompter;
    std::unique_ptr<CQuorlinApp> app;
    std::unique_ptr<QMainWindow> bare;
    if (in_quorlin) {
        watcher.m_IsBankWindow = [](QObject* in_object) {
            return in_object->parent() && qobject_cast<CQuorlinView*>(in_object->parent());
        };
        // As the program starts, with settings, recent files and the virtual instrument's
        // memory kept in memory so the benchmark leaves the user's own alone.
        AppServices services;
        services.settings = std::make_unique<platform::MemorySettingsStore>();
        services.midi = ops::MakeMidiService({});
        services.loop = std::make_unique<platform::QtEventLoop>();
        services.prompter = &prompter;
        services.recentFiles = std::make_unique<MemoryRecentFileStore>();
        app = std::make_unique<CQuorlinApp>(std::move(services));
        if (!app->InitInstance()) {
            std::fprintf(stderr, "startup_bench: the program did not start\n");
            return 1;
        }
    } else {
        watcher.m_IsBankWindow = [](QObject* in_object) {
            return in_object->objectName() == QLatin1String("bankwindow");
        };
        bare = std::make_unique<QMainWindow>();
        auto* area = new QMdiArea(bare.get());
        bare->setCentralWidget(area);
        auto* contents = new QWidget;
        contents->setObjectName(QStringLiteral("bankwindow"));
        contents->setAutoFillBackground(true);
        QMdiSubWindow* sub = area->addSubWindow(contents);
        // A titled window, as every document window is: text needs the fonts loaded.
        sub->setWindowTitle(QStringLiteral("MKS80v1"));
        bare->resize(820, 720);
        sub->setGeometry(0, 0, 310, 550);
        sub->show();
        bare->show();
    }
    // The first paint may come while start-up itself runs the event loop, before exec()
    // begins, where exit() would do nothing: so the loop looks for it once it runs.
    QTimer done;
    QObject::connect(&done, &QTimer::timeout, &application, [&watcher]() {
        if (watcher.m_Ms >= 0) {
            QCoreApplication::exit(0);
        }
    });
    done.start(5);
    QTimer::singleShot(20000, &application, [] { QCoreApplication::exit(1); });
    application.exec();
    std::printf("%.3f %ld\n", watcher.m_Ms, ResidentKiB());
    return watcher.m_Ms < 0 ? 1 : 0;
}

double Median(std::vector<double> in_values) {
    std::sort(in_values.begin(), in_values.end());
    const size_t n = in_values.size();
    return n == 0 ? 0 : (n % 2 ? in_values[n / 2] : (in_values[n / 2 - 1] + in_values[n / 2]) / 2);
}

bool RunOnce(const std::string& in_self, const char* in_mode, double& out_ms, double& out_kib) {
    const std::string command = "\"" + in_self + "\" --child " + in_mode;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) {
        return false;
    }
    char buffer[256] = {};
    const bool read = std::fgets(buffer, sizeof buffer, pipe) != nullptr;
    const int status = pclose(pipe);
    if (!read || status != 0) {
        return false;
    }
    std::istringstream line(buffer);
    return static_cast<bool>(line >> out_ms >> out_kib);
}

}  // namespace

int main(int argc, char** argv) {
    const Clock::time_point start = Clock::now();
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    // The program's icons live in its library; their resources are registered by hand.
    Q_INIT_RESOURCE(quorlin);
    if (argc >= 3 && std::string(argv[1]) == "--child") {
        return RunChild(std::string(argv[2]) == "quorlin", start, argc, argv);
    }

    const int runs = argc >= 2 ? std::max(1, std::atoi(argv[1])) : 7;
    const std::string self = argv[0];
    std::vector<double> bareMs, bareKiB, quorlinMs, quorlinKiB;
    // One run of each first to warm the file cache, not counted.
    double ms = 0, kib = 0;
    (void)RunOnce(self, "bare", ms, kib);
    (void)RunOnce(self, "quorlin", ms, kib);
    for (int i = 0; i < runs; ++i) {
        if (!RunOnce(self, "bare", ms, kib)) {
            std::fprintf(stderr, "startup_bench: the bare window run failed\n");
            return 1;
        }
        bareMs.push_back(ms);
        bareKiB.push_back(kib);
        if (!RunOnce(self, "quorlin", ms, kib)) {
            std::fprintf(stderr, "startup_bench: the Quorlin run failed\n");
            return 1;
        }
        quorlinMs.push_back(ms);
        quorlinKiB.push_back(kib);
    }
    const double bareTime = Median(bareMs), quorlinTime = Median(quorlinMs);
    const double bareMem = Median(bareKiB), quorlinMem = Median(quorlinKiB);
    std::printf("startup_bench: %d runs of each, medians\n", runs);
    std::printf("  bare Qt MDI window: first paint %8.1f ms, resident %8.1f MiB\n", bareTime,
                bareMem / 1024);
    std::printf("  Quorlin:            first paint %8.1f ms, resident %8.1f MiB\n", quorlinTime,
                quorlinMem / 1024);
    const double timeRatio = quorlinTime / bareTime;
    const double memRatio = bareMem > 0 ? quorlinMem / bareMem : 0;
    std::printf("  start-up ratio %.2f (target <= 1.30)%s\n", timeRatio,
                timeRatio <= 1.3 ? "" : "  OVER");
    if (bareMem > 0) {
        std::printf("  memory ratio   %.2f (target <= 1.30)%s\n", memRatio,
                    memRatio <= 1.3 ? "" : "  OVER");
    } else {
        std::printf("  memory ratio   n/a (no /proc on this system)\n");
    }
    return 0;
}
