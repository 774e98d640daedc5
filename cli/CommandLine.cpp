// One command-line convention for every command: --help, --version, `--opt value` and
// `--opt=value`, "--" before operands that start with a dash, one usage error.
#include "Command.h"
#include "common.h"

#include "platform/qt/FileNames.h"

#include "QarloVersion.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QStringList>

#include <cstdio>
#include <string_view>

namespace qarlo::cli {

namespace {

QString dashed(const QString& name) {
    return (name.size() == 1 ? QStringLiteral("-") : QStringLiteral("--")) + name;
}

// "qarlo-cli NAME: PROBLEM" and the command's usage line, on standard error.
int usageError(const Command& command, const QString& problem) {
    const std::string_view help = command.help;
    const std::string_view usage = help.substr(0, help.find('\n'));
    std::fprintf(stderr, "qarlo-cli %s: %s\n%.*s\n", command.name,
                 Shown(FileNameBytes(problem).toStdString()).c_str(), static_cast<int>(usage.size()), usage.data());
    return EXIT_USAGE;
}

QCommandLineOption toQt(const Option& option) {
    const QStringList names = QString::fromLatin1(option.names).split(QLatin1Char(','));
    if (option.valueName == nullptr) return QCommandLineOption(names);
    return QCommandLineOption(names, QString(), QString::fromLatin1(option.valueName));
}

// Exactly the operands the command names.
QString operandProblem(const Command& command, const QStringList& given) {
    const QStringList wanted =
        QString::fromLatin1(command.operands).split(QLatin1Char(' '), Qt::SkipEmptyParts);
    if (given.size() < wanted.size())
        return QStringLiteral("Missing %1.").arg(wanted.mid(given.size()).join(QLatin1Char(' ')));
    if (given.size() > wanted.size())
        return QStringLiteral("Unexpected argument '%1'.").arg(given[wanted.size()]);
    return {};
}

// Every value given once, and not empty.
QString valueProblem(const Command& command, const QCommandLineParser& parser) {
    for (const Option& option : command.options) {
        if (option.valueName == nullptr) continue;
        const QCommandLineOption qt = toQt(option);
        const QStringList values = parser.values(qt);
        const QString name = dashed(qt.names().constFirst());
        if (values.size() > 1) return QStringLiteral("More than one '%1'.").arg(name);
        if (values.size() == 1 && values[0].isEmpty())
            return QStringLiteral("Empty value after '%1'.").arg(name);
    }
    return {};
}

// An option whose value may be left out takes it only as "--name=V"; a bare "--name" stands
// for its default, and the next argument stays an operand.
QStringList withBareValues(const Command& command, QStringList arguments) {
    for (QString& argument : arguments) {
        if (argument == QStringLiteral("--")) break;
        for (const Option& option : command.options) {
            if (option.bareValue == nullptr) continue;
            for (const QString& name : toQt(option).names()) {
                if (argument == dashed(name))
                    argument += QLatin1Char('=') + QString::fromLatin1(option.bareValue);
            }
        }
    }
    return arguments;
}

} // namespace

bool Invocation::isSet(const char* option) const {
    return parser.isSet(QString::fromLatin1(option));
}

std::string Invocation::value(const char* option) const {
    return FileNameBytes(parser.value(QString::fromLatin1(option))).toStdString();
}

int PrintVersion() {
    std::printf("qarlo-cli %s\n", QARLO_VERSION);
    return EXIT_OK;
}

int RunCommand(const Command& command, QCoreApplication& app, const QStringList& arguments) {
    QCommandLineParser parser;
    // "-file.q02" is one unknown option, not the letters f, i, l, e ...
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    const QCommandLineOption help(QStringList{QStringLiteral("h"), QStringLiteral("help")});
    const QCommandLineOption version(QStringLiteral("version"));
    parser.addOption(help);
    parser.addOption(version);
    for (const Option& option : command.options)
        parser.addOption(toQt(option));
    const bool parsed = parser.parse(QStringList{QString::fromLatin1(command.name)} +
                                     withBareValues(command, arguments));
    // Asked for, they are answered whatever else is wrong with the line.
    if (parser.isSet(help)) {
        std::fputs(command.help, stdout);
        return EXIT_OK;
    }
    if (parser.isSet(version)) return PrintVersion();
    if (!parsed) return usageError(command, parser.errorText());
    const QStringList operands = parser.positionalArguments();
    for (const QString& problem :
         {operandProblem(command, operands), valueProblem(command, parser)})
        if (!problem.isEmpty()) return usageError(command, problem);

    Invocation invocation{app, parser, {}};
    for (const QString& operand : operands)
        invocation.operands.push_back(FileNameBytes(operand).toStdString());
    return command.run(invocation);
}

} // namespace qarlo::cli
