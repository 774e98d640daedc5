// qarlo: the channel-programming window.
#include "app/CMainFrame.h"
#include "app/CQarloApp.h"
#include "app/FileNames.h"
#include "app/MessageBox.h"

#include <QApplication>
#include <QImage>
#include <QTimer>

#include <sys/resource.h>

#include <chrono>
#include <cstdio>

namespace {
// For the start-up benchmark and the screenshot: QARLO_QUIT_WHEN_SHOWN=1 prints the moment the
// painted window is up (ns since the epoch) and the peak memory so far (kB), then ends the run;
// QARLO_GRAB_WINDOW=FILE.png saves the painted window first.
void ArmStartupProbe(qarlo::CMainFrame* frame) {
    const QByteArray grab = qgetenv("QARLO_GRAB_WINDOW");
    if (grab.isEmpty() && qgetenv("QARLO_QUIT_WHEN_SHOWN").isEmpty()) return;
    QTimer::singleShot(grab.isEmpty() ? 0 : 500, frame, [frame, grab] {
        if (!grab.isEmpty()) {
            if (!frame->grab().save(QString::fromLocal8Bit(grab)))
                std::fprintf(stderr, "cannot write %s\n", grab.constData());
        } else {
            const auto now = std::chrono::system_clock::now().time_since_epoch();
            rusage usage{};
            getrusage(RUSAGE_SELF, &usage);
            std::printf("shown %lld %ld\n",
                        static_cast<long long>(
                            std::chrono::duration_cast<std::chrono::nanoseconds>(now).count()),
                        usage.ru_maxrss);
            std::fflush(stdout);
        }
        QApplication::exit(0);
    });
}
} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    qarlo::InstallMessageBoxHandler();
    qarlo::CQarloApp theApp;
    // From argv itself: QApplication::arguments() turns a name that is not UTF-8 into another one.
    if (!theApp.InitInstance(qarlo::ArgumentsFromArgv(argc, argv))) return 1;
    ArmStartupProbe(theApp.mainFrame());
    return app.exec();
}
