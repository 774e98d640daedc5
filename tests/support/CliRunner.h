#pragma once
// qarlo-cli run as the user runs it: the built binary in a child process, optionally as the user
// who is not root; its exit status and both streams. QARLO_CLI_PATH names the binary.
#include "Unprivileged.h"

#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

#include <optional>
#include <string>
#include <vector>

namespace qarlo::test {

struct CliRun {
    int exitCode = -1;
    QString out, err;
};

// `program` with `args`, as `user` when one is given.
inline void startAs(QProcess& process, const QString& program, const QStringList& args,
                    const std::optional<Unprivileged>& user) {
    QStringList line;
    for (const std::string& word : user ? user->prefix() : std::vector<std::string>())
        line << QString::fromStdString(word);
    line << program << args;
    process.start(line.takeFirst(), line);
}

inline CliRun runCli(const QStringList& args,
                     const QProcessEnvironment& env = QProcessEnvironment::systemEnvironment(),
                     const std::optional<Unprivileged>& user = std::nullopt) {
    QProcess cli;
    cli.setProcessEnvironment(env);
    startAs(cli, QStringLiteral(QARLO_CLI_PATH), args, user);
    CliRun run;
    if (!cli.waitForFinished(20000)) {
        cli.kill();
        cli.waitForFinished();
        return run;
    }
    run.exitCode = cli.exitStatus() == QProcess::NormalExit ? cli.exitCode() : -2;
    run.out = QString::fromUtf8(cli.readAllStandardOutput());
    run.err = QString::fromUtf8(cli.readAllStandardError());
    return run;
}

} // namespace qarlo::test
