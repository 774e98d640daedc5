// qarlo: the channel-programming window.
#include "app/CMainFrame.h"
#include "app/CQarloApp.h"
#include "app/FileNames.h"
#include "app/MessageBox.h"

#include "QarloVersion.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QImage>
#include <QTimer>

#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <optional>

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

constexpr int EXIT_USAGE = 2;

const char* const HELP =
    "usage: qarlo [--] [FILE.q02]\n"
    "\n"
    "Qarlo programs a 16-channel two-way radio over a serial line. Without FILE the window\n"
    "starts on a new document; with FILE it opens that channel file.\n"
    "\n"
    "  -h, --help     print this text and exit\n"
    "  -v, --version  print the version and exit\n"
    "  --             ends the options: a FILE that starts with a dash follows it\n"
    "\n"
    "COM1 and COM2 are the devices named by QARLO_COM1 and QARLO_COM2, else /dev/ttyS0 and\n"
    "/dev/ttyS1. Qt's own options (-platform, -style, ...) are accepted before FILE.\n";

struct CommandLine {
    QCommandLineParser parser;
    QCommandLineOption help{{QStringLiteral("h"), QStringLiteral("help")}};
    QCommandLineOption version{{QStringLiteral("v"), QStringLiteral("version")}};
    bool parsed = false;

    explicit CommandLine(const QStringList& arguments) {
        // "-file.q02" is one unknown option, not the letters f, i, l, e ...
        parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
        parser.addOption(help);
        parser.addOption(version);
        parsed = parser.parse(arguments);
    }
};

// --help and --version answer before the window exists, so they need no display. Qt's own
// options are still in `argv` here and count as unknown: only these two are looked at.
std::optional<int> AnswerInformationRequest(int argc, char** argv) {
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    const CommandLine line(arguments);
    if (line.parser.isSet(line.help)) {
        std::fputs(HELP, stdout);
        return 0;
    }
    if (line.parser.isSet(line.version)) {
        std::printf("qarlo %s\n", QARLO_VERSION);
        return 0;
    }
    return std::nullopt;
}

// The file to open (none: a new document) from what QApplication left of the command line;
// nothing after a usage error, which is reported on stderr.
std::optional<QStringList> FileArguments(const QStringList& arguments) {
    const CommandLine line(arguments);
    if (!line.parsed) {
        std::fprintf(stderr,
                     "qarlo: %s\nA FILE that starts with a dash follows --, as in: qarlo -- "
                     "-name.q02\n",
                     line.parser.errorText().toLocal8Bit().constData());
        return std::nullopt;
    }
    if (line.parser.positionalArguments().size() > 1) {
        std::fputs("qarlo: only one FILE can be opened; see qarlo --help\n", stderr);
        return std::nullopt;
    }
    return line.parser.positionalArguments();
}

} // namespace

int main(int argc, char** argv) {
    if (const auto answered = AnswerInformationRequest(argc, argv)) return *answered;
    QApplication app(argc, argv);
    // From argv itself, which QApplication has left without its own options:
    // QApplication::arguments() turns a name that is not UTF-8 into another one.
    const auto files = FileArguments(QStringList{QString()} + qarlo::ArgumentsFromArgv(argc, argv));
    if (!files) return EXIT_USAGE;
    qarlo::InstallMessageBoxHandler();
    qarlo::CQarloApp theApp;
    if (!theApp.InitInstance(*files)) return 1;
    ArmStartupProbe(theApp.mainFrame());
    return app.exec();
}
