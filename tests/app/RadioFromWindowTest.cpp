// Transfers from the window's menu: what the form shows after a read or a refused write, the form
// held while a read runs, the modified mark, and the backups kept on the way.
#include "AppFixture.h"

#include "app/BackupKeeper.h"

#include <QSignalSpy>
#include <QTest>

#include "tests/support/FakeRadio.h"
#include "tests/support/SimLauncher.h"

#include <tuple>

namespace qarlo::test {
namespace {

class RadioFromWindowTest : public AppFixture {
protected:
    void TearDown() override {
        AppFixture::TearDown();
        sim.reset();
    }
    void StartRadio(const QStringList& args = {}) {
        sim.emplace(args);
        ASSERT_FALSE(sim->path.isEmpty());
        qputenv("QARLO_COM1", QFile::encodeName(sim->path));
    }

    bool Transfer(int command) {
        QSignalSpy finished(&frame().link(), &RadioLink::transferFinished);
        frame().link().setTimeScale(0.25); // the simulator answers at once; the waits need not be whole
        frame().action(command)->trigger();
        if (finished.isEmpty() && !finished.wait(15000)) return false;
        return finished.first().first().value<TransferOutcome>().succeeded();
    }

    QStringList Backups() {
        return BackupKeeper(dir.filePath(QStringLiteral("backups"))).Backups();
    }
    QByteArray Backup(const QString& name) { return ReadAll(dir.filePath("backups/" + name)); }

    std::optional<Sim> sim;
};

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
    ASSERT_TRUE(Transfer(ID_RADIO_WRITE)); // a write that went out leaves one too
    ASSERT_EQ(Backups().size(), 2);
    EXPECT_TRUE(Backups()[1].endsWith(QStringLiteral("_write.q02")));
}

// A backup that could not be kept is said in a box after the transfer's own, once.
TEST_F(RadioFromWindowTest, ALostBackupIsShownAfterTheTransfer) {
    StartRadio();
    ASSERT_TRUE(Start());
    ASSERT_TRUE(Transfer(ID_RADIO_READ));
    const QString blocked = Write(QStringLiteral("blocker"), "x") + QStringLiteral("/backups");
    frame().setBackupFolder(blocked);
    messages.clear();
    ASSERT_TRUE(Transfer(ID_RADIO_WRITE));
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_EQ(messages[1], QStringLiteral("备份失败：无法建立文件夹 %1").arg(blocked));
    frame().setBackupFolder(dir.filePath(QStringLiteral("backups")));
    messages.clear();
    ASSERT_TRUE(Transfer(ID_RADIO_WRITE));
    EXPECT_EQ(messages.size(), 1u);
}

// A refused write shows the check's message first, while the form still stands where it was;
// then the form and both lists follow the failing channel, and later edits go there.
TEST_F(RadioFromWindowTest, AFailedCheckBringsTheFailingChannelIntoTheForm) {
    const struct {
        int channel;
        std::int32_t rx, tx;
        int pos;           // in the programmed list; -1 when not listed
        const char* shown; // the failing channel's receive frequency
        int check;
    } cases[] = {
        {11, kHz(430000), kHz(430001), 11, "430", 9}, // a step of neither 5 nor 6.25 kHz
        {4, kHz(50000), kHz(50000), -1, "50", 6},     // unprogrammed, outside the band
    };
    int currentWhenShown = -1;
    recorder.onMessage = [&](const QString&) { currentWhenShown = view().currentChannel; };
    for (const auto& c : cases) {
        CQarloDoc bad = ProgrammedDoc({0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15});
        bad.setRxFreq(c.channel, c.rx);
        bad.setTxFreq(c.channel, c.tx);
        ASSERT_TRUE(Start({WriteDoc(QStringLiteral("bad.q02"), bad)}));
        ClickRow(view().programmedList, 2);
        messages.clear();
        EXPECT_FALSE(Transfer(ID_RADIO_WRITE));
        SCOPED_TRACE(c.channel);
        const std::string_view message = CheckMessage({c.check, c.channel});
        EXPECT_EQ(messages, std::vector<QString>{
                                QString::fromUtf8(message.data(), qsizetype(message.size()))});
        EXPECT_EQ(currentWhenShown, 2);
        EXPECT_EQ(view().currentChannel, c.channel);
        EXPECT_EQ(doc().selectedChannel, c.channel);
        EXPECT_EQ(view().channelList->GetCurSel(), c.channel);
        EXPECT_EQ(view().programmedPos, c.pos);
        EXPECT_EQ(view().programmedList->GetCurSel(), c.pos);
        EXPECT_EQ(view().rxFreqEdit->text(), c.shown);
        TypeInto(view().txFreqEdit, QStringLiteral("430"));
        EXPECT_EQ(doc().txFreq(c.channel), kHz(430000));
    }
}

// What is typed while a read runs could only be overwritten by the image: the form takes nothing
// until the read ends, however it ends, and the keyboard is then back in its edit. A write
// leaves the form editable.
TEST_F(RadioFromWindowTest, AReadHoldsTheFormUntilItEnds) {
    FakeRadio radio;
    ASSERT_TRUE(radio.ok());
    radio.image = QByteArray(256, '\0');
    const QString file = WriteDoc(QStringLiteral("held.q02"), ProgrammedDoc({0}));
    ASSERT_TRUE(Start({file}));
    frame().activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&frame()));
    frame().link().setTimeScale(0.2);
    answer = CMainFrame::SaveAnswer::Discard;
    QSignalSpy finished(&frame().link(), &RadioLink::transferFinished);
    const struct {
        int command;
        bool portThere, held;
    } cases[] = {
        {ID_RADIO_READ, true, true},   // read
        {ID_RADIO_READ, false, false}, // no port: over before it began
        {ID_RADIO_WRITE, true, false}, // write
    };
    for (const auto& c : cases) {
        doc().portName = c.portThere ? radio.path.toStdString() : "/dev/qarlo-no-such-port";
        ASSERT_TRUE(frame().OpenDocumentFile(file)); // a document the checks let through
        TypeInto(view().rxFreqEdit, QStringLiteral("431"));
        finished.clear();
        frame().action(c.command)->trigger();
        EXPECT_EQ(view().isEnabled(), !c.held) << c.command;
        QTest::keyClicks(view().rxFreqEdit, ".1");
        EXPECT_EQ(doc().rxFreq(0), c.held ? kHz(431000) : kHz(431100));
        ASSERT_TRUE(!finished.isEmpty() || finished.wait(5000));
        EXPECT_TRUE(view().isEnabled());
        EXPECT_EQ(QApplication::focusWidget(), view().rxFreqEdit);
    }
}

// A compare changes nothing in the window (document, mark, form, both lists), also for a document
// the write would refuse; one box lists what differs, a failure gives the read's message. The
// pane says "就绪" again afterwards, and the bar hides; a port that failed to open says why.
TEST_F(RadioFromWindowTest, ACompareListsTheDifferencesAndChangesNothing) {
    const CQarloDoc radio = ProgrammedDoc({0, 2, 3});
    CQarloDoc bad = radio;
    bad.setRxFreq(4, kHz(480000)); // outside the band: no write would take it
    StartRadio({"--image", WriteDoc(QStringLiteral("radio.q02"), radio)});
    ASSERT_TRUE(Start({WriteDoc(QStringLiteral("bad.q02"), bad)}));
    const auto state = [&] {
        return std::make_tuple(FileBytes(doc()), doc().IsModified(), frame().displayedCaption(),
                               view().currentChannel, view().rxFreqEdit->text(), ListedChannels(),
                               view().channelList->GetCurSel(), view().programmedList->GetCurSel());
    };
    const auto before = state();
    for (const QString& expected :
         {QStringLiteral("对讲机中的数据与当前文档不同\n05频道: 接收频率 480.000 → 0.000 MHz"),
          QStringLiteral("建立通信失败")}) {
        messages.clear();
        Transfer(ID_RADIO_COMPARE);
        EXPECT_EQ(messages, std::vector<QString>{expected});
        EXPECT_EQ(state(), before);
        EXPECT_EQ(frame().messagePaneText(), QStringLiteral("就绪"));
        EXPECT_TRUE(frame().findChild<QWidget*>(QStringLiteral("TransferProgress"))->isHidden());
        sim->stop(); // the radio goes away before the second
    }
    // The fixed message stays as it is; the reason comes beside it, in the window's words.
    EXPECT_EQ(recorder.reasons, std::vector<QString>{sim->path + QStringLiteral(": 设备不存在")});
}

} // namespace
} // namespace qarlo::test
