// qarlo: the channel-programming window.
#include "app/CQarloApp.h"
#include "app/CommandLine.h"
#include "app/MessageBox.h"
#include "platform/qt/FileNames.h"

#include "QarloVersion.h"

#include <QApplication>

#include <cstdio>

namespace {
constexpr int EXIT_USAGE = 2;
}

int main(int argc, char** argv) {
    // --help and --version answer before the window exists, so they need no display.
    QStringList given;
    for (int i = 0; i < argc; ++i)
        given.append(QString::fromLocal8Bit(argv[i]));
    if (const auto answer = qarlo::InformationRequested(given, QARLO_VERSION)) {
        std::fputs(answer->toLocal8Bit().constData(), stdout);
        return 0;
    }
    QApplication app(argc, argv);
    // From argv itself, which QApplication has left without its own options:
    // QApplication::arguments() turns a name that is not UTF-8 into another one.
    QString usageError;
    const auto files = qarlo::FileArguments(
        QStringList{QString()} + qarlo::ArgumentsFromArgv(argc, argv), usageError);
    if (!files) {
        std::fputs(usageError.toLocal8Bit().constData(), stderr);
        return EXIT_USAGE;
    }
    qarlo::MessageBoxSink messages;
    qarlo::CQarloApp theApp(messages);
    if (!theApp.InitInstance(*files)) return 1;
    return app.exec();
}
