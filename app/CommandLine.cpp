#include "CommandLine.h"

#include <QCommandLineParser>

namespace qarlo {

namespace {

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

struct Parsed {
    QCommandLineParser parser;
    QCommandLineOption help{{QStringLiteral("h"), QStringLiteral("help")}};
    QCommandLineOption version{{QStringLiteral("v"), QStringLiteral("version")}};
    bool ok = false;

    explicit Parsed(const QStringList& arguments) {
        // "-file.q02" is one unknown option, not the letters f, i, l, e ...
        parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
        parser.addOption(help);
        parser.addOption(version);
        ok = parser.parse(arguments);
    }
};

} // namespace

std::optional<QString> InformationRequested(const QStringList& arguments, const char* version) {
    // Qt's own options count as unknown here: only these two are looked at.
    const Parsed line(arguments);
    if (line.parser.isSet(line.help)) return QString::fromUtf8(HELP);
    if (line.parser.isSet(line.version))
        return QStringLiteral("qarlo %1\n").arg(QString::fromUtf8(version));
    return std::nullopt;
}

std::optional<QStringList> FileArguments(const QStringList& arguments, QString& error) {
    const Parsed line(arguments);
    if (!line.ok) {
        error = QStringLiteral("qarlo: %1\nA FILE that starts with a dash follows --, as in: "
                               "qarlo -- -name.q02\n")
                    .arg(line.parser.errorText());
        return std::nullopt;
    }
    if (line.parser.positionalArguments().size() > 1) {
        error = QStringLiteral("qarlo: only one FILE can be opened; see qarlo --help\n");
        return std::nullopt;
    }
    return line.parser.positionalArguments();
}

} // namespace qarlo
