// qarlo-cli read / write end to end against qarlo-radio-sim on a pseudo-terminal.
#include "RadioTestSupport.h"
#include "cli/TransferReport.h"
#include "tests/support/CliRunner.h"
#include "tests/support/SimLauncher.h"
#include "tests/support/Unprivileged.h"

#include "memory/ChannelFile.h"

#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QSerialPort>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <grp.h>
#include <signal.h>

#include <gtest/gtest.h>

namespace qarlo::test {
namespace {

QByteArray readAll(const QString& file) {
    QFile f(file);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeAll(const QString& file, const QByteArray& data) {
    QFile f(file);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(data);
}

// What a radio started with --fault corrupt-write holds after validDoc() is written into it.
const std::string CORRUPTED = "01频道: 接收频率 430.125 → 430.12501 MHz\n";

QString channelFile(const QTemporaryDir& dir, const QString& name, CQarloDoc doc) {
    const QString file = dir.filePath(name);
    EXPECT_TRUE(StoreChannelFile(doc, file.toStdString()).ok());
    return file;
}

// A read saves what the radio holds (its built-in memory, a channel file or a raw image it was
// started from); writing that file back through COM2, named in the environment, gives the
// radio the same image again.
TEST(CliTransfer, ReadThenWriteRoundTripsThroughTheVirtualRadio) {
    QTemporaryDir dir;
    const CQarloDoc source = validDoc(43687500);
    const QString raw = dir.filePath("source.bin");
    writeAll(raw, imageOf(source));
    const QString link = dir.filePath("radio");
    const QString saved = dir.filePath("saved.q02");
    for (const QString& image : {QString(), channelFile(dir, "source.q02", source), raw}) {
        SCOPED_TRACE(image.toStdString());
        QFile::remove(saved);
        Sim sim(QStringList{"--link", link, "--save", saved} +
                (image.isEmpty() ? QStringList() : QStringList{"--image", image}));
        ASSERT_TRUE(QFileInfo(link).isSymLink());

        const QString file = dir.filePath("radio.q02");
        const CliRun read = runCli({"read", file, "--port", link});
        EXPECT_EQ(read.exitCode, 0);
        EXPECT_EQ(read.out, MSG_READ_DONE + "\n");
        EXPECT_EQ(read.err, "");
        CQarloDoc doc;
        ASSERT_TRUE(LoadChannelFile(doc, file.toStdString()).ok());
        if (image.isEmpty()) {
            EXPECT_FALSE(CheckDocument(doc).has_value()); // the built-in radio is valid
            EXPECT_GE(doc.programmedCount(), 3);
        } else {
            EXPECT_EQ(imageOf(doc), imageOf(source));
        }

        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("QARLO_COM2", link);
        const CliRun write = runCli({"write", file, "--port", "COM2"}, env);
        EXPECT_EQ(write.exitCode, 0);
        EXPECT_EQ(write.out, MSG_WRITE_DONE + "\n");
        EXPECT_EQ(write.err, "");
        ASSERT_TRUE(spinUntil([&] { return QFileInfo::exists(saved); }, 3000));
        EXPECT_EQ(readAll(saved), readAll(file));
        EXPECT_EQ(sim.stop(), 0);
        EXPECT_FALSE(QFileInfo::exists(link)) << "the link outlives the simulator";
    }
}

// Each way the radio can misbehave, a read and then a write through the same link: a failed
// read leaves FILE as it was; after a hang-up the simulator offers a new device under the link
// and carries on.
TEST(CliTransfer, MisbehavingRadioFailsWithTheMessageOnStandardError) {
    QTemporaryDir dir;
    const QString file = dir.filePath("keep.q02");
    const QString good = channelFile(dir, "good.q02", validDoc());
    const QString link = dir.filePath("radio");
    const struct {
        const char* fault;
        bool writes; // the radio still takes an image
    } cases[] = {{"silent", false},
                 {"bad-handshake", false},
                 {"no-image", true},
                 {"short-image", true},
                 {"hangup", false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.fault);
        writeAll(file, "the user's own file");
        Sim sim({"--fault", c.fault, "--link", link});
        for (int round = 0; round < (std::string(c.fault) == "hangup" ? 2 : 1); ++round) {
            const CliRun read = runCli({"read", file, "--port", link});
            EXPECT_EQ(read.exitCode, 1);
            EXPECT_EQ(read.out, "");
            EXPECT_EQ(read.err, MSG_CHECK_LINK + "\n");
            EXPECT_EQ(readAll(file), "the user's own file");
        }
        const CliRun verify = runCli({"verify", good, "--port", link});
        EXPECT_EQ(verify.exitCode, 1);
        EXPECT_EQ(verify.out, "");
        EXPECT_EQ(verify.err, MSG_CHECK_LINK + "\n");
        const CliRun write = runCli({"write", good, "--port", link});
        EXPECT_EQ(write.exitCode, c.writes ? 0 : 1);
        EXPECT_EQ(write.out, c.writes ? MSG_WRITE_DONE + "\n" : "");
        EXPECT_EQ(write.err, c.writes ? "" : MSG_CHECK_LINK + "\n");
        EXPECT_EQ(sim.stop(), 0);
    }
}

// A program that stops in the middle of an image, and comes back at once with a new handshake
// on a freshly opened port, finds the radio listening.
TEST(CliTransfer, SimulatorAnswersAfterAnAbandonedImage) {
    Sim sim({});
    const auto exchange = [&](const QByteArray& data, int replyBytes) {
        QSerialPort port(sim.path);
        if (!port.open(QIODevice::ReadWrite)) return QByteArray("not opened");
        port.write(data);
        port.waitForBytesWritten(500);
        QByteArray reply;
        spinUntil([&] { return (reply += port.readAll()).size() >= replyBytes; }, 500);
        return reply;
    };
    const QByteArray handshake = QByteArray::fromHex("FF112233");
    EXPECT_TRUE(exchange(handshake, 4).startsWith(QByteArray::fromHex("FF11")));
    exchange(QByteArray(100, '\x5A'), 0);
    spin(100);
    EXPECT_TRUE(exchange(handshake, 4).startsWith(QByteArray::fromHex("FF11")));
}

TEST(CliTransfer, FailuresBeforeTheLineAndTheirExitStatus) {
    QTemporaryDir dir;
    const QString good = channelFile(dir, "good.q02", validDoc());
    const QString shortFile = dir.filePath("short.q02");
    writeAll(shortFile, QByteArray(100, '\0'));
    const QString missing = dir.filePath("missing.q02");
    CQarloDoc invalid = validDoc();
    invalid.setRxFreq(2, 47000000);
    invalid.setTxFreq(2, 47000000); // above the 440 MHz band edge
    const auto failure = CheckDocument(invalid);
    ASSERT_TRUE(failure);
    const QString checkFailed =
        QString::fromUtf8(std::string(ChannelName(failure->channel)) + ": " +
                          std::string(CheckMessage(*failure)) + "\n");
    const QString noDevice = MSG_OPEN_HANDSHAKE + "\n/dev/qarlo-missing: no such device\n";
    const struct {
        QStringList args;
        int exitCode;
        QString err; // empty: any text
    } cases[] = {
        {{"read", missing, "--port", "/dev/qarlo-missing"}, 1, noDevice},
        {{"write", good, "--port=/dev/qarlo-missing"}, 1, noDevice},
        {{"read", "--port", "/dev/qarlo-missing", "--", "-odd.q02"}, 1, noDevice},
        // The check fails before the port is ever tried.
        {{"write", channelFile(dir, "bad.q02", invalid), "--port=/dev/qarlo-missing"},
         1,
         checkFailed},
        {{"verify", good, "--port=/dev/qarlo-missing"}, 1, noDevice},
        {{"write", missing}, 2, {}},
        {{"verify", missing}, 2, {}},
        {{"diff", good, missing}, 2, {}},
        {{"diff", good}, 2, {}},
        {{"write", good, "--each"}, 2, {}},
        {{"write", shortFile}, 2, {}},
        {{"read"}, 2, {}},
        {{"read", good, "--port"}, 2, {}},
        {{"write", good, "extra"}, 2, {}},
        {{"write", good, "--baud"}, 2, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args.join(' ').toStdString());
        const CliRun run = runCli(c.args, QProcessEnvironment::systemEnvironment());
        EXPECT_EQ(run.exitCode, c.exitCode);
        EXPECT_EQ(run.out, "");
        if (!c.err.isEmpty())
            EXPECT_EQ(run.err, c.err);
        else
            EXPECT_FALSE(run.err.isEmpty());
    }
    EXPECT_FALSE(QFileInfo::exists(missing));
}

// write --verify reads back what the radio stored: a good radio holds the file, one that
// corrupts what it is given shows exactly the changed field; verify alone says the same.
TEST(CliTransfer, WriteVerifyFindsWhatTheRadioStoredWrongly) {
    QTemporaryDir dir;
    const QString file = channelFile(dir, "plan.q02", validDoc());
    const struct {
        const char* fault;
        int differences; // also the exit status
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
        EXPECT_EQ(write.out, MSG_WRITE_DONE + "\n" + c.verified);
        EXPECT_EQ(write.err, "");
        const CliRun verify = runCli({"verify", file, "--port", sim.path, "--json"});
        EXPECT_EQ(verify.exitCode, c.differences);
        const QJsonObject json = QJsonDocument::fromJson(verify.out.toUtf8()).object();
        EXPECT_EQ(json["same"].toBool(), c.differences == 0);
        const QJsonArray list = json["differences"].toArray();
        ASSERT_EQ(list.size(), c.differences);
        if (c.differences > 0) {
            EXPECT_EQ(list[0]["kind"], "rx-frequency");
            EXPECT_EQ(list[0]["channel"], 1);
            EXPECT_EQ(list[0]["text"].toString() + "\n", QString::fromUtf8(CORRUPTED));
        }
    }
}

// Fleet mode: one numbered line a radio, each written once however long it stays on the cable,
// the next taken when it answers; Ctrl-C ends it with the summary and exit 1 as one failed.
TEST(CliTransfer, WriteEachProgramsRadioAfterRadio) {
    QTemporaryDir dir;
    const QString file = channelFile(dir, "plan.q02", validDoc());
    const QString link = dir.filePath("radio");
    QProcess cli;
    cli.start(QStringLiteral(QARLO_CLI_PATH),
              {"write", file, "--verify", "--each", "--port", link});
    QString out;
    const auto waitLine = [&](const QString& line) {
        return spinUntil([&] { return (out += cli.readAllStandardOutput()).contains(line); },
                         20000);
    };
    const QString other = channelFile(dir, "other.q02", validDoc(43700000));
    const struct {
        QStringList sim;
        QString line;
    } radios[] = {
        {{"--image", other}, "1: verified\n"},
        {{"--fault", "corrupt-write"},
         QString::fromUtf8("2: differs: 01频道: 接收频率 430.125 → 430.12501 MHz\n")},
    };
    for (const auto& radio : radios) {
        Sim sim(QStringList{"--link", link} + radio.sim);
        EXPECT_TRUE(waitLine(radio.line)) << out.toStdString();
        spin(3000); // still on the cable: not written again
        sim.stop();
        spin(3000); // off the cable long enough for a probe to miss it
    }
    ::kill(static_cast<pid_t>(cli.processId()), SIGINT);
    ASSERT_TRUE(cli.waitForFinished(5000));
    out += cli.readAllStandardOutput();
    EXPECT_EQ(out, radios[0].line + radios[1].line + "written 2, verified 1, failed 1\n");
    EXPECT_EQ(cli.exitCode(), 1);
}

// Where each way a transfer ends is printed, with the port's reason under an open failure, and
// the exit status it gives.
TEST(CliTransfer, EachOutcomeHasItsStreamReasonAndExitStatus) {
    const auto compared = [](std::int32_t radioRx) { // against validDoc()
        CQarloDoc radio = validDoc();
        radio.setRxFreq(0, radioRx);
        return TransferOutcome::ComparedWith(validDoc(), BuildRadioImage(radio));
    };
    using Kind = TransferOutcome::Kind;
    OpenFailure held;
    held.why = OpenFailure::Why::HeldBy;
    held.device = "/dev/ttyUSB0";
    held.holder = PortHolder{812, "ModemManager"};
    const struct {
        TransferOutcome outcome;
        QString out, err;
        int exitStatus;
    } cases[] = {
        {TransferOutcome::Of(Kind::ReadDone), MSG_READ_DONE + "\n", "", 0},
        {TransferOutcome::Of(Kind::WriteDone), MSG_WRITE_DONE + "\n", "", 0},
        {TransferOutcome::OpenFailedAt(TransferStep::ImageRequest, held), "",
         MSG_OPEN_READ + "\n/dev/ttyUSB0: held by ModemManager (pid 812)\n", 1},
        {TransferOutcome::Of(Kind::NoHandshake), "", MSG_CHECK_LINK + "\n", 1},
        {TransferOutcome::Of(Kind::IncompleteImage), "", MSG_CHECK_LINK + "\n", 1},
        {TransferOutcome::Of(Kind::ImageNotTaken), "", MSG_CHECK_LINK + "\n", 1},
        {compared(43012500), QString::fromUtf8("对讲机中的数据与当前文档相同\n"), "", 0},
        {compared(43012501), QString::fromUtf8("对讲机中的数据与当前文档不同\n" + CORRUPTED), "",
         1},
        {TransferOutcome::CheckFailedAt({10, 0}), "",
         QString::fromUtf8("01频道: 发射限时必须大于等于0.1，小于等于10\n"), 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.outcome.kind));
        const cli::TransferReport report = cli::ReportOf(c.outcome);
        EXPECT_EQ(QString::fromStdString(report.out), c.out);
        EXPECT_EQ(QString::fromStdString(report.err), c.err);
        EXPECT_EQ(report.exitStatus, c.exitStatus);
    }
}

// As a user who is not root (root may open what others may not): the reason line says who may
// use a device, naming a group only when joining it would help.
TEST(CliTransfer, PermissionReasonSaysWhoMayUseTheDevice) {
    std::string why = "files of root's can only be staged as root";
    const auto user = Unprivileged::get(&why);
    const ::group* dialout = ::getgrnam("dialout");
    if (!user || !user->switched || !dialout) GTEST_SKIP() << (dialout ? why : "no group dialout");
    QTemporaryDir dir;
    ASSERT_TRUE(user->own(dir.path().toStdString()));
    const QString advice = "members of the group \"dialout\" may use it (sudo usermod -aG dialout "
                           "$USER, then log in again)";
    const struct {
        gid_t gid;
        mode_t mode;
        QString reason;
    } cases[] = {{0, 0600, "only root may use it"},
                 {0, 0660, "only root may use it"},
                 {dialout->gr_gid, 0600, "only root may use it"},
                 {dialout->gr_gid, 0660, advice}};
    for (const auto& c : cases) {
        const QString device = dir.filePath(QStringLiteral("tty%1-%2").arg(c.gid).arg(c.mode));
        writeAll(device, "");
        ASSERT_EQ(::chown(QFile::encodeName(device).constData(), 0, c.gid), 0);
        ASSERT_EQ(::chmod(QFile::encodeName(device).constData(), c.mode), 0);
        const CliRun run = runCli({"read", dir.filePath("r.q02"), "--port", device},
                                  QProcessEnvironment::systemEnvironment(), user);
        EXPECT_EQ(run.err,
                  MSG_OPEN_HANDSHAKE + "\n" + device + ": permission denied; " + c.reason + "\n");
    }
}

// A client killed in the middle of a transfer leaves the line exclusive; the simulator frees it
// (it looks twice a second), so a later transfer by a user who is not root goes through.
TEST(CliTransfer, ClientKilledMidTransferLeavesTheVirtualRadioUsable) {
    std::string why;
    const auto user = Unprivileged::get(&why);
    if (!user) GTEST_SKIP() << why;
    QTemporaryDir dir;
    ASSERT_TRUE(user->own(dir.path().toStdString()));
    const QString link = dir.filePath("radio"), file = dir.filePath("r.q02");
    Sim sim({"--link", link}, user);
    ASSERT_TRUE(spinUntil([&] { return QFileInfo::exists(link); }));
    QProcess victim;
    startAs(victim, QStringLiteral(QARLO_CLI_PATH), {"read", file, "--port", link}, user);
    spin(1000); // the read request's step: the port is open
    victim.kill();
    victim.waitForFinished();
    CliRun read;
    for (QDeadlineTimer deadline(5000); read.exitCode != 0 && !deadline.hasExpired(); spin(200))
        read =
            runCli({"read", file, "--port", link}, QProcessEnvironment::systemEnvironment(), user);
    EXPECT_EQ(read.exitCode, 0) << read.err.toStdString();
}

// The devices present, from the real enumeration, as a JSON array: never a pseudo-terminal.
TEST(CliTransfer, PortsListsTheDevicesAsJson) {
    Sim sim({});
    const CliRun run = runCli({"ports", "--json"});
    EXPECT_EQ(run.exitCode, 0);
    const QJsonDocument json = QJsonDocument::fromJson(run.out.toUtf8());
    ASSERT_TRUE(json.isArray()) << run.out.toStdString();
    for (const QJsonValue& port : json.array())
        EXPECT_TRUE(port["device"].toString().startsWith("/dev/tty"))
            << port["device"].toString().toStdString();
    EXPECT_EQ(runCli({"ports", "--verbose"}).exitCode, 2);
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

TEST(CliTransfer, TraceShowsEveryByteWithItsTime) {
    QTemporaryDir dir;
    Sim sim({});
    const CliRun read = runCli({"read", dir.filePath("t.q02"), "--port", sim.path, "--trace"});
    ASSERT_EQ(read.exitCode, 0);
    EXPECT_EQ(read.out, MSG_READ_DONE + "\n");
    const QStringList lines = read.err.split('\n', Qt::SkipEmptyParts);
    ASSERT_GE(lines.size(), 4);
    EXPECT_EQ(lines[0], "trace: port " + sim.path + " = " + sim.path);
    // "trace:    0.512 -> FF 00 FF 00": seconds since the start, direction, up to 16 bytes.
    const QRegularExpression format(R"(^trace: +\d+\.\d{3} (->|<-)((?: [0-9A-F]{2}){1,16})$)");
    QString outgoing, incoming;
    for (const QString& l : lines.mid(1)) {
        const auto m = format.match(l);
        ASSERT_TRUE(m.hasMatch()) << l.toStdString();
        (m.captured(1) == "->" ? outgoing : incoming) += m.captured(2);
    }
    EXPECT_EQ(outgoing, " FF 11 22 33 FF 00 FF 00");
    EXPECT_TRUE(incoming.startsWith(" FF 11")) << incoming.toStdString();
    EXPECT_EQ(incoming.count(' '), 4 + 256);
}

} // namespace
} // namespace qarlo::test
