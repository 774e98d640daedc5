// Reading and writing the virtual radio from the window's menu: the form after a read, the
// failing channel after a refused write, and the backups kept on the way.
#include "AppFixture.h"

#include "app/BackupKeeper.h"

#include <QMenu>
#include <QProcess>
#include <QSignalSpy>
#include <QStatusBar>
#include <QTest>

#include <tuple>

namespace qarlo::test {
namespace {

#ifdef QARLO_RADIO_SIM
class RadioFromWindowTest : public AppFixture {
protected:
    void TearDown() override {
        AppFixture::TearDown();
        sim.terminate();
        sim.waitForFinished(3000);
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
        return finished.first().first().value<TransferOutcome>().succeeded();
    }

    QStringList Backups() {
        return BackupKeeper(dir.filePath(QStringLiteral("backups"))).Backups();
    }
    QByteArray Backup(const QString& name) { return ReadAll(dir.filePath("backups/" + name)); }

    QProcess sim;
};

// What the form shows after a read, or after a refused write, is the editor's (TransferTest);
// here: the menu reaches the link, the modified mark, and the backups.
TEST_F(RadioFromWindowTest, AReadMarksTheDocumentAndKeepsABackup) {
    StartRadio();
    ASSERT_TRUE(Start());
    ASSERT_TRUE(Transfer(ID_RADIO_READ));
    EXPECT_EQ(messages, std::vector<QString>{QStringLiteral("数据已从对讲机中读出")});
    EXPECT_EQ(frame().displayedCaption(), Caption(QStringLiteral("无标题*")));
    EXPECT_GT(doc().programmedCount(), 0);
    const QStringList kept = Backups();
    ASSERT_EQ(kept.size(), 1);
    EXPECT_TRUE(kept[0].endsWith(QStringLiteral("_read.q02")));
    EXPECT_EQ(Backup(kept[0]), FileBytes(doc()));

    // A backup that cannot be kept is said on the status bar, and the read goes on.
    frame().setBackupFolder(Write(QStringLiteral("blocker"), "x") + QStringLiteral("/backups"));
    messages.clear();
    answer = CMainFrame::SaveAnswer::Discard; // the first read is unsaved
    ASSERT_TRUE(Transfer(ID_RADIO_READ));
    EXPECT_EQ(messages, std::vector<QString>{QStringLiteral("数据已从对讲机中读出")});
    EXPECT_TRUE(frame().lastBackupProblem().startsWith(QStringLiteral("备份失败")));
    EXPECT_EQ(frame().messagePaneText(), frame().lastBackupProblem());
}

// The virtual radio's device listed in the port menu (pseudo-terminals are never enumerated, so
// the list is staged), chosen there, is what the next read uses; COM1 leads nowhere.
TEST_F(RadioFromWindowTest, ADeviceChosenFromThePortMenuIsReadNext) {
    StartRadio({QStringLiteral("--no-pace")});
    const QString device = QFileInfo(dir.filePath(QStringLiteral("COM1"))).symLinkTarget();
    qputenv("QARLO_COM1", QFile::encodeName(dir.filePath(QStringLiteral("no-such-port"))));
    ASSERT_TRUE(Start());
    frame().listPorts = [&] {
        return QList<PortInfo>{{device, "qarlo-radio-sim", {}, false, 0, 0, {}}};
    };
    emit frame().portMenu()->aboutToShow();
    QAction* listed = frame().portMenu()->actions().last();
    ASSERT_EQ(listed->text(), device + QStringLiteral("  qarlo-radio-sim"));
    listed->trigger();
    ASSERT_TRUE(Transfer(ID_RADIO_READ));
    EXPECT_EQ(messages, std::vector<QString>{QStringLiteral("数据已从对讲机中读出")});
}

TEST_F(RadioFromWindowTest, AWriteKeepsWhatItSendsAndARefusedOneKeepsNothing) {
    StartRadio({QStringLiteral("--no-pace")});
    CQarloDoc bad = ProgrammedDoc({0, 1, 4, 6});
    bad.setRxFreq(4, kHz(480000)); // outside the 410..450 MHz band
    ASSERT_TRUE(Start({WriteDoc(QStringLiteral("bad.q02"), bad)}));
    EXPECT_FALSE(Transfer(ID_RADIO_WRITE));
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(view().currentChannel, 4);
    EXPECT_TRUE(Backups().isEmpty()); // nothing went to the radio

    const CQarloDoc good = ProgrammedDoc({0, 2, 3});
    ASSERT_TRUE(Start({WriteDoc(QStringLiteral("good.q02"), good)}));
    messages.clear();
    ASSERT_TRUE(Transfer(ID_RADIO_WRITE));
    EXPECT_EQ(messages, std::vector<QString>{QStringLiteral("数据已写入对讲机")});
    const QStringList kept = Backups();
    ASSERT_EQ(kept.size(), 1);
    EXPECT_TRUE(kept[0].endsWith(QStringLiteral("_write.q02")));
    EXPECT_EQ(Backup(kept[0]), FileBytes(good));
}
// A compare changes nothing in the window (document, mark, form, both lists), also for a document
// the write would refuse; one box lists what differs, a failure gives the read's message. The
// pane counts the bytes as they come, then says "就绪" again, and the bar hides.
TEST_F(RadioFromWindowTest, ACompareListsTheDifferencesAndChangesNothing) {
    const CQarloDoc radio = ProgrammedDoc({0, 2, 3});
    CQarloDoc bad = radio;
    bad.setRxFreq(4, kHz(480000)); // outside the band: no write would take it
    StartRadio({"--no-pace", "--image", WriteDoc(QStringLiteral("radio.q02"), radio)});
    ASSERT_TRUE(Start({WriteDoc(QStringLiteral("bad.q02"), bad)}));
    const auto state = [&] {
        return std::make_tuple(FileBytes(doc()), doc().IsModified(), frame().displayedCaption(),
                               view().currentChannel, view().rxFreqEdit->text(), ListedChannels(),
                               view().channelList->GetCurSel(), view().programmedList->GetCurSel());
    };
    const auto before = state();
    QStringList pane;
    QObject::connect(frame().statusBar(), &QStatusBar::messageChanged,
                     [&](const QString& t) { pane << t; });
    for (const QString& expected :
         {QStringLiteral("对讲机中的数据与当前文档不同\n05频道: 接收频率 480.000 → 0.000 MHz"),
          QStringLiteral("建立通信失败")}) {
        messages.clear();
        Transfer(ID_RADIO_COMPARE);
        EXPECT_EQ(messages, std::vector<QString>{expected});
        EXPECT_EQ(state(), before);
        EXPECT_EQ(frame().messagePaneText(), QStringLiteral("就绪"));
        EXPECT_TRUE(frame().findChild<QWidget*>(QStringLiteral("TransferProgress"))->isHidden());
        sim.terminate(); // the radio goes away before the second
        sim.waitForFinished(3000);
    }
    EXPECT_TRUE(pane.contains(QStringLiteral("正在从对讲机读出… 256/256")));
}
#endif

} // namespace
} // namespace qarlo::test
