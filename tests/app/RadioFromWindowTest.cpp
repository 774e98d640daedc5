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
    void SetUp() override {
        AppFixture::SetUp();
        backups = dir.filePath(QStringLiteral("backups"));
    }
    void TearDown() override {
        AppFixture::TearDown();
        if (sim.state() != QProcess::NotRunning) {
            sim.terminate();
            sim.waitForFinished(3000);
        }
        qunsetenv("QARLO_COM1");
    }

    // `extra` may hold "--no-pace"; without it the radio sends at 2400 baud, as scripts/run.sh
    // starts it.
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

    QStringList Backups() { return BackupKeeper(backups).Backups(); }

    QProcess sim;
    QString backups;
};

TEST_F(RadioFromWindowTest, AReadFillsTheFormMarksTheDocumentAndKeepsABackup) {
    StartRadio();
    ASSERT_TRUE(Start());
    view().channelList->SetCurSel(5);
    ASSERT_TRUE(Transfer(ID_RADIO_READ));
    EXPECT_EQ(messages, std::vector<QString>{QStringLiteral("数据已从对讲机中读出")});
    EXPECT_TRUE(doc().IsModified());
    EXPECT_EQ(frame().displayedCaption(), QStringLiteral("无标题* - Qarlo写频软件"));
    EXPECT_EQ(ListedChannels().size(), static_cast<std::size_t>(doc().programmedCount()));
    EXPECT_GT(doc().programmedCount(), 0);
    EXPECT_EQ(view().currentChannel, 0);
    EXPECT_EQ(view().channelList->GetCurSel(), 0);
    const QStringList kept = Backups();
    ASSERT_EQ(kept.size(), 1);
    EXPECT_TRUE(kept[0].endsWith(QStringLiteral("_read.q02")));
    EXPECT_EQ(ReadAll(backups + QLatin1Char('/') + kept[0]), FileBytes(doc()));
}

TEST_F(RadioFromWindowTest, ABackupThatFailsIsSaidOnTheStatusBarAndTheReadGoesOn) {
    StartRadio({QStringLiteral("--no-pace")});
    ASSERT_TRUE(Start());
    const QString blocker = Write(QStringLiteral("blocker"), "x");
    frame().setBackupFolder(blocker + QStringLiteral("/backups"));
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
    bad.setTxFreq(4, kHz(475000));
    const auto failure = CheckDocument(bad);
    ASSERT_TRUE(failure.has_value());
    ASSERT_EQ(failure->channel, 4);
    ASSERT_TRUE(Start({WriteDoc(QStringLiteral("bad.q02"), bad)}));
    EXPECT_FALSE(Transfer(ID_RADIO_WRITE));
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0], QString::fromUtf8(failure->message.data(),
                                             static_cast<qsizetype>(failure->message.size())));
    EXPECT_EQ(view().currentChannel, 4);
    EXPECT_EQ(view().channelList->GetCurSel(), 4);
    EXPECT_EQ(view().programmedList->GetCurSel(), 2); // "05频道" is the third listed
    EXPECT_EQ(view().rxFreqEdit->text(), QStringLiteral("480"));
    EXPECT_TRUE(Backups().isEmpty()); // nothing went to the radio
}

TEST_F(RadioFromWindowTest, AWriteKeepsWhatItSendsAndTheRadioHoldsIt) {
    const QString radioHolds = dir.filePath(QStringLiteral("radio.q02"));
    StartRadio({QStringLiteral("--no-pace"), QStringLiteral("--save"), radioHolds});
    const CQarloDoc good = ProgrammedDoc({0, 2, 3});
    ASSERT_TRUE(Start({WriteDoc(QStringLiteral("good.q02"), good)}));
    ASSERT_TRUE(Transfer(ID_RADIO_WRITE));
    EXPECT_EQ(messages, std::vector<QString>{QStringLiteral("数据已写入对讲机")});
    const QStringList kept = Backups();
    ASSERT_EQ(kept.size(), 1);
    EXPECT_TRUE(kept[0].endsWith(QStringLiteral("_write.q02")));
    EXPECT_EQ(ReadAll(backups + QLatin1Char('/') + kept[0]), FileBytes(good));
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
