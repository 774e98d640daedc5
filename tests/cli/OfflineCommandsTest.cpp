// qarlo-cli's commands that need no radio, and every command's usage errors, run as the user runs
// them.
#include "memory/Bytes.h"
#include "memory/ChannelFile.h"
#include "platform/Charset.h"
#include "tests/support/SimLauncher.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cerrno>
#include <clocale>
#include <cstring>
#include <memory>

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
                 {{"new", "--force", file}, QByteArray(1041, 0x11), 0, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args.join(' ').toStdString());
        QFile::remove(file);
        if (!c.before.isEmpty()) writeAll(file, c.before);
        const CliRun r = run(c.args);
        EXPECT_EQ(r.exitCode, c.exitCode);
        EXPECT_EQ(readAll(file), c.replaced ? fileOf(CQarloDoc{}) : c.before);
        EXPECT_EQ(r.err.isEmpty(), c.replaced);
        EXPECT_TRUE(c.replaced || (r.err.contains(file) && r.err.contains("--force")));
    }
    writeAll(path("plain"), "1");
    const CliRun unwritable = run({"new", path("plain") + "/x.q02"});
    EXPECT_EQ(unwritable.exitCode, 1);
    EXPECT_TRUE(unwritable.err.contains("x.q02"));
}

// One convention for every command: `--opt value`, `--opt=value`, "--" before a name with a dash,
// --help and --version whatever else is wrong, one usage error with exit status 2. Files that
// cannot be a channel file exit with 2 and name the file, within the runner's time limit (a FIFO
// is refused at once, /dev/zero is not read for ever). Nothing goes to the line before FILE is
// known good and can be saved; the simulator takes only a regular file as image and offers no
// device whose --link it cannot make.
TEST_F(OfflineCommands, CommandLineConventionAndUsageErrors) {
    ASSERT_TRUE(writeAll(path("-v.q02"), fileOf(validDocument())));
    ASSERT_TRUE(writeAll(path("good.q02"), fileOf(validDocument())));
    ASSERT_TRUE(writeAll(path("ten.q02"), QByteArray(10, '\0')));
    ASSERT_EQ(::mkfifo(path("fifo.q02").toUtf8().constData(), 0600), 0);
    CQarloDoc invalid = validDocument();
    invalid.setRxFreq(2, 47000000); // above the 440 MHz band edge
    invalid.setTxFreq(2, 47000000);
    ASSERT_TRUE(writeAll(path("bad.q02"), fileOf(invalid)));
    const QString noDevice =
        QString::fromUtf8("建立通信失败\n/dev/qarlo-missing: no such device\n");
    const QString outOfBand = QString::fromUtf8("03频道: 接收频率值超出频段范围\n");
    const QString anyText = "*", sim = "@sim", noPort = "--port=/dev/qarlo-missing";
    const struct {
        QStringList args; // "@sim" first: the simulator's
        int exitCode;
        QString out, err; // out: its start; err: a part, "*" any text, "" none
    } cases[] = {
        {{"new"}, 2, "", "qarlo-cli new: Missing FILE.\nusage: qarlo-cli new FILE [--force]\n"},
        {{"new", "--frce", "a.q02"}, 2, "", "qarlo-cli new: Unknown option 'frce'.\n"},
        {{"check", "-v.q02"}, 2, "", "qarlo-cli check: Unknown option 'v.q02'.\n"},
        {{"show", "--json=yes", "a.q02"}, 2, "", "show: Unexpected value after '--json'.\n"},
        {{"read", "a.q02", "--port"},
         2,
         "",
         "qarlo-cli read: Missing value after '--port'.\n"
         "usage: qarlo-cli read FILE [--port PORT] [--trace] [--quiet]\n"},
        {{"read", "a.q02", "--port="}, 2, "", "qarlo-cli read: Empty value after '--port'.\n"},
        {{"export", "a.q02", "-o", "x.csv", "--output=y.csv"}, 2, "", "More than one '-o'.\n"},
        {{"write", "good.q02", "--each"}, 2, "", anyText},
        {{"write", "ten.q02", "--verify"}, 2, "", "ten.q02"},
        {{"verify", "a.q02"}, 2, "", anyText},
        {{"diff", "good.q02", "a.q02"}, 2, "", anyText},
        {{"check", "ten.q02"}, 2, "", "ten.q02"},
        {{"show", "/dev/zero"}, 2, "", "/dev/zero"},
        {{"read", "gone/x.q02", noPort}, 2, "", "gone/x.q02: cannot be written (No such"},
        {{"read", "fifo.q02", noPort}, 2, "", "fifo.q02: not a regular file (a FIFO)"},
        {{sim, "--image", "/dev/zero"}, 2, "", "/dev/zero: is not a regular file (a character"},
        {{sim, "--link", "gone/radio"}, 1, "", "gone/radio: No such file or directory"},
        {{sim, "--link", ""}, 2, "", "--link needs a value that is not empty\n"},
        {{sim, "--save", "s.q02", "--save", "t.q02"}, 2, "", "--save given twice\n"},
        {{sim, "--fault", "silent", "--fault", "hangup"}, 2, "", "--fault given twice\n"},
        {{"write", "good.q02", noPort}, 1, "", noDevice},
        {{"read", "--port", "/dev/qarlo-missing", "--", "-odd.q02"}, 1, "", noDevice},
        // The check fails before the port is ever tried.
        {{"write", "bad.q02", noPort}, 1, "", outOfBand},
        {{"check", "bad.q02"}, 1, "", outOfBand},
        {{"check", "--", "-v.q02"}, 0, "ok\n", ""},
        {{"export", "--output=-", "--", "-v.q02"}, 0, "Location,", ""},
        {{"new", "--bogus", "--help"}, 0, "usage: qarlo-cli new FILE [--force]\n", ""},
        {{"import", "--version", "--", "--help"}, 0, "qarlo-cli ", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args.join(' ').toStdString());
        const bool simulator = c.args.first() == sim;
        const CliRun r =
            run(simulator ? c.args.mid(1) : c.args, simulator ? QARLO_SIM_PATH : QARLO_CLI_PATH);
        EXPECT_EQ(r.exitCode, c.exitCode);
        EXPECT_EQ(r.out.left(c.out.size()), c.out);
        EXPECT_TRUE(c.err == anyText ? !r.err.isEmpty()
                                     : (c.err.isEmpty() ? r.err.isEmpty() : r.err.contains(c.err)))
            << r.err.toStdString();
        EXPECT_TRUE(c.exitCode == 0 || r.out.isEmpty()) << r.out.toStdString();
    }
    for (const char* never : {"a.q02", "-odd.q02", "--help"})
        EXPECT_FALSE(QFile::exists(path(never))) << never;
}

// A read whose save still fails (the folder went away during the transfer) keeps the image as a
// channel file among the window's backups and names it, or says why it could not. Both reads run
// at once: each waits 2 s before its save.
TEST_F(OfflineCommands, AReadWhoseSaveFailsKeepsTheImageAmongTheBackups) {
    ASSERT_TRUE(writeAll(path("file"), "x"));
    struct Read {
        explicit Read(QString home) : dataHome(std::move(home)) {}
        QString dataHome;
        std::unique_ptr<Sim> sim = std::make_unique<Sim>(QStringList());
        std::unique_ptr<QProcess> cli = std::make_unique<QProcess>();
        QByteArray log;
    } reads[] = {Read(path("data")), Read(path("file"))};
    QDir(dir.path()).mkdir("gone");
    for (int i = 0; i < 2; ++i) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("XDG_DATA_HOME", reads[i].dataHome);
        reads[i].cli->setProcessEnvironment(env);
        reads[i].cli->start(QARLO_CLI_PATH,
                            {"read", path("gone/radio.q02").append(QString::number(i)), "--port",
                             reads[i].sim->path});
    }
    // The images are on their way once the radios have their read requests.
    for (Read& read : reads)
        for (int i = 0; i < 100 && !read.log.contains("read request"); ++i) {
            read.sim->process.waitForReadyRead(100);
            read.log += read.sim->process.readAllStandardError();
        }
    ASSERT_TRUE(QDir(path("gone")).removeRecursively());
    QString err[2];
    for (int i = 0; i < 2; ++i) {
        ASSERT_TRUE(reads[i].cli->waitForFinished(20000));
        EXPECT_EQ(reads[i].cli->exitCode(), 1);
        err[i] = QString::fromUtf8(reads[i].cli->readAllStandardError());
    }
    const QString kept = err[0].section(QStringLiteral("is kept in "), 1).trimmed();
    EXPECT_TRUE(kept.startsWith(path("data/Local AppWizard-Generated Applications/qarlo/backups/")))
        << err[0].toStdString();
    EXPECT_EQ(readAll(kept).size(), 1041) << err[0].toStdString();
    EXPECT_TRUE(err[1].endsWith(
        "qarlo-cli: cannot keep the image among the backups: cannot create the folder " +
        path("file/Local AppWizard-Generated Applications/qarlo/backups") + "\n"))
        << err[1].toStdString();
}

// The columns line up on a terminal: a Chinese character takes two columns. The JSON form carries
// the same names.
TEST_F(OfflineCommands, ShowTableAndJson) {
    CQarloDoc doc = validDocument();
    doc.setRxFreq(2, 43012500);
    doc.setTxFreq(2, 43012500);
    doc.setFlags(2, FLAG_NARROW | FLAG_RX_CODED | FLAG_RX_CTCSS | FLAG_TX_CODED);
    doc.setRxCode(2, 0x00); // QT 67
    doc.setTxCode(2, 0x87); // DQT 023I
    doc.setSquelch(2, 7);
    writeAll(path("show.q02"), fileOf(doc));
    const CliRun r = run({"show", path("show.q02")});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    for (const char* line : {
             "\nchannel   rx MHz        tx MHz        bandwidth  squelch  rx signalling  tx "
             "signalling\n",
             "\n03频道    430.125       430.125       12.5KHz    7        QT 67          DQT "
             "023I\n",
             "\n04频道    0             0             25KHz      3        无             无\n",
         })
        EXPECT_TRUE(r.out.contains(QString::fromUtf8(line))) << line << r.out.toStdString();
    const CliRun json = run({"show", "--json", path("show.q02")});
    const QJsonObject top = QJsonDocument::fromJson(json.out.toUtf8()).object();
    EXPECT_EQ(top["channels"][2]["txCodeName"], "023I") << json.out.toStdString();
}

// Output that goes nowhere is a failure said on standard error, whatever the command's own status.
TEST_F(OfflineCommands, OutputLostOnAClosedOrFullStandardOutputFails) {
    writeAll(path("a.q02"), fileOf(validDocument()));
    for (const char* command :
         {"show a.q02", "check a.q02", "diff --json a.q02 a.q02", "ports", "--help"}) {
        for (const char* redirect : {" > /dev/full", " >&-"}) {
            SCOPED_TRACE(std::string(command) + redirect);
            const QString line =
                QStringLiteral("exec '%1' %2%3").arg(QARLO_CLI_PATH, command, redirect);
            const CliRun r = run({"-c", line}, "/bin/sh");
            EXPECT_EQ(r.exitCode, 1);
            EXPECT_EQ(r.err, "qarlo-cli: cannot write to standard output\n");
        }
    }
}

// A terminal in GB18030 reads the messages in its own charset, names with the bytes they came
// with; data on standard output (JSON, CSV) stays UTF-8.
TEST_F(OfflineCommands, AGb18030TerminalGetsMessagesInItsCharset) {
    const bool present = std::setlocale(LC_ALL, "zh_CN.GB18030") != nullptr;
    std::setlocale(LC_ALL, "C");
    if (!present) GTEST_SKIP() << "no zh_CN.GB18030 locale here (scripts/setup.sh makes one)";
    const Charset gb("GB18030");
    writeAll(path("a.q02"), fileOf(validDocument()));
    CQarloDoc changed = validDocument();
    changed.setRxFreq(0, 43012500);
    changed.setTxFreq(0, 43012500);
    changed.RebuildProgrammedList();
    writeAll(path("b.q02"), fileOf(changed));
    const auto inBoth = [&](const QString& command) {
        RunOptions options;
        options.workDir = dir.path();
        options.program = QStringLiteral("/bin/sh");
        const QStringList args{"-c", QStringLiteral("exec '%1' %2").arg(QARLO_CLI_PATH, command)};
        const CliRun utf8 = runCli(args, options);
        options.environment = {QStringLiteral("LC_ALL=zh_CN.GB18030")};
        return std::pair{utf8, runCli(args, options)};
    };
    const auto [diffUtf8, diffGb] = inBoth(QStringLiteral("diff a.q02 b.q02"));
    ASSERT_TRUE(diffUtf8.out.contains(QStringLiteral("01频道: 接收频率 0.000 → 430.125 MHz")));
    EXPECT_EQ(diffGb.exitCode, 1);
    EXPECT_EQ(diffGb.outBytes.toStdString(), gb.FromUtf8(diffUtf8.outBytes.toStdString()));
    const auto [jsonUtf8, jsonGb] = inBoth(QStringLiteral("diff --json a.q02 b.q02"));
    ASSERT_TRUE(jsonUtf8.out.contains(QStringLiteral("\"row\": \"01频道\"")));
    EXPECT_EQ(jsonGb.outBytes, jsonUtf8.outBytes);
    // "频道.q02" named in GB18030: C6 B5 is also UTF-8, and must not be taken for it
    const auto [showUtf8, showGb] =
        inBoth(QStringLiteral("show \"$(printf '\\306\\265\\265\\300.q02')\""));
    EXPECT_EQ(showGb.errBytes, QByteArray("qarlo-cli: \xC6\xB5\xB5\xC0.q02: cannot be opened (No "
                                          "such file or directory)\n"));
    EXPECT_EQ(showGb.errBytes, showUtf8.errBytes);
    // The system's words on a port that will not open (a loop of links) keep their bytes.
    std::setlocale(LC_ALL, "zh_CN.GB18030");
    const QByteArray words(std::strerror(ELOOP));
    std::setlocale(LC_ALL, "C");
    ASSERT_TRUE(QFile::link(path("loop2"), path("loop1")) && QFile::link(path("loop1"), path("loop2")));
    const auto [readUtf8, readGb] = inBoth(QStringLiteral("read r.q02 --port ./loop1"));
    EXPECT_EQ(readGb.exitCode, 1);
    EXPECT_TRUE(readGb.errBytes.contains("./loop1: " + words + "\n")) << readGb.errBytes.toHex(' ').toStdString();
    const auto [fullUtf8, fullGb] = inBoth(QStringLiteral("diff a.q02 b.q02 >/dev/full"));
    EXPECT_EQ(fullGb.exitCode, 1);
    EXPECT_EQ(fullGb.err, "qarlo-cli: cannot write to standard output\n");
}

// One change per run, all or nothing: every good value lands as the editor would store it, every
// bad one leaves the file's bytes as they were with exit status 2.
TEST_F(OfflineCommands, SetChangesAllOrNothing) {
    CQarloDoc start = validDocument();
    start.setRxFreq(0, 43500000);
    start.setTxFreq(0, 43500000);
    start.setFlags(0, FLAG_RX_CODED | FLAG_RX_CTCSS | FLAG_TX_CODED | FLAG_TX_CTCSS);
    start.setTxCode(0, 0x03); // QT 77
    const struct {
        QStringList args;
        void (*edit)(CQarloDoc&);
    } cases[] = {
        {{"--band", "100-140", "--tot", "2.5"},
         [](CQarloDoc& d) { d.setBandLow(2500000), d.setBandHigh(3500000), d.setTotTenths(25); }},
        {{"--band", "480-490", "--tot", "10"},
         [](CQarloDoc& d) { d.setBandLow(12000000), d.setBandHigh(12250000), d.setTotTenths(100); }},
        {{"--tot", "0.1"}, [](CQarloDoc& d) { d.setTotTenths(1); }},
        {{"--channel", "2", "--rx", "145.0125", "--tx", "145.6125", "--rx-code", "DQT 023I",
          "--tx-code", "qt 250.3", "--bandwidth", "12.5", "--squelch", "9"},
         [](CQarloDoc& d) {
             d.setRxFreq(1, 14501250), d.setTxFreq(1, 14561250), d.setRxCode(1, 0x87);
             d.setTxCode(1, 0x25),
                 d.setFlags(1, FLAG_NARROW | FLAG_RX_CODED | FLAG_TX_CODED | FLAG_TX_CTCSS);
             d.setSquelch(1, 9);
         }},
        {{"--channel", "1", "--tx-code", "无", "--rx-code", "none", "--rx", "425.00625"},
         [](CQarloDoc& d) { d.setFlags(0, 0x60), d.setRxFreq(0, 42500625); }},
        {{"--channel", "1", "--bandwidth", "25", "--rx-code", "DQT 754N"},
         [](CQarloDoc& d) { d.setFlags(0, 0x38), d.setRxCode(0, 0x53); }},
        {{"--channel", "1", "--clear"},
         [](CQarloDoc& d) { d.OnNewDocument(), d.setBandLow(10000000), d.setBandHigh(11000000); }},
    };
    // Channel values go to channel 1.
    const char* refused[] = {"--band=99-120",     "--band=480-521",  "--band=400-409",
                             "--band=400",        "--band=4o0-440",  "--tot=0",
                             "--tot=10.1",        "--tot=0.25",      "--rx=99.995",
                             "--rx=520.005",      "--rx=145.0126",   "--tx=145.001",
                             "--rx=nan",          "--rx=435x",       "--tx=424.99",
                             "--rx=100",          "--rx-code=QT 66", "--tx-code=DQT 036N",
                             "--rx-code=DQT 023", "--rx-code=QT",    "--bandwidth=12",
                             "--squelch=10",      "--squelch=-1",    "--squelch=1.5"};
    auto runSet = [&](const QStringList& args, const CQarloDoc& before) {
        writeAll(path("s.q02"), fileOf(before));
        return run(QStringList{"set", path("s.q02")} + args);
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args.join(' ').toStdString());
        CQarloDoc want = start;
        c.edit(want);
        const CliRun r = runSet(c.args, start);
        EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
        EXPECT_EQ(readAll(path("s.q02")), fileOf(want));
    }
    for (const char* bad : refused) {
        QStringList args{bad};
        if (!args[0].startsWith("--band") && !args[0].startsWith("--tot"))
            args = QStringList{"--channel", "1"} + args;
        SCOPED_TRACE(args.join(' ').toStdString());
        const CliRun r = runSet(args, start);
        EXPECT_EQ(r.exitCode, 2);
        EXPECT_TRUE(r.err.startsWith("qarlo-cli set")) << r.err.toStdString();
        EXPECT_EQ(readAll(path("s.q02")), fileOf(start));
    }
    // A channel left without a transmit frequency, or split wider than 10 MHz, is refused; a
    // band that misses a channel is stored and noted.
    EXPECT_EQ(runSet({"--channel", "3", "--rx", "435"}, start).exitCode, 2);
    EXPECT_EQ(runSet({"--channel", "1", "--squelch", "1", "--clear"}, start).exitCode, 2);
    EXPECT_EQ(runSet({"--squelch", "1"}, start).exitCode, 2);
    for (const char* n : {"0", "17"})
        EXPECT_EQ(runSet({"--channel", n, "--squelch", "1"}, start).exitCode, 2);
    EXPECT_EQ(runSet({"--channel", "1"}, start).exitCode, 2);
    EXPECT_EQ(readAll(path("s.q02")), fileOf(start));
    const CliRun noted = runSet({"--band", "100-110"}, start);
    EXPECT_EQ(noted.exitCode, 0);
    EXPECT_TRUE(
        noted.err.startsWith("qarlo-cli: note: " + path("s.q02") +
                             QString::fromUtf8(" cannot be written to a radio yet: 01频道: ")));
}

} // namespace
} // namespace qarlo::test
