// qarlo-cli read / write end to end against qarlo-radio-sim on a pseudo-terminal.
#include "RadioTestSupport.h"

#include "memory/ChannelFile.h"

#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace qarlo::test {
namespace {

struct CliRun {
    int exitCode = -1;
    QString out;
    QString err;
};

CliRun runCli(const QStringList& args,
              const QProcessEnvironment& env = QProcessEnvironment::systemEnvironment()) {
    QProcess cli;
    cli.setProcessEnvironment(env);
    cli.start(QStringLiteral(QARLO_CLI_PATH), args);
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

// qarlo-radio-sim for one test; its device path is what it prints first.
class Sim {
public:
    explicit Sim(QStringList args) {
        process.start(QStringLiteral(QARLO_SIM_PATH), QStringList{"--no-pace"} + args);
        if (process.waitForReadyRead(5000)) path = QString::fromUtf8(process.readLine()).trimmed();
    }
    ~Sim() { stop(); }
    int stop() {
        if (process.state() == QProcess::NotRunning) return exitCode;
        process.terminate();
        process.waitForFinished(5000);
        log = QString::fromUtf8(process.readAllStandardError());
        exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -2;
        return exitCode;
    }
    QString path;
    QString log;

private:
    QProcess process;
    int exitCode = -1;
};

QByteArray readAll(const QString& file) {
    QFile f(file);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeAll(const QString& file, const QByteArray& data) {
    QFile f(file);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(data);
}

QString channelFile(const QTemporaryDir& dir, const QString& name, CQarloDoc doc) {
    const QString file = dir.filePath(name);
    EXPECT_TRUE(StoreChannelFile(doc, file.toStdString()).ok());
    return file;
}

TEST(CliTransfer, ReadThenWriteRoundTripsThroughTheVirtualRadio) {
    QTemporaryDir dir;
    const QString link = dir.filePath("radio");
    const QString saved = dir.filePath("saved.q02");
    Sim sim({"--link", link, "--save", saved});
    ASSERT_FALSE(sim.path.isEmpty());
    EXPECT_TRUE(QFileInfo(link).isSymLink());

    const QString file = dir.filePath("radio.q02");
    const CliRun read = runCli({"read", file, "--port", link});
    EXPECT_EQ(read.exitCode, 0) << read.err.toStdString();
    EXPECT_EQ(read.out, MSG_READ_DONE + "\n");
    EXPECT_EQ(read.err, "");
    const QByteArray got = readAll(file);
    ASSERT_EQ(got.size(), CHANNEL_FILE_SIZE);
    CQarloDoc doc;
    ASSERT_TRUE(LoadChannelFile(doc, file.toStdString()).ok());
    EXPECT_FALSE(CheckDocument(doc).has_value()); // the built-in radio holds valid settings
    EXPECT_GE(doc.programmedCount(), 3);

    // Back into the radio through COM2, which names the device in the environment.
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QARLO_COM2", link);
    const CliRun write = runCli({"write", file, "--port", "COM2"}, env);
    EXPECT_EQ(write.exitCode, 0) << write.err.toStdString();
    EXPECT_EQ(write.out, MSG_WRITE_DONE + "\n");
    ASSERT_TRUE(spinUntil([&] { return QFileInfo::exists(saved); }, 3000));
    EXPECT_EQ(readAll(saved), got);

    EXPECT_EQ(sim.stop(), 0);
    EXPECT_FALSE(QFileInfo::exists(link)) << "the link outlives the simulator";
}

TEST(CliTransfer, SimulatorStartsFromAChannelFileOrARawImage) {
    QTemporaryDir dir;
    const CQarloDoc source = validDoc(43687500);
    const QString q02 = channelFile(dir, "source.q02", source);
    const QString raw = dir.filePath("source.bin");
    writeAll(raw, imageOf(source));
    for (const QString& image : {q02, raw}) {
        SCOPED_TRACE(image.toStdString());
        Sim sim({"--image", image});
        const QString file = dir.filePath("out.q02");
        const CliRun read = runCli({"read", file, "--port", sim.path});
        ASSERT_EQ(read.exitCode, 0) << read.err.toStdString();
        CQarloDoc doc;
        ASSERT_TRUE(LoadChannelFile(doc, file.toStdString()).ok());
        EXPECT_EQ(imageOf(doc), imageOf(source));
    }
}

TEST(CliTransfer, FailedReadLeavesTheFileAsItWas) {
    QTemporaryDir dir;
    const QString file = dir.filePath("keep.q02");
    for (const char* fault : {"silent", "bad-handshake", "no-image", "short-image", "hangup"}) {
        SCOPED_TRACE(fault);
        writeAll(file, "the user's own file");
        Sim sim({"--fault", fault});
        const CliRun read = runCli({"read", file, "--port", sim.path});
        EXPECT_EQ(read.exitCode, 1);
        EXPECT_EQ(read.out, "");
        EXPECT_EQ(read.err, MSG_CHECK_LINK + "\n");
        EXPECT_EQ(readAll(file), "the user's own file");
    }
}

TEST(CliTransfer, InvalidFileIsNeverSent) {
    QTemporaryDir dir;
    CQarloDoc doc = validDoc();
    doc.setRxFreq(2, 47000000);
    doc.setTxFreq(2, 47000000); // above the 440 MHz band edge
    const QString file = channelFile(dir, "bad.q02", doc);
    const auto failure = CheckDocument(doc);
    ASSERT_TRUE(failure);
    Sim sim({});
    const CliRun write = runCli({"write", file, "--port", sim.path});
    EXPECT_EQ(write.exitCode, 1);
    EXPECT_EQ(write.out, "");
    EXPECT_EQ(write.err, QString::fromUtf8(std::string(ChannelName(failure->channel)) + ": " +
                                           std::string(failure->message) + "\n"));
    sim.stop();
    EXPECT_FALSE(sim.log.contains("handshake")) << sim.log.toStdString();
}

TEST(CliTransfer, FailuresBeforeTheLineAndTheirExitStatus) {
    QTemporaryDir dir;
    const QString good = channelFile(dir, "good.q02", validDoc());
    const QString shortFile = dir.filePath("short.q02");
    writeAll(shortFile, QByteArray(100, '\0'));
    const QString missing = dir.filePath("missing.q02");
    struct Case {
        QStringList args;
        int exitCode;
        QString err;
    };
    const Case cases[] = {
        {{"read", missing, "--port", "/dev/qarlo-missing"},
         1,
         MSG_OPEN_HANDSHAKE + "\n/dev/qarlo-missing: no such device\n"},
        {{"write", good, "--port", "/dev/qarlo-missing"},
         1,
         MSG_OPEN_HANDSHAKE + "\n/dev/qarlo-missing: no such device\n"},
        {{"write", missing}, 2, {}},
        {{"write", shortFile}, 2, {}},
        {{"read"}, 2, {}},
        {{"read", good, "--port"}, 2, {}},
        {{"write", good, "extra"}, 2, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args.join(' ').toStdString());
        const CliRun run = runCli(c.args);
        EXPECT_EQ(run.exitCode, c.exitCode);
        EXPECT_EQ(run.out, "");
        if (!c.err.isEmpty())
            EXPECT_EQ(run.err, c.err);
        else
            EXPECT_FALSE(run.err.isEmpty());
    }
    EXPECT_FALSE(QFileInfo::exists(missing));
}

TEST(CliTransfer, TraceShowsTheExchange) {
    QTemporaryDir dir;
    Sim sim({});
    const CliRun read = runCli({"read", dir.filePath("t.q02"), "--port", sim.path, "--trace"});
    ASSERT_EQ(read.exitCode, 0);
    EXPECT_TRUE(read.err.contains("-> FF 11 22 33"));
    EXPECT_TRUE(read.err.contains("<- FF 11"));
    EXPECT_TRUE(read.err.contains("-> FF 00 FF 00"));
    EXPECT_EQ(read.out, MSG_READ_DONE + "\n");
}

} // namespace
} // namespace qarlo::test
