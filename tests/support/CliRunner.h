#pragma once
// qarlo-cli (or the simulator) run as the user runs it: the built binary in a child process,
// optionally as the user who is not root or in a given folder; its exit status and both streams.
#include "Unprivileged.h"

#include <QFile>
#include <QProcess>
#include <QString>
#include <QStringList>

#include <optional>
#include <string>
#include <vector>

namespace qarlo::test {

struct CliRun {
    int exitCode = -1; // -2: did not exit normally
    QString out, err;
    QByteArray outBytes, errBytes; // as written
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

inline QByteArray readAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

inline bool writeAll(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

struct RunOptions {
    std::optional<Unprivileged> user;
    QString workDir; // empty: this process's own
    QString program = QStringLiteral(QARLO_CLI_PATH);
    QStringList environment; // NAME=VALUE, over this process's own
};

inline CliRun runCli(const QStringList& args, const RunOptions& options = {}) {
    QProcess cli;
    cli.setWorkingDirectory(options.workDir);
    if (!options.environment.isEmpty()) {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        for (const QString& entry : options.environment)
            environment.insert(entry.section(QLatin1Char('='), 0, 0),
                               entry.section(QLatin1Char('='), 1));
        cli.setProcessEnvironment(environment);
    }
    startAs(cli, options.program, args, options.user);
    CliRun run;
    if (!cli.waitForFinished(20000)) {
        cli.kill();
        cli.waitForFinished();
        return run;
    }
    run.exitCode = cli.exitStatus() == QProcess::NormalExit ? cli.exitCode() : -2;
    run.outBytes = cli.readAllStandardOutput();
    run.errBytes = cli.readAllStandardError();
    run.out = QString::fromUtf8(run.outBytes);
    run.err = QString::fromUtf8(run.errBytes);
    return run;
}

} // namespace qarlo::test
