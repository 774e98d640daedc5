#include "memory/Bytes.h"
#include "memory/ChannelFile.h"

#include <QByteArray>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QSet>
#include <QStringList>
#include <QTemporaryDir>

#include <gtest/gtest.h>

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

CliRun runCli(const QStringList& args) {
    QProcess process;
    process.start(QStringLiteral(QARLO_CLI_PATH), args);
    CliRun run;
    if (!process.waitForFinished(30000) || process.exitStatus() != QProcess::NormalExit) {
        ADD_FAILURE() << "qarlo-cli did not finish normally";
        return run;
    }
    run.exitCode = process.exitCode();
    run.out = process.readAllStandardOutput();
    run.err = process.readAllStandardError();
    return run;
}

std::vector<std::uint8_t> readAll(const QString& path) {
    std::ifstream in(path.toStdString(), std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

void writeAll(const QString& path, const std::vector<std::uint8_t>& bytes) {
    std::ofstream out(path.toStdString(), std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
}

void writeDoc(const QString& path, const CQarloDoc& doc) {
    const auto bytes = ChannelFileBytes(doc);
    writeAll(path, {bytes.begin(), bytes.end()});
}

class OfflineCommands : public ::testing::Test {
protected:
    QString path(const char* name) const { return dir.filePath(QString::fromUtf8(name)); }
    QTemporaryDir dir;
};

// Band 400..440 MHz, time-out 5 minutes: passes the checks.
CQarloDoc validDocument() {
    CQarloDoc doc;
    doc.setBandLow(10000000);
    doc.setBandHigh(11000000);
    return doc;
}

TEST_F(OfflineCommands, NewWritesANewDocumentsFile) {
    const QString file = path("fresh.q02");
    const CliRun run = runCli({"new", file});
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_TRUE(run.err.isEmpty());
    const auto expected = ChannelFileBytes(CQarloDoc{});
    EXPECT_EQ(readAll(file), std::vector<std::uint8_t>(expected.begin(), expected.end()));
}

TEST_F(OfflineCommands, NewRefusesToReplaceWithoutForce) {
    const QString file = path("mine.q02");
    const std::vector<std::uint8_t> old(1041, 0x11);
    writeAll(file, old);
    const CliRun refused = runCli({"new", file});
    EXPECT_EQ(refused.exitCode, 2);
    EXPECT_TRUE(refused.err.contains(file.toUtf8()));
    EXPECT_TRUE(refused.err.contains("--force"));
    EXPECT_EQ(readAll(file), old);

    const CliRun forced = runCli({"new", "--force", file});
    EXPECT_EQ(forced.exitCode, 0) << forced.err.toStdString();
    const auto expected = ChannelFileBytes(CQarloDoc{});
    EXPECT_EQ(readAll(file), std::vector<std::uint8_t>(expected.begin(), expected.end()));
}

TEST_F(OfflineCommands, NewIntoAnUnwritablePlaceFails) {
    writeAll(path("plain"), {1});
    const CliRun run = runCli({"new", path("plain") + "/x.q02"});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.err.contains("x.q02"));
}

TEST_F(OfflineCommands, UsageErrors) {
    const QStringList cases[] = {
        {"new"},   {"new", "a.q02", "b.q02"},   {"new", "--frce", "a.q02"},
        {"check"}, {"check", "a.q02", "b.q02"}, {"check", "--json", "a.q02"},
        {"show"},  {"show", "--json"},          {"show", "--xml", "a.q02"},
    };
    for (const auto& args : cases) {
        const CliRun run = runCli(args);
        EXPECT_EQ(run.exitCode, 2) << args.join(' ').toStdString();
        EXPECT_TRUE(run.err.contains("usage: qarlo-cli " + args[0].toUtf8()))
            << run.err.toStdString();
        EXPECT_TRUE(run.out.isEmpty());
    }
    EXPECT_FALSE(QFile::exists("a.q02"));
}

TEST_F(OfflineCommands, EveryCommandHasHelp) {
    for (const char* command : {"new", "check", "show"}) {
        const CliRun run = runCli({command, "--help"});
        EXPECT_EQ(run.exitCode, 0) << command;
        EXPECT_TRUE(run.out.startsWith(QByteArray("usage: qarlo-cli ") + command)) << command;
    }
}

TEST_F(OfflineCommands, CheckReportsTheFirstFailureAsOneLine) {
    struct Case {
        const char* what;
        void (*change)(CQarloDoc&);
        int exitCode;
        const char* line;
    };
    const Case cases[] = {
        {"new document", [](CQarloDoc& d) { d.OnNewDocument(); }, 1,
         "01频道: 频段值必须在100MHz－480MHz内\n"},
        {"valid", [](CQarloDoc&) {}, 0, ""},
        {"channel 8 out of band",
         [](CQarloDoc& d) {
             d.setRxFreq(7, 44000001);
             d.setTxFreq(7, 44000000);
         },
         1, "08频道: 接收频率值超出频段范围\n"},
        {"channel 16 difference", [](CQarloDoc& d) { d.setRxFreq(15, 43000000); }, 1,
         "16频道: 接收频率与发射频率的差值必须小于等于10MHz\n"},
        {"time-out", [](CQarloDoc& d) { d.setTotTenths(101); }, 1,
         "01频道: 发射限时必须大于等于0.1，小于等于10\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        CQarloDoc doc = validDocument();
        c.change(doc);
        const QString file = path("check.q02");
        writeDoc(file, doc);
        const CliRun run = runCli({"check", file});
        EXPECT_EQ(run.exitCode, c.exitCode);
        EXPECT_EQ(run.err.toStdString(), c.line);
        if (c.exitCode == 0) {
            EXPECT_EQ(run.out.trimmed(), "ok");
        }
    }
}

TEST_F(OfflineCommands, UnreadableFilesExitWith2) {
    const QString shortFile = path("ten.q02");
    writeAll(shortFile, std::vector<std::uint8_t>(10, 0));
    const QString empty = path("empty.q02");
    writeAll(empty, {});
    for (const QString& command : {QString("check"), QString("show")}) {
        for (const QString& file : {shortFile, empty, path("missing.q02"), dir.path()}) {
            for (const QStringList& args :
                 {QStringList{command, file}, QStringList{command, "--json", file}}) {
                if (command == "check" && args.size() == 3) continue;
                const CliRun run = runCli(args);
                EXPECT_EQ(run.exitCode, 2) << args.join(' ').toStdString();
                EXPECT_TRUE(run.err.contains(file.toUtf8())) << run.err.toStdString();
                EXPECT_TRUE(run.out.isEmpty());
            }
        }
    }
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
    const QJsonObject top = json.object();
    const QStringList topKeys = top.keys();
    EXPECT_EQ(QSet<QString>(topKeys.begin(), topKeys.end()),
              (QSet<QString>{"totTenths", "bandLow", "bandHigh", "programmed", "channels"}));
    EXPECT_EQ(top["totTenths"].toInt(), 35);
    EXPECT_EQ(top["bandLow"].toInt(), 10000000);
    EXPECT_EQ(top["bandHigh"].toInt(), 11000000);
    EXPECT_EQ(top["programmed"].toArray(), (QJsonArray{2, 5}));

    const QJsonArray channels = top["channels"].toArray();
    ASSERT_EQ(channels.size(), 16);
    const QSet<QString> channelKeys{"index",  "name",       "rxFreq",    "txFreq", "flags",
                                    "narrow", "squelch",    "rxCode",    "txCode", "rxType",
                                    "txType", "rxCodeName", "txCodeName"};
    for (int i = 0; i < 16; ++i) {
        const QJsonObject ch = channels[i].toObject();
        const QStringList keys = ch.keys();
        EXPECT_EQ(QSet<QString>(keys.begin(), keys.end()), channelKeys) << i;
        EXPECT_EQ(ch["index"].toInt(), i);
        EXPECT_EQ(ch["name"].toString(), QString("%1频道").arg(i + 1, 2, 10, QChar('0')));
    }

    const QJsonObject two = channels[2].toObject();
    EXPECT_EQ(two["rxFreq"].toInt(), 43012500);
    EXPECT_EQ(two["txFreq"].toInt(), 43012500);
    EXPECT_EQ(two["flags"].toInt(), 0xD8);
    EXPECT_TRUE(two["narrow"].toBool());
    EXPECT_EQ(two["squelch"].toInt(), 7);
    EXPECT_EQ(two["rxCode"].toInt(), 0);
    EXPECT_EQ(two["txCode"].toInt(), 0x87);
    EXPECT_EQ(two["rxType"].toString(), "QT");
    EXPECT_EQ(two["txType"].toString(), "DQT");
    EXPECT_EQ(two["rxCodeName"].toString(), "67");
    EXPECT_EQ(two["txCodeName"].toString(), "023I");

    const QJsonObject five = channels[5].toObject();
    EXPECT_FALSE(five["narrow"].toBool());
    EXPECT_EQ(five["rxType"].toString(), "DQT");
    EXPECT_EQ(five["rxCode"].toInt(), 0x9C);
    EXPECT_TRUE(five["rxCodeName"].isNull());
    EXPECT_EQ(five["txType"].toString(), "QT");
    EXPECT_TRUE(five["txCodeName"].isNull());

    const QJsonObject nine = channels[9].toObject();
    EXPECT_EQ(nine["rxType"].toString(), QString::fromUtf8("无"));
    EXPECT_EQ(nine["txType"].toString(), QString::fromUtf8("无"));
    EXPECT_TRUE(nine["rxCodeName"].isNull());
    EXPECT_TRUE(nine["txCodeName"].isNull());
    EXPECT_EQ(nine["rxCode"].toInt(), 5);

    EXPECT_EQ(channels[11].toObject()["rxFreq"].toInt(), -1);
    EXPECT_EQ(channels[12].toObject()["squelch"].toInt(), 200);
    EXPECT_EQ(channels[0].toObject()["squelch"].toInt(), 3);
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
