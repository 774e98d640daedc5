// Reading and writing the virtual radio from the window's menu: the form after a read, the
// failing channel after a refused write, and the backups kept on the way.
#include "AppFixture.h"

#include "app/BackupKeeper.h"
#include "app/Resources.h"
#include "radio/RadioImage.h"

#include <QAction>
#include <QProcess>
#include <QSignalSpy>
#include <QTest>

namespace qarlo::test {
namespace {

#ifdef QARLO_RADIO_SIM
class RadioFromWindowTest : public AppFixture {
protected:
    void TearDown() override {
        AppFixture::TearDown();
        sim.terminate();
        sim.waitForFinished(3000);
        qunsetenv("QARLO_COM1");
    }

    // Without "--no-pace" in `extra` the radio sends at 2400 baud, as scripts/run.sh starts it.
    void StartRadio(const QStringList& extra = {}) {
        const QString link = dir.filePath(QStringLiteral("COM1"));
        sim.start(QStringLiteral(QARLO_RADIO_SIM),
                  QStringList{QStringLiteral("--link"), link, QStringLiteral("--quiet")} + extra);
        ASSERT_TRUE(sim.waitForStarted(5000));
        for (int i = 0; i < 100 && !QFile::exists(link); ++i)
            QTest::qWait(20);
        ASSERT_TRUE(QFile::exists(link));
        qputenv("QARLO_COM1", QFile::encodeName(link));
    }

    bool Transfer(int command) {
        QSignalSpy finished(&frame().link(), &RadioLink::transferFinished);
        frame().action(command)->trigger();
        if (finished.isEmpty() && !finished.wait(15000)) return false;
        return finished.first().first().toBool();
    }

    // The one backup kept, which must be of `direction`; empty when there is not exactly one.
    QByteArray OnlyBackup(const char* direction) {
        const QString folder = dir.filePath(QStringLiteral("backups"));
        const QStringList kept = BackupKeeper(folder).Backups();
        EXPECT_EQ(kept.size(), 1);
        if (kept.size() != 1) return {};
        EXPECT_TRUE(kept[0].endsWith(QString::fromLatin1(direction) + QStringLiteral(".q02")));
        return ReadAll(folder + QLatin1Char('/') + kept[0]);
    }

    QProcess sim;
};

TEST_F(RadioFromWindowTest, AReadFillsTheFormMarksTheDocumentAndKeepsABackup) {
    StartRadio();
    ASSERT_TRUE(Start());
    view().channelList->SetCurSel(5);
    ASSERT_TRUE(Transfer(ID_RADIO_READ));
    EXPECT_EQ(messages, std::vector<QString>{QStringLiteral("数据已从对讲机中读出")});
    EXPECT_EQ(frame().displayedCaption(), QStringLiteral("无标题* - Qarlo写频软件"));
    EXPECT_GT(doc().programmedCount(), 0);
    EXPECT_EQ(ListedChannels().size(), static_cast<std::size_t>(doc().programmedCount()));
    EXPECT_EQ(view().currentChannel, 0);
    EXPECT_EQ(view().channelList->GetCurSel(), 0);
    EXPECT_EQ(OnlyBackup("_read"), FileBytes(doc()));
}

TEST_F(RadioFromWindowTest, ABackupThatFailsIsSaidOnTheStatusBarAndTheReadGoesOn) {
    StartRadio({QStringLiteral("--no-pace")});
    ASSERT_TRUE(Start());
    frame().setBackupFolder(Write(QStringLiteral("blocker"), "x") + QStringLiteral("/backups"));
    ASSERT_TRUE(Transfer(ID_RADIO_READ));
    EXPECT_EQ(messages, std::vector<QString>{QStringLiteral("数据已从对讲机中读出")});
    EXPECT_TRUE(frame().lastBackupProblem().startsWith(QStringLiteral("备份失败")));
    EXPECT_EQ(frame().messagePaneText(), frame().lastBackupProblem());
    EXPECT_GT(doc().programmedCount(), 0);
}

TEST_F(RadioFromWindowTest, ARefusedWriteSelectsTheFailingChannelInBothLists) {
    StartRadio({QStringLiteral("--no-pace")});
    CQarloDoc bad = ProgrammedDoc({0, 1, 4, 6});
    bad.setRxFreq(4, kHz(480000)); // outside the 410..450 MHz band
    const auto failure = CheckDocument(bad);
    ASSERT_TRUE(failure.has_value());
    ASSERT_EQ(failure->channel, 4);
    ASSERT_TRUE(Start({WriteDoc(QStringLiteral("bad.q02"), bad)}));
    EXPECT_FALSE(Transfer(ID_RADIO_WRITE));
    EXPECT_EQ(messages,
              std::vector<QString>{QString::fromUtf8(
                  failure->message.data(), static_cast<qsizetype>(failure->message.size()))});
    EXPECT_EQ(view().currentChannel, 4);
    EXPECT_EQ(view().channelList->GetCurSel(), 4);
    EXPECT_EQ(view().programmedList->GetCurSel(), 2); // "05频道" is the third listed
    EXPECT_EQ(view().rxFreqEdit->text(), QStringLiteral("480"));
    EXPECT_TRUE(BackupKeeper(dir.filePath(QStringLiteral("backups"))).Backups().isEmpty());
}

TEST_F(RadioFromWindowTest, AWriteKeepsWhatItSendsAndTheRadioHoldsIt) {
    const QString radioHolds = dir.filePath(QStringLiteral("radio.q02"));
    StartRadio({QStringLiteral("--no-pace"), QStringLiteral("--save"), radioHolds});
    const CQarloDoc good = ProgrammedDoc({0, 2, 3});
    ASSERT_TRUE(Start({WriteDoc(QStringLiteral("good.q02"), good)}));
    ASSERT_TRUE(Transfer(ID_RADIO_WRITE));
    EXPECT_EQ(messages, std::vector<QString>{QStringLiteral("数据已写入对讲机")});
    EXPECT_EQ(OnlyBackup("_write"), FileBytes(good));
    for (int i = 0; i < 100 && QFileInfo(radioHolds).size() < CHANNEL_FILE_SIZE; ++i)
        QTest::qWait(20);
    CQarloDoc radio;
    ASSERT_TRUE(LoadChannelFile(radio, QFile::encodeName(radioHolds).toStdString()).ok());
    for (int ch = 0; ch < CHANNEL_COUNT; ++ch) {
        EXPECT_EQ(radio.rxFreq(ch), good.rxFreq(ch)) << ch;
        EXPECT_EQ(radio.txFreq(ch), good.txFreq(ch)) << ch;
    }
}
#endif

} // namespace
} // namespace qarlo::test
