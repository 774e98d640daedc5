// The Edit menu driven as a user would: every kind of change undone and redone to the byte, the
// modified mark following the history, the history keys inside an edit, and whole channels on
// the clipboard.
#include "AppFixture.h"

#include "app/ChannelClipboard.h"
#include "memory/CodeTables.h"
#include "memory/Csv.h"
#include "tests/support/SimLauncher.h"

#include <QApplication>
#include <QClipboard>
#include <QMimeData>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

#include <functional>

namespace qarlo::test {
namespace {

class EditHistoryTest : public AppFixture {
protected:
    void TearDown() override {
        AppFixture::TearDown();
        sim.reset();
    }
    void Trigger(int id) { frame().action(id)->trigger(); }
    void Focus(QWidget* w) {
        w->setFocus();
        QApplication::processEvents();
    }
    QMimeData* Clipboard(const QByteArray& records, const QString& text) {
        auto* data = new QMimeData;
        if (!records.isEmpty()) data->setData(QString::fromLatin1(CHANNEL_RECORDS_MIME), records);
        if (!text.isEmpty()) data->setText(text);
        QGuiApplication::clipboard()->setMimeData(data);
        return data;
    }
    std::optional<Sim> sim;
};

TEST_F(EditHistoryTest, EveryKindOfChangeUndoesAndRedoesToTheByte) {
    sim.emplace(QStringList{});
    ASSERT_FALSE(sim->path.isEmpty());
    qputenv("QARLO_COM1", QFile::encodeName(sim->path));
    ASSERT_TRUE(Start({WriteDoc(QStringLiteral("start.q02"), ProgrammedDoc({1, 3}))}));
    answer = CMainFrame::SaveAnswer::Discard;
    nextOpen = Write(QStringLiteral("in.csv"), "Location,Frequency,Mode\r\n9,433.5,NFM\r\n");
    CQarloView& v = view();
    const std::pair<const char*, std::function<void()>> changes[] = {
        {"typed", [&] { ClickRow(v.channelList, 1), TypeInto(v.rxFreqEdit, "431.0125"); }},
        {"other field", [&] { TypeInto(v.txFreqEdit, "431.5"); }},
        {"band edge", [&] { TypeInto(v.bandHighEdit, "460"); }},
        {"code type", [&] { ClickRow(v.txCodeTypeList, CODE_TYPE_QT); }},
        {"code", [&] { ClickRow(v.txCodeTableList, 5); }},
        {"bandwidth", [&] { ClickRow(v.bandwidthList, 0); }},
        {"squelch", [&] { QTest::keyClick(v.squelchSpin, Qt::Key_Up); }},
        {"copy button", [&] { QTest::mouseClick(v.copyTxToRxButton, Qt::LeftButton); }},
        {"paste", [&] {
             Focus(v.channelList), Trigger(ID_EDIT_COPY);
             ClickRow(v.channelList, 6), Trigger(ID_EDIT_PASTE);
         }},
        {"delete", [&] { ClickRow(v.channelList, 3), QTest::keyClick(v.channelList, Qt::Key_Delete); }},
        {"cut", [&] { ClickRow(v.channelList, 6), Trigger(ID_EDIT_CUT); }},
        {"import", [&] { frame().OnImportCsv(); }},
        {"read", [&] {
             QSignalSpy done(&frame().link(), &RadioLink::transferFinished);
             Trigger(ID_RADIO_READ);
             ASSERT_TRUE(!done.isEmpty() || done.wait(15000));
         }},
    };
    std::vector<DocumentState> states{doc().state()};
    for (const auto& [name, change] : changes) {
        change();
        SCOPED_TRACE(name);
        ASSERT_NE(doc().state(), states.back());
        states.push_back(doc().state());
        // One step each: all the keystrokes of one field make one.
        EXPECT_EQ(frame().history().count(), static_cast<int>(states.size()) - 1);
        EXPECT_TRUE(messages.empty() || QString(name) == "read");
    }
    for (std::size_t i = states.size() - 1; i > 0; --i) {
        QTest::keyClick(&frame(), Qt::Key_Z, Qt::ControlModifier);
        ASSERT_EQ(doc().state().memory, states[i - 1].memory) << changes[i - 1].first;
    }
    EXPECT_FALSE(frame().action(ID_EDIT_UNDO)->isEnabled());
    EXPECT_EQ(frame().displayedCaption(), Caption(QStringLiteral("start.q02")));
    EXPECT_EQ(ListedChannels(), (std::vector<int>{1, 3}));
    for (std::size_t i = 1; i < states.size(); ++i) {
        QTest::keyClick(&frame(), Qt::Key_Y, Qt::ControlModifier);
        ASSERT_EQ(doc().state(), states[i]) << changes[i - 1].first;
    }
    EXPECT_EQ(frame().displayedCaption(), Caption(QStringLiteral("start.q02*")));
}

// The mark follows the history across a save; undo shows its channel as it was; New starts over.
TEST_F(EditHistoryTest, TheModifiedMarkAndTheFormFollowUndoAndRedo) {
    ASSERT_TRUE(Start());
    ClickRow(view().channelList, 4);
    TypeInto(view().rxFreqEdit, "435");
    nextSave = dir.filePath(QStringLiteral("saved.q02"));
    ASSERT_TRUE(frame().OnFileSave());
    TypeInto(view().txFreqEdit, "436");
    ClickRow(view().channelList, 9);
    Trigger(ID_EDIT_UNDO);
    EXPECT_EQ(frame().displayedCaption(), Caption(QStringLiteral("saved.q02")));
    EXPECT_EQ(view().currentChannel, 4);
    EXPECT_EQ(view().channelList->GetCurSel(), 4);
    EXPECT_EQ(view().txFreqEdit->text(), QStringLiteral("0"));
    Trigger(ID_EDIT_UNDO);
    EXPECT_EQ(frame().displayedCaption(), Caption(QStringLiteral("saved.q02*")));
    EXPECT_EQ(view().rxFreqEdit->text(), QStringLiteral("0"));
    EXPECT_TRUE(view().programmedList->count() == 0 && doc().rxFreq(4) == 0);
    Trigger(ID_EDIT_REDO);
    Trigger(ID_EDIT_REDO);
    EXPECT_EQ(view().txFreqEdit->text(), QStringLiteral("436"));
    EXPECT_EQ(ListedChannels(), std::vector<int>{4});
    EXPECT_FALSE(frame().action(ID_EDIT_REDO)->isEnabled());
    answer = CMainFrame::SaveAnswer::Discard;
    frame().OnFileNew();
    EXPECT_FALSE(frame().action(ID_EDIT_UNDO)->isEnabled());
    EXPECT_EQ(frame().history().count(), 0);
}

// Inside an edit Ctrl+Z and Alt+Backspace undo the document, Ctrl+Shift+Z redoes it, and the
// clipboard keys act on the text.
TEST_F(EditHistoryTest, HistoryKeysInAnEditReachTheDocument) {
    ASSERT_TRUE(Start());
    TypeInto(view().rxFreqEdit, "431");
    TypeInto(view().txFreqEdit, "432");
    QTest::keyClick(view().txFreqEdit, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(doc().txFreq(0), 0);
    QTest::keyClick(view().txFreqEdit, Qt::Key_Backspace, Qt::AltModifier);
    EXPECT_EQ(doc().rxFreq(0), 0);
    QTest::keyClick(view().rxFreqEdit, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(doc().rxFreq(0), kHz(431000));
    view().rxFreqEdit->selectAll();
    QTest::keyClick(view().rxFreqEdit, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("431"));
    QTest::keyClick(view().txFreqEdit, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(doc().txFreq(0), kHz(431000));
    // No channel place has the keyboard: the channel commands are greyed.
    Focus(view().bandwidthList);
    EXPECT_FALSE(frame().action(ID_EDIT_COPY)->isEnabled());
    EXPECT_FALSE(frame().action(ID_EDIT_CLEAR)->isEnabled());
    Focus(view().channelList);
    EXPECT_TRUE(frame().action(ID_EDIT_COPY)->isEnabled());
}

// Copy puts the record's bytes and the export's CSV rows on the clipboard; paste takes ours byte
// for byte, CSV or a spreadsheet's tab-separated rows through the import, and refuses bad rows.
TEST_F(EditHistoryTest, ChannelsTravelOnTheClipboardAsBytesAndAsCsv) {
    CQarloDoc start = ProgrammedDoc({2});
    start.record(2)[15] = 0xA5; // a byte no field shows
    ASSERT_TRUE(Start({WriteDoc(QStringLiteral("c.q02"), start)}));
    ClickRow(view().channelList, 2);
    Focus(view().channelList);
    Trigger(ID_EDIT_COPY);
    const QMimeData* held = QGuiApplication::clipboard()->mimeData();
    EXPECT_EQ(held->data(QString::fromLatin1(CHANNEL_RECORDS_MIME)),
              QByteArray(reinterpret_cast<const char*>(start.record(2)), RECORD_SIZE));
    std::vector<CsvError> errors;
    const auto records = ReadCsvRecords(held->text().toStdString(), errors);
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[0].fields.at(0), "Location");
    EXPECT_EQ(records[1].fields.at(0), "3");
    EXPECT_EQ(records[1].fields.at(2), "432.000000");

    const struct {
        const char* name;
        QByteArray records;
        const char* text;
        int at;
        std::vector<std::int32_t> rx; // channels at, at + 1 afterwards
        const char* message;          // part of it, "" for none
    } cases[] = {
        {"ours, byte-exact", QByteArray(reinterpret_cast<const char*>(start.record(2)), 16) +
                                 QByteArray(16, '\0'), "", 14, {kHz(432000), 0}, ""},
        {"past the last channel", QByteArray(48, '\x01'), "", 15, {0x01010101}, "前 1 个"},
        {"csv", {}, "Location,Frequency\n7,440.5\n8,441\n", 0, {kHz(440500), kHz(441000)}, ""},
        {"spreadsheet rows", {}, "1\t\t445.25\n", 5, {kHz(445250), 0}, ""},
        {"bad row", {}, "1,,x\n", 5, {0, 0}, "第 1 行，列 Frequency"},
        {"no channel", {}, "Location,Frequency\n", 5, {0, 0}, "没有频道"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Clipboard(c.records, QString::fromUtf8(c.text));
        const DocumentState before = doc().state();
        messages.clear();
        ClickRow(view().channelList, c.at);
        Focus(view().channelList);
        QTest::keyClick(view().channelList, Qt::Key_V, Qt::ControlModifier);
        for (std::size_t i = 0; i < c.rx.size(); ++i)
            EXPECT_EQ(doc().rxFreq(c.at + static_cast<int>(i)), c.rx[i]) << i;
        EXPECT_EQ(messages.empty(), *c.message == '\0');
        if (!messages.empty()) {
            EXPECT_TRUE(messages[0].contains(QString::fromUtf8(c.message)));
        }
        if (c.at == 14) {
            EXPECT_EQ(doc().record(14)[15], 0xA5);
        }
        if (doc().state() != before) {
            Trigger(ID_EDIT_UNDO);
            EXPECT_EQ(doc().state(), before);
        }
    }
}

} // namespace
} // namespace qarlo::test
