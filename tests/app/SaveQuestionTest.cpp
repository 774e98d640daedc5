// An edit is never lost without a question: New, Open, a recent file, closing the window, Exit and
// a read from the radio each ask first, and each of the three answers does what it says.
#include "AppFixture.h"

#include <QSignalSpy>
#include <QTest>

#include <functional>

namespace qarlo::test {
namespace {

using Answer = CMainFrame::SaveAnswer;
using SaveQuestionTest = AppFixture;

TEST_F(SaveQuestionTest, EachPathAsksAndEachAnswerDoesWhatItSays) {
    const QString work = WriteDoc(QStringLiteral("work.q02"), ProgrammedDoc({2}));
    const QString other = WriteDoc(QStringLiteral("other.q02"), ProgrammedDoc({9}));
    // A port that does not exist: a read that starts ends at once with its message.
    qputenv("QARLO_COM1", QFile::encodeName(dir.filePath(QStringLiteral("no-such-port"))));
    auto opened = [&] { return frame().documents().title() == QStringLiteral("other.q02"); };
    // Each path runs its command and says whether the command went ahead.
    const std::pair<const char*, std::function<bool()>> paths[] = {
        {"New",
         [&] {
             frame().action(ID_FILE_NEW)->trigger();
             return frame().documents().pathName().isEmpty();
         }},
        {"Open",
         [&] {
             nextOpen = other;
             frame().action(ID_FILE_OPEN)->trigger();
             return opened();
         }},
        {"Recent",
         [&] {
             frame().OnOpenRecentFile(1);
             return opened();
         }},
        {"Close", [&] { return frame().close(); }},
        {"Exit",
         [&] {
             frame().action(ID_APP_EXIT)->trigger();
             return !frame().isVisible();
         }},
        {"Read",
         [&] {
             QSignalSpy finished(&frame().link(), &RadioLink::transferFinished);
             frame().action(ID_RADIO_READ)->trigger();
             return finished.count() == 1;
         }},
    };
    const QByteArray onDisk = ReadAll(work);
    for (const auto& [path, run] : paths) {
        for (const Answer a : {Answer::Save, Answer::Discard, Answer::Cancel}) {
            SCOPED_TRACE(std::string(path) + " answer " + std::to_string(static_cast<int>(a)));
            // work.q02 open with other.q02 second in the recent files, channel 1 edited.
            Write(QStringLiteral("work.q02"), onDisk);
            ASSERT_TRUE(Start({other}));
            ASSERT_TRUE(frame().OpenDocumentFile(work));
            QTest::keyClicks(view().rxFreqEdit, QStringLiteral("145"));
            const QByteArray edited = FileBytes(doc());
            questions.clear();
            answer = a;

            EXPECT_EQ(run(), a != Answer::Cancel);
            EXPECT_EQ(questions, std::vector<QString>{QStringLiteral("work.q02")});
            // Only Save touches the file, and then with the edit in it.
            EXPECT_EQ(ReadAll(work), a == Answer::Save ? edited : onDisk);
            if (a == Answer::Cancel) {
                EXPECT_EQ(FileBytes(doc()), edited);
                EXPECT_EQ(frame().displayedCaption(), Caption(QStringLiteral("work.q02*")));
            }
        }
    }
}

TEST_F(SaveQuestionTest, ASaveThatIsNotNamedOrFailsStopsTheCommand) {
    ASSERT_TRUE(Start());
    QTest::keyClicks(view().rxFreqEdit, QStringLiteral("4"));
    answer = Answer::Save;
    nextSave.clear(); // the user cancels the Save As dialog
    frame().OnFileNew();
    EXPECT_EQ(questions, std::vector<QString>{QStringLiteral("无标题")});
    EXPECT_EQ(doc().rxFreq(0), kHz(4000));

    nextSave = dir.filePath(QStringLiteral("no/folder/x.q02")); // and a save that fails
    EXPECT_FALSE(frame().close());
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_TRUE(messages[0].startsWith(QStringLiteral("无法保存文件")));
    EXPECT_EQ(frame().displayedCaption(), Caption(QStringLiteral("无标题*")));
    EXPECT_TRUE(frame().recentFiles().files().isEmpty());
}

} // namespace
} // namespace qarlo::test
