// An edit is never lost without a question: New, Open, a recent file, closing the window, Exit and
// a read from the radio each ask first, and each of the three answers does what it says.
#include "AppFixture.h"

#include "app/Resources.h"

#include <QAction>
#include <QSignalSpy>
#include <QTest>

namespace qarlo::test {
namespace {

using Answer = CMainFrame::SaveAnswer;

enum class Path { New, Open, Recent, Close, Exit, Read };

class SaveQuestionTest : public AppFixture {
protected:
    void SetUp() override {
        AppFixture::SetUp();
        // A port that does not exist: a read that starts fails at once with its message.
        qputenv("QARLO_COM1", QFile::encodeName(dir.filePath(QStringLiteral("no-such-port"))));
    }
    void TearDown() override {
        qunsetenv("QARLO_COM1");
        AppFixture::TearDown();
    }

    // Runs the command; returns whether it went ahead.
    bool Run(Path path) {
        QSignalSpy finished(&frame().link(), &RadioLink::transferFinished);
        switch (path) {
        case Path::New:
            frame().action(ID_FILE_NEW)->trigger();
            return frame().documents().pathName().isEmpty();
        case Path::Open:
            nextOpen = other;
            frame().action(ID_FILE_OPEN)->trigger();
            break;
        case Path::Recent:
            frame().OnOpenRecentFile(1);
            break;
        case Path::Close:
            return frame().close();
        case Path::Exit:
            frame().action(ID_APP_EXIT)->trigger();
            return !frame().isVisible();
        case Path::Read:
            frame().action(ID_RADIO_READ)->trigger();
            return finished.count() == 1;
        }
        return frame().documents().title() == QStringLiteral("other.q02");
    }

    QString work;
    QString other;
};

TEST_F(SaveQuestionTest, EachPathAsksAndEachAnswerDoesWhatItSays) {
    const std::pair<Path, const char*> paths[] = {{Path::New, "New"},       {Path::Open, "Open"},
                                                  {Path::Recent, "Recent"}, {Path::Close, "Close"},
                                                  {Path::Exit, "Exit"},     {Path::Read, "Read"}};
    const std::pair<Answer, const char*> answers[] = {
        {Answer::Save, "Save"}, {Answer::Discard, "Discard"}, {Answer::Cancel, "Cancel"}};
    work = WriteDoc(QStringLiteral("work.q02"), ProgrammedDoc({2}));
    other = WriteDoc(QStringLiteral("other.q02"), ProgrammedDoc({9}));
    const QByteArray onDisk = ReadAll(work);
    for (const auto& [path, pathName] : paths) {
        for (const auto& [a, answerName] : answers) {
            SCOPED_TRACE(std::string(pathName) + " " + answerName);
            // work.q02 open with other.q02 second in the recent files, channel 1 edited.
            Write(QStringLiteral("work.q02"), onDisk);
            ASSERT_TRUE(Start({other}));
            ASSERT_TRUE(frame().OpenDocumentFile(work));
            QTest::keyClicks(view().rxFreqEdit, QStringLiteral("145"));
            ASSERT_EQ(frame().displayedCaption(), QStringLiteral("work.q02* - Qarlo写频软件"));
            const QByteArray edited = FileBytes(doc());
            questions.clear();
            answer = a;

            EXPECT_EQ(Run(path), a != Answer::Cancel);
            EXPECT_EQ(questions, std::vector<QString>{QStringLiteral("work.q02")});
            // Only Save touches the file, and then with the edit in it.
            EXPECT_EQ(ReadAll(work), a == Answer::Save ? edited : onDisk);
            if (a == Answer::Cancel) {
                EXPECT_EQ(FileBytes(doc()), edited);
                EXPECT_EQ(frame().displayedCaption(), QStringLiteral("work.q02* - Qarlo写频软件"));
            }
        }
    }
}

TEST_F(SaveQuestionTest, NothingIsAskedWithoutAnEdit) {
    ASSERT_TRUE(Start());
    frame().OnFileNew();
    EXPECT_TRUE(frame().close());
    EXPECT_TRUE(questions.empty());
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
    EXPECT_TRUE(messages[0].startsWith(QStringLiteral("无法保存文件")))
        << messages[0].toStdString();
    EXPECT_EQ(frame().displayedCaption(), QStringLiteral("无标题* - Qarlo写频软件"));
    EXPECT_TRUE(frame().recentFiles().files().isEmpty());
}

} // namespace
} // namespace qarlo::test
