// qarlo-cli read / write / verify end to end against qarlo-radio-sim on a pseudo-terminal.
#include "RadioTestSupport.h"
#include "memory/ChannelFile.h"
#include "tests/support/FakeRadio.h"
#include "tests/support/SimLauncher.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include <QJsonArray>
#include <QJsonDocument>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <optional>

#include <grp.h>
#include <signal.h>

#include <gtest/gtest.h>

namespace qarlo::test {
namespace {

// For the child alone: an ended child's pid is 0, and kill(0) would reach this whole group.
void signalChild(const QProcess& child, int signal) {
    if (const qint64 pid = child.processId(); pid > 0) ::kill(static_cast<pid_t>(pid), signal);
}

// What a radio started with --fault corrupt-write holds after validDoc() is written into it.
const std::string CORRUPTED = "01频道: 接收频率 430.125 → 430.12501 MHz\n";

QString channelFile(const QTemporaryDir& dir, const QString& name, CQarloDoc doc) {
    const QString file = dir.filePath(name);
    EXPECT_TRUE(StoreChannelFile(doc, file.toStdString()).ok());
    return file;
}

// Ctrl-C while the progress line is on the terminal wipes it, so the prompt starts clean.
TEST(CliTransfer, InterruptedTransferWipesItsProgressLine) {
    QTemporaryDir dir;
    const QString link = dir.filePath("radio");
    FakeRadio terminal; // only as the terminal standard error goes to
    ASSERT_TRUE(terminal.ok());
    Sim sim({"--fault", "silent", "--link", link});
    QProcess cli;
    cli.setStandardErrorFile(terminal.path);
    cli.start(QStringLiteral(QARLO_CLI_PATH), {"read", dir.filePath("out.q02"), "--port", link});
    ASSERT_TRUE(cli.waitForStarted());
    QElapsedTimer waited;
    waited.start();
    while (terminal.received().isEmpty() && waited.elapsed() < 5000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    signalChild(cli, SIGINT);
    ASSERT_TRUE(cli.waitForFinished(5000));
    EXPECT_EQ(cli.exitStatus(), QProcess::CrashExit); // ended by the signal, as before
    for (int i = 0; i < 10; ++i)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    EXPECT_TRUE(terminal.received().endsWith("\r\033[K")) << terminal.received().toStdString();
    EXPECT_EQ(sim.stop(), 0);
}

// Each way the radio can misbehave, a read, a verify and a write through the same link: a
// failed read leaves FILE as it was; after a hang-up the simulator offers a new device under the
// link and carries on.
TEST(CliTransfer, MisbehavingRadioFailsWithTheMessageOnStandardError) {
    QTemporaryDir dir;
    const QString file = dir.filePath("keep.q02"), link = dir.filePath("radio");
    const QString good = channelFile(dir, "good.q02", validDoc());
    const struct {
        const char* fault;
        bool writes; // the radio still takes an image
    } cases[] = {{"silent", false}, {"short-image", true}, {"hangup", false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.fault);
        ASSERT_TRUE(writeAll(file, "the user's own file"));
        Sim sim({"--fault", c.fault, "--link", link});
        const int reads = std::string(c.fault) == "hangup" ? 2 : 1;
        for (const QStringList& args : QList<QStringList>(reads, {"read", file, "--port", link}) +
                                           QList<QStringList>{{"verify", good, "--port", link}}) {
            const CliRun run = runCli(args);
            EXPECT_EQ(run.exitCode, 1);
            EXPECT_EQ(run.out + "|" + run.err, "|" + MSG_CHECK_LINK + "\n"); // on standard error
        }
        EXPECT_EQ(readAll(file), "the user's own file");
        const CliRun write = runCli({"write", good, "--port", link});
        EXPECT_EQ(write.exitCode, c.writes ? 0 : 1);
        EXPECT_EQ(c.writes ? write.out : write.err,
                  (c.writes ? MSG_WRITE_DONE : MSG_CHECK_LINK) + "\n");
        EXPECT_EQ(sim.stop(), 0);
    }
}

// write --verify reads back what the radio stored: a good radio holds the file, one that
// corrupts what it is given shows exactly the changed field; verify alone finds as many.
TEST(CliTransfer, WriteVerifyFindsWhatTheRadioStoredWrongly) {
    QTemporaryDir dir;
    const QString file = channelFile(dir, "plan.q02", validDoc());
    const struct {
        const char* fault;
        int differences; // the exit status
        QString verified;
    } cases[] = {
        {"none", 0, QString::fromUtf8("对讲机中的数据与当前文档相同\n")},
        {"corrupt-write", 1, QString::fromUtf8("对讲机中的数据与当前文档不同\n" + CORRUPTED)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.fault);
        Sim sim({"--fault", c.fault});
        const CliRun write = runCli({"write", file, "--verify", "--port", sim.path});
        EXPECT_EQ(write.exitCode, c.differences);
        EXPECT_EQ(write.out + write.err, MSG_WRITE_DONE + "\n" + c.verified);
        const CliRun verify = runCli({"verify", file, "--port", sim.path, "--json"});
        EXPECT_EQ(verify.exitCode, c.differences);
        const QJsonDocument json = QJsonDocument::fromJson(verify.out.toUtf8());
        EXPECT_EQ(json["differences"].toArray().size(), c.differences) << verify.out.toStdString();
        sim.stop(); // a radio that answered the read-back is not asked again
        EXPECT_EQ(QString(sim.process.readAllStandardError()).count("read request"), 2);
    }
}

// Fleet mode: one numbered line a radio, each written once however long it stays on the cable,
// the next taken when it answers; Ctrl-C ends it with the summary and exit 1 as one failed.
TEST(CliTransfer, WriteEachProgramsRadioAfterRadio) {
    QTemporaryDir dir;
    const QString file = channelFile(dir, "plan.q02", validDoc());
    const QString link = dir.filePath("radio");
    QProcess cli;
    cli.start(QARLO_CLI_PATH, {"write", file, "--verify", "--each", "--port", link});
    QString out;
    const struct {
        QStringList sim;
        QString line;
    } radios[] = {
        {{"--image", channelFile(dir, "other.q02", validDoc(43700000))}, "1: verified\n"},
        {{"--fault", "corrupt-write"}, "2: differs: " + QString::fromUtf8(CORRUPTED)},
    };
    for (const auto& radio : radios) {
        Sim sim(QStringList{"--link", link} + radio.sim);
        EXPECT_TRUE(spinUntil(
            [&] { return (out += cli.readAllStandardOutput()).contains(radio.line); }, 20000))
            << out.toStdString();
        spin(750); // still on the cable for six looks: not written again
        sim.stop();
        spin(750); // off the cable long enough for a probe to miss it
    }
    signalChild(cli, SIGINT);
    ASSERT_TRUE(cli.waitForFinished(5000));
    out += cli.readAllStandardOutput();
    EXPECT_EQ(out, radios[0].line + radios[1].line + "written 2, verified 1, failed 1\n");
    EXPECT_EQ(cli.exitCode(), 1);
}

// A fleet ended by a signal still prints its summary: a radio whose image went out before it
// counts as written and not verified, and a run that wrote no radio fails.
TEST(CliTransfer, WriteEachEndedBySignalSaysWhatTheRadiosHold) {
    QTemporaryDir dir;
    const QString file = channelFile(dir, "plan.q02", validDoc());
    const QString link = dir.filePath("radio");
    const struct {
        int signal;
        bool radio;
        QString out;
    } cases[] = {
        {SIGTERM, true, "1: written, not verified: interrupted\nwritten 1, verified 0, failed 1\n"},
        {SIGHUP, false, "written 0, verified 0, failed 0\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.signal);
        std::optional<Sim> sim;
        if (c.radio) sim.emplace(QStringList{"--link", link});
        QProcess cli; // at the real pace, so the signal comes well within the wait after the image
        QProcessEnvironment real = QProcessEnvironment::systemEnvironment();
        real.remove("QARLO_TIME_SCALE");
        cli.setProcessEnvironment(real);
        cli.start(QARLO_CLI_PATH, {"write", file, "--verify", "--each", "--port", link});
        QString log;
        if (sim) // within the two seconds the write waits after the image
            EXPECT_TRUE(spinUntil(
                [&] {
                    return (log += sim->process.readAllStandardError()).contains("image received");
                },
                20000));
        else
            spin(1000);
        signalChild(cli, c.signal);
        ASSERT_TRUE(cli.waitForFinished(5000));
        EXPECT_EQ(QString::fromUtf8(cli.readAllStandardOutput()), c.out);
        EXPECT_EQ(cli.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(cli.exitCode(), 1);
    }
}

// A fleet says once why its port will not open, then waits for the cable; a port that can never
// become a device ends it at once.
TEST(CliTransfer, WriteEachSaysWhyItsPortWillNotOpen) {
    QTemporaryDir dir;
    const QString file = channelFile(dir, "plan.q02", validDoc());
    const QString summary = "written 0, verified 0, failed 0\n";
    const struct {
        QString port, err;
    } never[] = {{file, file + ": not a serial device\n"},
                 {dir.filePath("gone/tty"), dir.filePath("gone/tty") + ": no such device\n"}};
    for (const auto& c : never) {
        const CliRun run = runCli({"write", file, "--verify", "--each", "--port", c.port});
        EXPECT_EQ(run.err, "waiting for radio 1 (Ctrl-C ends)\n" + c.err);
        EXPECT_EQ(run.out, summary);
        EXPECT_EQ(run.exitCode, 1);
    }
    QProcess cli;
    const QString later = dir.filePath("ttyUSB7");
    cli.start(QARLO_CLI_PATH, {"write", file, "--verify", "--each", "--port", later});
    spin(1500); // several looks at the missing node
    signalChild(cli, SIGINT);
    ASSERT_TRUE(cli.waitForFinished(5000));
    EXPECT_EQ(QString::fromUtf8(cli.readAllStandardError()),
              "waiting for radio 1 (Ctrl-C ends)\n" + later + ": no such device; still waiting\n");
    EXPECT_EQ(QString::fromUtf8(cli.readAllStandardOutput()), summary);
}

// As a user who is not root (root may open what others may not): the reason line says who may
// use a device, naming a group only when joining it would help.
TEST(CliTransfer, PermissionReasonSaysWhoMayUseTheDevice) {
    std::string why = "files of root's can only be staged as root";
    RunOptions as;
    as.user = Unprivileged::get(&why);
    const ::group* dialout = ::getgrnam("dialout");
    if (!as.user || !as.user->switched || !dialout)
        GTEST_SKIP() << (dialout ? why : "no group dialout");
    QTemporaryDir dir;
    ASSERT_TRUE(as.user->own(dir.path().toStdString()));
    const QString advice = "members of the group \"dialout\" may use it (sudo usermod -aG dialout "
                           "$USER, then log in again)";
    const struct {
        gid_t gid;
        mode_t mode;
        QString reason;
    } cases[] = {{0, 0660, "only root may use it"},
                 {dialout->gr_gid, 0600, "only root may use it"},
                 {dialout->gr_gid, 0660, advice}};
    for (const auto& c : cases) {
        const QString device = dir.filePath(QStringLiteral("tty%1-%2").arg(c.gid).arg(c.mode));
        ASSERT_TRUE(writeAll(device, ""));
        ASSERT_EQ(::chown(QFile::encodeName(device).constData(), 0, c.gid), 0);
        ASSERT_EQ(::chmod(QFile::encodeName(device).constData(), c.mode), 0);
        const CliRun run = runCli({"read", dir.filePath("r.q02"), "--port", device}, as);
        EXPECT_EQ(run.err,
                  MSG_OPEN_HANDSHAKE + "\n" + device + ": permission denied; " + c.reason + "\n");
    }
}

// On a terminal (script(1) gives it one) read shows its step and bytes on one updating line,
// wiped at the end; --quiet shows none. Elsewhere standard error stays empty (tests above).
TEST(CliTransfer, ProgressOnlyOnATerminalAndNotWithQuiet) {
    if (QStandardPaths::findExecutable("script").isEmpty()) GTEST_SKIP() << "no script(1)";
    QTemporaryDir dir;
    Sim sim({});
    for (const QString quiet : {"", " --quiet"}) {
        QProcess script;
        script.start("script", {"-qec",
                                QStringLiteral(QARLO_CLI_PATH) + " read " + dir.filePath("p.q02") +
                                    " --port " + sim.path + quiet,
                                "/dev/null"});
        ASSERT_TRUE(script.waitForFinished(20000));
        const QString seen = QString::fromUtf8(script.readAllStandardOutput());
        EXPECT_EQ(seen.contains(QString::fromUtf8("\r\033[K正在从对讲机读出… 256/256\r\033[K")),
                  quiet.isEmpty())
            << seen.toStdString();
        EXPECT_TRUE(seen.contains(MSG_READ_DONE));
    }
}

} // namespace
} // namespace qarlo::test
