#pragma once
// qarlo-radio-sim for one test, without pacing, stopped when it goes out of scope; its device
// path is what it prints first. QARLO_SIM_PATH names it.
#include "CliRunner.h"

namespace qarlo::test {

class Sim {
public:
    explicit Sim(const QStringList& args, const std::optional<Unprivileged>& user = std::nullopt) {
        startAs(process, QStringLiteral(QARLO_SIM_PATH), QStringList{"--no-pace"} + args, user);
        if (process.waitForReadyRead(5000)) path = QString::fromUtf8(process.readLine()).trimmed();
    }
    ~Sim() { stop(); }
    // Stops the simulator; its exit status, -2 when it had to be killed.
    int stop() {
        if (process.state() == QProcess::NotRunning) return exitCode;
        process.terminate();
        if (!process.waitForFinished(5000)) process.kill();
        process.waitForFinished(1000);
        exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -2;
        return exitCode;
    }
    QString path;
    QProcess process; // its log on standard error

private:
    int exitCode = -1;
};

} // namespace qarlo::test
