#include "memory/Bytes.h"
#include "memory/ChannelFile.h"

#include <QByteArray>
#include <QDir>
#include <QElapsedTimer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h> // mkfifo

#include <fstream>
#include <iterator>
#include <vector>

namespace qarlo {
namespace {

struct CliRun {
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};

std::vector<std::uint8_t> readAll(const QString& path) {
    std::ifstream in(path.toStdString(), std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

void writeAll(const QString& path, const std::vector<std::uint8_t>& bytes) {
    std::ofstream(path.toStdString(), std::ios::binary | std::ios::trunc)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
}

void writeDoc(const QString& path, const CQarloDoc& doc) {
    const auto bytes = ChannelFileBytes(doc);
    writeAll(path, {bytes.begin(), bytes.end()});
}

const auto NewFileBytes = [] {
    const auto bytes = ChannelFileBytes(CQarloDoc{});
    return std::vector<std::uint8_t>(bytes.begin(), bytes.end());
}();

class OfflineCommands : public ::testing::Test {
protected:
    QString path(const char* name) const { return dir.filePath(QString::fromUtf8(name)); }
    // Runs qarlo-cli (or another program) in the test's own folder, so relative names land there.
    CliRun runCli(const QStringList& args,
                  const QString& program = QStringLiteral(QARLO_CLI_PATH)) const {
        QProcess process;
        process.setWorkingDirectory(dir.path());
        process.start(program, args);
        CliRun run;
        if (!process.waitForFinished(30000) || process.exitStatus() != QProcess::NormalExit) {
            ADD_FAILURE() << program.toStdString() << " did not finish normally";
            return run;
        }
        run.exitCode = process.exitCode();
        run.out = process.readAllStandardOutput();
        run.err = process.readAllStandardError();
        return run;
    }
    QTemporaryDir dir;
};

// Band 400..440 MHz, time-out 5 minutes: passes the checks.
CQarloDoc validDocument() {
    CQarloDoc doc;
    doc.setBandLow(10000000);
    doc.setBandHigh(11000000);
    return doc;
}

TEST_F(OfflineCommands, NewWritesANewDocumentsFileButReplacesOnlyWithForce) {
    const QString file = path("mine.q02");
    const CliRun run = runCli({"new", file});
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_TRUE(run.err.isEmpty());
    EXPECT_EQ(readAll(file), NewFileBytes);

    const std::vector<std::uint8_t> old(1041, 0x11);
    writeAll(file, old);
    const CliRun refused = runCli({"new", file});
    EXPECT_EQ(refused.exitCode, 2);
    EXPECT_TRUE(refused.err.contains(file.toUtf8()));
    EXPECT_TRUE(refused.err.contains("--force"));
    EXPECT_EQ(readAll(file), old);

    const CliRun forced = runCli({"new", "--force", file});
    EXPECT_EQ(forced.exitCode, 0) << forced.err.toStdString();
    EXPECT_EQ(readAll(file), NewFileBytes);

    writeAll(path("plain"), {1});
    const CliRun unwritable = runCli({"new", path("plain") + "/x.q02"});
    EXPECT_EQ(unwritable.exitCode, 1);
    EXPECT_TRUE(unwritable.err.contains("x.q02"));
}

// One convention for every command: `--opt value`, `--opt=value`, "--" before a name with a dash,
// --help and --version whatever else is wrong, and one usage error with exit status 2.
TEST_F(OfflineCommands, CommandLineConvention) {
    writeDoc(path("-v.q02"), validDocument());
    const QByteArray newUsage = "usage: qarlo-cli new FILE [--force]\n";
    const QByteArray readUsage = "usage: qarlo-cli read FILE [--port PORT] [--trace] [--quiet]\n";
    const struct {
        QStringList args;
        int exitCode;
        QByteArray out, err; // out: its start
    } cases[] = {
        {{"new"}, 2, "", "qarlo-cli new: Missing FILE.\n" + newUsage},
        {{"new", "a.q02", "b.q02"},
         2,
         "",
         "qarlo-cli new: Unexpected argument 'b.q02'.\n" + newUsage},
        {{"new", "--frce", "a.q02"}, 2, "", "qarlo-cli new: Unknown option 'frce'.\n" + newUsage},
        {{"check", "-v.q02"},
         2,
         "",
         "qarlo-cli check: Unknown option 'v.q02'.\nusage: qarlo-cli check FILE\n"},
        {{"check", "--json", "a.q02"},
         2,
         "",
         "qarlo-cli check: Unknown option 'json'.\nusage: qarlo-cli check FILE\n"},
        {{"show", "--json"},
         2,
         "",
         "qarlo-cli show: Missing FILE.\nusage: qarlo-cli show [--json] FILE\n"},
        {{"show", "--json=yes", "a.q02"},
         2,
         "",
         "qarlo-cli show: Unexpected value after '--json'.\nusage: qarlo-cli show [--json] FILE\n"},
        {{"import", "a.csv"},
         2,
         "",
         "qarlo-cli import: Missing FILE.\nusage: qarlo-cli import IN.csv FILE\n"},
        {{"ports", "--verbose"},
         2,
         "",
         "qarlo-cli ports: Unknown option 'verbose'.\nusage: qarlo-cli ports [--json]\n"},
        {{"read", "a.q02", "--port"},
         2,
         "",
         "qarlo-cli read: Missing value after '--port'.\n" + readUsage},
        {{"read", "a.q02", "--port="},
         2,
         "",
         "qarlo-cli read: Empty value after '--port'.\n" + readUsage},
        {{"export", "a.q02", "-o", "x.csv", "--output=y.csv"},
         2,
         "",
         "qarlo-cli export: More than one '-o'.\nusage: qarlo-cli export FILE [-o OUT.csv]\n"},
        {{"check", "--", "-v.q02"}, 0, "ok\n", ""},
        {{"export", "--output=-", "--", "-v.q02"}, 0, "Location,", ""},
        {{"new", "--bogus", "--help"}, 0, newUsage, ""},
        {{"import", "--version", "--", "--help"}, 0, "qarlo-cli ", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args.join(' ').toStdString());
        const CliRun run = runCli(c.args);
        EXPECT_EQ(run.exitCode, c.exitCode);
        EXPECT_TRUE(run.out.startsWith(c.out)) << run.out.toStdString();
        EXPECT_EQ(run.err, c.err);
    }
    EXPECT_FALSE(QFile::exists(path("a.q02")));
    EXPECT_FALSE(QFile::exists(path("--help")));
}

TEST_F(OfflineCommands, EveryCommandHasHelp) {
    const char* usages[] = {"new FILE [--force]", "check FILE", "show [--json] FILE",
                            "export FILE [-o OUT.csv]", "import IN.csv FILE"};
    for (const char* usage : usages) {
        const QString command = QString::fromUtf8(usage).section(' ', 0, 0);
        const CliRun run = runCli({command, "--help"});
        EXPECT_EQ(run.exitCode, 0) << usage;
        EXPECT_TRUE(run.out.startsWith(QByteArray("usage: qarlo-cli ") + usage + "\n")) << usage;
    }
    // After "--" it is a file name.
    const CliRun named = runCli({"new", "--", "--help"});
    EXPECT_EQ(named.exitCode, 0) << named.err.toStdString();
    EXPECT_EQ(readAll(path("--help")), NewFileBytes);
}

TEST_F(OfflineCommands, CheckReportsTheFirstFailureAsOneLine) {
    const struct {
        int ch;
        std::int32_t rx, tx;
        std::uint8_t tot;
        std::int32_t bandLow; // band high stays 440 MHz
        const char* line;     // empty: every check passes
    } cases[] = {
        {0, 0, 0, 50, 0, "01频道: 频段值必须在100MHz－480MHz内\n"},
        {0, 0, 0, 50, 10000000, ""},
        {7, 44000001, 44000000, 50, 10000000, "08频道: 接收频率值超出频段范围\n"},
        {15, 43000000, 0, 50, 10000000, "16频道: 接收频率与发射频率的差值必须小于等于10MHz\n"},
        {0, 0, 0, 101, 10000000, "01频道: 发射限时必须大于等于0.1，小于等于10\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line);
        CQarloDoc doc = validDocument();
        doc.setRxFreq(c.ch, c.rx);
        doc.setTxFreq(c.ch, c.tx);
        doc.setTotTenths(c.tot);
        doc.setBandLow(c.bandLow);
        writeDoc(path("check.q02"), doc);
        const CliRun run = runCli({"check", path("check.q02")});
        EXPECT_EQ(run.exitCode, *c.line ? 1 : 0);
        EXPECT_EQ(run.err.toStdString(), c.line);
        EXPECT_EQ(run.out, *c.line ? "" : "ok\n");
    }
}

// Each within runCli's time limit: a FIFO is refused at once, /dev/zero is not read for ever.
TEST_F(OfflineCommands, UnreadableFilesExitWith2) {
    writeAll(path("ten.q02"), std::vector<std::uint8_t>(10, 0));
    writeAll(path("empty.q02"), {});
    ASSERT_EQ(::mkfifo(path("fifo.q02").toUtf8().constData(), 0600), 0);
    for (const QString& file : {path("ten.q02"), path("empty.q02"), path("missing.q02"), dir.path(),
                                path("fifo.q02"), QStringLiteral("/dev/zero")}) {
        for (const QStringList& args : {QStringList{"check", file}, QStringList{"show", file},
                                        QStringList{"show", "--json", file}}) {
            const CliRun run = runCli(args);
            EXPECT_EQ(run.exitCode, 2) << args.join(' ').toStdString();
            EXPECT_TRUE(run.err.contains(file.toUtf8())) << run.err.toStdString();
            EXPECT_TRUE(run.out.isEmpty());
        }
    }
}

// Before anything goes to the radio, read makes sure FILE can be saved: exit 2 with the reason, and
// the port (a missing one here) is never tried. The simulator takes only a regular file as image,
// and offers no device whose --link it cannot make (exit 1).
TEST_F(OfflineCommands, FilesAreCheckedBeforeTheRadioIsTouched) {
    ASSERT_EQ(::mkfifo(path("fifo.q02").toUtf8().constData(), 0600), 0);
    QDir(dir.path()).mkdir("folder.q02");
    const QString cli = QStringLiteral(QARLO_CLI_PATH), sim = QStringLiteral(QARLO_SIM_PATH);
    const QStringList noPort = {"--port", "/dev/qarlo-missing"};
    const struct {
        QString program;
        QStringList args;
        const char* reason;
        int exitCode = 2;
    } cases[] = {
        {cli, QStringList{"read", path("gone/x.q02")} + noPort,
         "gone/x.q02: cannot be written (No such"},
        {cli, QStringList{"read", path("fifo.q02")} + noPort,
         "fifo.q02: not a regular file (a FIFO)"},
        {cli, QStringList{"read", path("folder.q02")} + noPort,
         "folder.q02: not a regular file (a directory)"},
        {sim, {"--image", "/dev/zero"}, "/dev/zero: is not a regular file (a character device)"},
        {sim, {"--image", path("fifo.q02")}, "fifo.q02: is not a regular file (a FIFO)"},
        {sim, {"--link", path("gone/radio")}, "gone/radio: No such file or directory", 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.reason);
        const CliRun run = runCli(c.args, c.program);
        EXPECT_EQ(run.exitCode, c.exitCode);
        EXPECT_TRUE(run.err.contains(c.reason)) << run.err.toStdString();
        EXPECT_TRUE(run.out.isEmpty()) << run.out.toStdString();
    }
}

// A read whose save still fails (the folder went away during the transfer) keeps the image as a
// channel file among the window's backups and names it.
TEST_F(OfflineCommands, AReadWhoseSaveFailsKeepsTheImageAmongTheBackups) {
    QProcess sim;
    sim.start(QStringLiteral(QARLO_SIM_PATH), {"--no-pace"});
    ASSERT_TRUE(sim.waitForReadyRead(5000));
    const QString device = QString::fromUtf8(sim.readLine()).trimmed();
    QDir(dir.path()).mkdir("gone");
    QProcess cli;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("XDG_DATA_HOME", path("data"));
    cli.setProcessEnvironment(env);
    cli.start(QStringLiteral(QARLO_CLI_PATH), {"read", path("gone/radio.q02"), "--port", device});
    // The image is on its way once the radio has its read request; the save comes 2 s later.
    QByteArray log;
    QElapsedTimer clock;
    clock.start();
    while (!log.contains("read request") && clock.elapsed() < 10000) {
        sim.waitForReadyRead(100);
        log += sim.readAllStandardError();
    }
    ASSERT_TRUE(QDir(path("gone")).removeRecursively());
    ASSERT_TRUE(cli.waitForFinished(20000));
    EXPECT_EQ(cli.exitCode(), 1);
    const QString err = QString::fromUtf8(cli.readAllStandardError());
    const QString folder = path("data/Local AppWizard-Generated Applications/qarlo/backups");
    const QString kept = err.section(QStringLiteral("is kept in "), 1).trimmed();
    EXPECT_TRUE(kept.startsWith(folder + "/")) << err.toStdString();
    EXPECT_EQ(readAll(kept).size(), 1041u) << err.toStdString();
    sim.terminate();
    sim.waitForFinished(5000);
}

// A document with one channel of every kind the JSON must describe.
CQarloDoc showcaseDocument() {
    CQarloDoc doc = validDocument();
    doc.setRxFreq(2, 43012500);
    doc.setTxFreq(2, 43012500);
    doc.setFlags(2, FLAG_NARROW | FLAG_RX_CODED | FLAG_RX_CTCSS | FLAG_TX_CODED);
    doc.setRxCode(2, 0x00); // QT 67
    doc.setTxCode(2, 0x87); // DQT 023I
    doc.setSquelch(2, 7);
    doc.setRxFreq(5, 14501250);
    doc.setTxFreq(5, 14501250);
    doc.setFlags(5, FLAG_RX_CODED | FLAG_TX_CODED | FLAG_TX_CTCSS);
    doc.setRxCode(5, 0x9C);                         // DCS byte that names no code
    doc.setTxCode(5, 0x26);                         // CTCSS byte past the last tone
    doc.setFlags(9, FLAG_RX_CTCSS | FLAG_TX_CTCSS); // CTCSS bits without signalling
    doc.setRxCode(9, 0x05);
    writeBE32(doc.record(11) + REC_RX_FREQ, 0xFFFFFFFF); // top bit set: negative
    doc.setSquelch(12, 200);
    doc.setTotTenths(35);
    return doc;
}

TEST_F(OfflineCommands, ShowJson) {
    const QString file = path("show.q02");
    writeDoc(file, showcaseDocument());
    const CliRun run = runCli({"show", "--json", file});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    QJsonParseError error{};
    const QJsonDocument json = QJsonDocument::fromJson(run.out, &error);
    ASSERT_EQ(error.error, QJsonParseError::NoError) << error.errorString().toStdString();
    QJsonObject top = json.object();
    const QJsonArray channels = top.take("channels").toArray();
    EXPECT_EQ(top, QJsonDocument::fromJson(R"({"totTenths": 35, "bandLow": 10000000,
        "bandHigh": 11000000, "programmed": [2, 5]})")
                       .object());
    ASSERT_EQ(channels.size(), 16);
    const QJsonArray expected = QJsonDocument::fromJson(R"([
        {"index": 2, "name": "03频道", "rxFreq": 43012500, "txFreq": 43012500, "flags": 216,
         "narrow": true, "squelch": 7, "rxCode": 0, "txCode": 135, "rxType": "QT",
         "txType": "DQT", "rxCodeName": "67", "txCodeName": "023I"},
        {"index": 5, "name": "06频道", "rxFreq": 14501250, "txFreq": 14501250, "flags": 56,
         "narrow": false, "squelch": 3, "rxCode": 156, "txCode": 38, "rxType": "DQT",
         "txType": "QT", "rxCodeName": null, "txCodeName": null},
        {"index": 9, "name": "10频道", "rxFreq": 0, "txFreq": 0, "flags": 96, "narrow": false,
         "squelch": 3, "rxCode": 5, "txCode": 0, "rxType": "无", "txType": "无",
         "rxCodeName": null, "txCodeName": null},
        {"index": 11, "name": "12频道", "rxFreq": -1, "txFreq": 0, "flags": 0, "narrow": false,
         "squelch": 3, "rxCode": 0, "txCode": 0, "rxType": "无", "txType": "无",
         "rxCodeName": null, "txCodeName": null}])")
                                    .array();
    ASSERT_EQ(expected.size(), 4);
    for (const auto& object : expected) {
        const int index = object.toObject()["index"].toInt();
        EXPECT_EQ(channels[index], object) << index;
    }
    EXPECT_EQ(channels[12].toObject()["squelch"].toInt(), 200);
    EXPECT_EQ(channels[15].toObject()["name"].toString(), QString::fromUtf8("16频道"));
}

TEST_F(OfflineCommands, ShowTable) {
    const QString file = path("table.q02");
    writeDoc(file, showcaseDocument());
    const CliRun run = runCli({"show", file});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    const QString text = QString::fromUtf8(run.out);
    EXPECT_TRUE(text.contains("time-out: 3.5 min")) << text.toStdString();
    EXPECT_TRUE(text.contains("band: 400 - 440 MHz")) << text.toStdString();
    const QStringList lines = text.split('\n');
    auto row = [&](int ch) {
        const QString name = QString("%1频道").arg(ch + 1, 2, 10, QChar('0'));
        for (const QString& line : lines)
            if (line.startsWith(name)) return line.simplified().split(' ');
        return QStringList{};
    };
    EXPECT_EQ(row(2), (QStringList{"03频道", "430.125", "430.125", "12.5KHz", "7", "QT", "67",
                                   "DQT", "023I"}));
    EXPECT_EQ(row(5),
              (QStringList{"06频道", "145.0125", "145.0125", "25KHz", "3", "DQT", "?", "QT", "?"}));
    EXPECT_EQ(row(9), (QStringList{"10频道", "0", "0", "25KHz", "3", "无", "无"}));
    EXPECT_EQ(row(11), (QStringList{"12频道", "-0.00001", "0", "25KHz", "3", "无", "无"}));
    EXPECT_EQ(row(12).value(4), "200");
}

} // namespace
} // namespace qarlo
