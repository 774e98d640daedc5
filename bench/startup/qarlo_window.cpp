// Qarlo's own start-up as the program runs it (application object, frame, form, a new document
// or FILE, the window shown), then: "shown ..." and the run ends at once, for
// bench/startup/run.sh; or, with --grab PNG, the painted window saved there half a second later
// (the README's screenshot: QARLO_COM1 unset, FILE with the channels to show); --grab-screen
// shows the channel overview too and saves the whole screen.
// Usage: qarlo-bench-window [--grab PNG | --grab-screen PNG] [FILE.q02]
#include "ReportShown.h"

#include "app/CMainFrame.h"
#include "app/CQarloApp.h"
#include "app/MessageBox.h"
#include "app/Resources.h"

#include <QAction>
#include <QApplication>
#include <QScreen>
#include <QTimer>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QStringList arguments = QApplication::arguments().mid(1);
    QString grab;
    bool wholeScreen = false;
    if (arguments.size() >= 2 && (arguments.first() == QStringLiteral("--grab") ||
                                  arguments.first() == QStringLiteral("--grab-screen"))) {
        wholeScreen = arguments.first() == QStringLiteral("--grab-screen");
        grab = arguments.at(1);
        arguments = arguments.mid(2);
    }
    qarlo::MessageBoxSink messages;
    qarlo::CQarloApp theApp(messages);
    if (!theApp.InitInstance(arguments)) return 1;
    qarlo::CMainFrame* frame = theApp.mainFrame();
    if (wholeScreen) frame->action(qarlo::ID_VIEW_OVERVIEW)->trigger();
    QTimer::singleShot(grab.isEmpty() ? 0 : 500, frame, [frame, grab, wholeScreen] {
        if (grab.isEmpty()) {
            ReportShown();
        } else if (!(wholeScreen ? frame->screen()->grabWindow(0) : frame->grab()).save(grab)) {
            std::fprintf(stderr, "cannot write %s\n", grab.toLocal8Bit().constData());
            QApplication::exit(1);
            return;
        }
        QApplication::exit(0);
    });
    return app.exec();
}
