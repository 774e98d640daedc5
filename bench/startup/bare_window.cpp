// The yardstick for qarlo's start-up: a bare Qt main window with a menu bar, a toolbar and a
// status bar, reporting the moment it is painted and its peak memory the same way qarlo does.
#include <QApplication>
#include <QLabel>
#include <QMainWindow>
#include <QMenuBar>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>

#include <sys/resource.h>

#include <chrono>
#include <cstdio>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QMainWindow window;
    window.menuBar()->addMenu(QStringLiteral("File"))->addAction(QStringLiteral("Exit"));
    window.addToolBar(QStringLiteral("Tools"))->addAction(QStringLiteral("New"));
    window.setCentralWidget(new QLabel(QStringLiteral("bare"), &window));
    window.statusBar()->showMessage(QStringLiteral("Ready"));
    window.show();
    window.repaint();
    QTimer::singleShot(0, &window, [] {
        const auto now = std::chrono::system_clock::now().time_since_epoch();
        rusage usage{};
        getrusage(RUSAGE_SELF, &usage);
        std::printf("shown %lld %ld\n",
                    static_cast<long long>(
                        std::chrono::duration_cast<std::chrono::nanoseconds>(now).count()),
                    usage.ru_maxrss);
        std::fflush(stdout);
        QApplication::exit(0);
    });
    return app.exec();
}
