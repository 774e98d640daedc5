// qarlo-cli's commands that need no radio, and every command's usage errors, run as the user runs
// them.
#include "memory/Bytes.h"
#include "memory/ChannelFile.h"
#include "tests/support/SimLauncher.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h> // mkfifo

namespace qarlo::test {
namespace {

QByteArray fileOf(const CQarloDoc& doc) {
    const auto bytes = ChannelFileBytes(doc);
    return QByteArray(reinterpret_cast<const char*>(bytes.data()), std::ssize(bytes));
}

// Band 400..440 MHz, time-out 5 minutes: passes the checks.
CQarloDoc validDocument() {
    CQarloDoc doc;
    doc.setBandLow(10000000);
    doc.setBandHigh(11000000);
    return doc;
}

struct OfflineCommands : ::testing::Test {
    QString path(const char* name) const { return dir.filePath(QString::fromUtf8(name)); }
    // In the test's own folder, so relative names land there.
    CliRun run(const QStringList& args, const QString& program = QARLO_CLI_PATH) const {
        RunOptions options;
        options.workDir = dir.path();
        options.program = program;
        return runCli(args, options);
    }
    QTemporaryDir dir;
};

TEST_F(OfflineCommands, NewWritesANewDocumentsFileButReplacesOnlyWithForce) {
    const QString file = path("mine.q02");
    const struct {
        QStringList args;
        QByteArray before; // empty: no file yet
        int exitCode;
        bool replaced;
    } cases[] = {{{"new", file}, {}, 0, true},
                 {{"new", file}, QByteArray(1041, 0x11), 2, false},
                 {{"new", "--force", file}, QByteArray(1041, 0x11), 0, true},
                 {{"new", "--", "--help"}, {}, 0, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args.join(' ').toStdString());
        const QString target = QDir(dir.path()).filePath(c.args.last());
        QFile::remove(target);
        if (!c.before.isEmpty()) writeAll(target, c.before);
        const CliRun r = run(c.args);
        EXPECT_EQ(r.exitCode, c.exitCode);
        EXPECT_EQ(readAll(target), c.replaced ? fileOf(CQarloDoc{}) : c.before);
        EXPECT_EQ(r.err.isEmpty(), c.replaced);
        EXPECT_TRUE(c.replaced || (r.err.contains(file) && r.err.contains("--force")));
    }
    writeAll(path("plain"), "1");
    const CliRun unwritable = run({"new", path("plain") + "/x.q02"});
    EXPECT_EQ(unwritable.exitCode, 1);
    EXPECT_TRUE(unwritable.err.contains("x.q02"));
}

// One convention for every command: `--opt value`, `--opt=value`, "--" before a name with a dash,
// --help and --version whatever else is wrong, one usage error with exit status 2, and nothing
// tried on the line before the file and the port are known good.
TEST_F(OfflineCommands, CommandLineConvention) {
    ASSERT_TRUE(writeAll(path("-v.q02"), fileOf(validDocument())));
    const QString good = path("good.q02");
    writeAll(good, fileOf(validDocument()));
    writeAll(path("short.q02"), QByteArray(100, '\0'));
    CQarloDoc invalid = validDocument();
    invalid.setRxFreq(2, 47000000); // above the 440 MHz band edge
    invalid.setTxFreq(2, 47000000);
    writeAll(path("bad.q02"), fileOf(invalid));
    const QString newUsage = "usage: qarlo-cli new FILE [--force]\n";
    const QString readUsage = "usage: qarlo-cli read FILE [--port PORT] [--trace] [--quiet]\n";
    const QString noDevice =
        QString::fromUtf8("建立通信失败\n/dev/qarlo-missing: no such device\n");
    const QString anyText = "*";
    const struct {
        QStringList args;
        int exitCode;
        QString out, err; // out: its start; err "*": any text
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
        {{"read"}, 2, "", anyText},
        {{"write", "a.q02"}, 2, "", anyText},
        {{"write", good, "extra"}, 2, "", anyText},
        {{"write", good, "--baud"}, 2, "", anyText},
        {{"write", good, "--each"}, 2, "", anyText},
        {{"write", "short.q02", "--verify"}, 2, "", anyText},
        {{"verify", "a.q02"}, 2, "", anyText},
        {{"diff", good, "a.q02"}, 2, "", anyText},
        {{"diff", good}, 2, "", anyText},
        {{"read", "a.q02", "--port", "/dev/qarlo-missing"}, 1, "", noDevice},
        {{"write", good, "--port=/dev/qarlo-missing"}, 1, "", noDevice},
        {{"read", "--port", "/dev/qarlo-missing", "--", "-odd.q02"}, 1, "", noDevice},
        {{"verify", good, "--port=/dev/qarlo-missing"}, 1, "", noDevice},
        // The check fails before the port is ever tried.
        {{"write", "bad.q02", "--port=/dev/qarlo-missing"},
         1,
         "",
         QString::fromUtf8("03频道: 接收频率值超出频段范围\n")},
        {{"check", "--", "-v.q02"}, 0, "ok\n", ""},
        {{"export", "--output=-", "--", "-v.q02"}, 0, "Location,", ""},
        {{"new", "--bogus", "--help"}, 0, newUsage, ""},
        {{"show", "--help"}, 0, "usage: qarlo-cli show [--json] FILE\n", ""},
        {{"export", "--help"}, 0, "usage: qarlo-cli export FILE [-o OUT.csv]\n", ""},
        {{"import", "--version", "--", "--help"}, 0, "qarlo-cli ", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args.join(' ').toStdString());
        const CliRun r = run(c.args);
        EXPECT_EQ(r.exitCode, c.exitCode);
        EXPECT_EQ(r.out.left(c.out.size()), c.out);
        EXPECT_TRUE(c.err == anyText ? !r.err.isEmpty() : r.err == c.err) << r.err.toStdString();
    }
    for (const char* never : {"a.q02", "-odd.q02", "--help"})
        EXPECT_FALSE(QFile::exists(path(never))) << never;
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
        writeAll(path("check.q02"), fileOf(doc));
        const CliRun r = run({"check", path("check.q02")});
        EXPECT_EQ(r.exitCode, *c.line ? 1 : 0);
        EXPECT_EQ(r.err.toStdString(), c.line);
        EXPECT_EQ(r.out, *c.line ? "" : "ok\n");
    }
}

// Files that cannot be a channel file exit with 2 and name the file, within runCli's time limit
// (a FIFO is refused at once, /dev/zero is not read for ever). read makes sure FILE can be saved
// before the port (a missing one) is tried; the simulator takes only a regular file as image and
// offers no device whose --link it cannot make.
TEST_F(OfflineCommands, FilesAreCheckedBeforeAnythingElse) {
    writeAll(path("ten.q02"), QByteArray(10, '\0'));
    writeAll(path("empty.q02"), "");
    ASSERT_EQ(::mkfifo(path("fifo.q02").toUtf8().constData(), 0600), 0);
    QDir(dir.path()).mkdir("folder.q02");
    for (const QString& file : {path("ten.q02"), path("empty.q02"), path("missing.q02"), dir.path(),
                                path("fifo.q02"), QStringLiteral("/dev/zero")})
        for (const QStringList& args : {QStringList{"check", file}, QStringList{"show", file},
                                        QStringList{"show", "--json", file}}) {
            const CliRun r = run(args);
            EXPECT_EQ(r.exitCode, 2) << args.join(' ').toStdString();
            EXPECT_TRUE(r.err.contains(file) && r.out.isEmpty()) << r.err.toStdString();
        }
    const QString sim = QStringLiteral(QARLO_SIM_PATH);
    const QStringList noPort = {"--port", "/dev/qarlo-missing"};
    const struct {
        QString program;
        QStringList args;
        const char* reason;
        int exitCode = 2;
    } cases[] = {
        {QARLO_CLI_PATH, QStringList{"read", path("gone/x.q02")} + noPort,
         "gone/x.q02: cannot be written (No such"},
        {QARLO_CLI_PATH, QStringList{"read", path("fifo.q02")} + noPort,
         "fifo.q02: not a regular file (a FIFO)"},
        {QARLO_CLI_PATH, QStringList{"read", path("folder.q02")} + noPort,
         "folder.q02: not a regular file (a directory)"},
        {sim, {"--image", "/dev/zero"}, "/dev/zero: is not a regular file (a character device)"},
        {sim, {"--image", path("fifo.q02")}, "fifo.q02: is not a regular file (a FIFO)"},
        {sim, {"--link", path("gone/radio")}, "gone/radio: No such file or directory", 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.reason);
        const CliRun r = run(c.args, c.program);
        EXPECT_EQ(r.exitCode, c.exitCode);
        EXPECT_TRUE(r.err.contains(c.reason) && r.out.isEmpty()) << r.err.toStdString();
    }
}

// A read whose save still fails (the folder went away during the transfer) keeps the image as a
// channel file among the window's backups and names it.
TEST_F(OfflineCommands, AReadWhoseSaveFailsKeepsTheImageAmongTheBackups) {
    Sim sim({});
    QDir(dir.path()).mkdir("gone");
    QProcess cli;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("XDG_DATA_HOME", path("data"));
    cli.setProcessEnvironment(env);
    cli.start(QARLO_CLI_PATH, {"read", path("gone/radio.q02"), "--port", sim.path});
    // The image is on its way once the radio has its read request; the save comes 2 s later.
    QByteArray log;
    for (int i = 0; i < 100 && !log.contains("read request"); ++i) {
        sim.process.waitForReadyRead(100);
        log += sim.process.readAllStandardError();
    }
    ASSERT_TRUE(QDir(path("gone")).removeRecursively());
    ASSERT_TRUE(cli.waitForFinished(20000));
    EXPECT_EQ(cli.exitCode(), 1);
    const QString err = QString::fromUtf8(cli.readAllStandardError());
    const QString kept = err.section(QStringLiteral("is kept in "), 1).trimmed();
    EXPECT_TRUE(kept.startsWith(path("data/Local AppWizard-Generated Applications/qarlo/backups/")))
        << err.toStdString();
    EXPECT_EQ(readAll(kept).size(), 1041) << err.toStdString();
}

// A document with one channel of every kind show must describe.
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
    writeAll(path("show.q02"), fileOf(showcaseDocument()));
    const CliRun r = run({"show", "--json", path("show.q02")});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    QJsonObject top = QJsonDocument::fromJson(r.out.toUtf8()).object();
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
    for (const auto& object : expected)
        EXPECT_EQ(channels[object.toObject()["index"].toInt()], object);
    EXPECT_EQ(channels[12].toObject()["squelch"].toInt(), 200);
}

// The columns line up on a terminal: a Chinese character takes two columns.
TEST_F(OfflineCommands, ShowTable) {
    writeAll(path("table.q02"), fileOf(showcaseDocument()));
    const CliRun r = run({"show", path("table.q02")});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    for (const char* line : {
             "time-out: 3.5 min   band: 400 - 440 MHz\n",
             "\nchannel   rx MHz        tx MHz        bandwidth  squelch  rx signalling  tx "
             "signalling\n",
             "\n03频道    430.125       430.125       12.5KHz    7        QT 67          DQT "
             "023I\n",
             "\n06频道    145.0125      145.0125      25KHz      3        DQT ?          QT ?\n",
             "\n10频道    0             0             25KHz      3        无             无\n",
             "\n12频道    -0.00001      0             25KHz      3        无             无\n",
             "\n13频道    0             0             25KHz      200      无             无\n",
         })
        EXPECT_TRUE(r.out.contains(QString::fromUtf8(line))) << line << r.out.toStdString();
}

} // namespace
} // namespace qarlo::test
