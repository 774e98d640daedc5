// An edit is never lost without a question: New, Open, a recent file, closing the window and a
// read from the radio each ask first, and each of the three answers does what it says.
#include "AppFixture.h"

#include "app/Resources.h"

#include <QAction>
#include <QSignalSpy>
#include <QTest>

namespace qarlo::test {
namespace {

using Answer = CMainFrame::SaveAnswer;

enum class Path { New, Open, Recent, Close, Exit, Read };

const char* Name(Path path) {
    switch (path) {
    case Path::New:
        return "New";
    case Path::Open:
        return "Open";
    case Path::Recent:
        return "Recent";
    case Path::Close:
        return "Close";
    case Path::Exit:
        return "Exit";
    case Path::Read:
        return "Read";
    }
    return "";
}

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

    // Opens work.q02 (channel 2 programmed) and types a receive frequency into channel 1.
    void StartWithAnEdit() {
        work = WriteDoc(QStringLiteral("work.q02"), ProgrammedDoc({2}));
        other = WriteDoc(QStringLiteral("other.q02"), ProgrammedDoc({9}));
        ASSERT_TRUE(Start({other}));
        ASSERT_TRUE(frame().OpenDocumentFile(work)); // other.q02 is now the second recent file
        QTest::keyClicks(view().rxFreqEdit, QStringLiteral("145"));
        ASSERT_TRUE(doc().IsModified());
        ASSERT_EQ(frame().displayedCaption(), QStringLiteral("work.q02* - Qarlo写频软件"));
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
    const Path paths[] = {Path::New, Path::Open, Path::Recent, Path::Close, Path::Exit, Path::Read};
    const Answer answers[] = {Answer::Save, Answer::Discard, Answer::Cancel};
    for (Path path : paths) {
        for (Answer a : answers) {
            SCOPED_TRACE(std::string(Name(path)) + " answer " +
                         std::to_string(static_cast<int>(a)));
            questions.clear();
            StartWithAnEdit();
            const QByteArray onDisk = ReadAll(work);
            const QByteArray edited = FileBytes(doc());
            answer = a;
            const bool wentAhead = Run(path);
            ASSERT_EQ(questions.size(), 1u);
            EXPECT_EQ(questions[0], QStringLiteral("work.q02"));
            EXPECT_EQ(wentAhead, a != Answer::Cancel);
            // Only Save touches the file, and then with the edit in it.
            EXPECT_EQ(ReadAll(work), a == Answer::Save ? edited : onDisk);
            if (a == Answer::Cancel) {
                EXPECT_TRUE(doc().IsModified());
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

TEST_F(SaveQuestionTest, SavingAnUntitledDocumentThatIsNotNamedStopsTheCommand) {
    ASSERT_TRUE(Start());
    QTest::keyClicks(view().rxFreqEdit, QStringLiteral("4"));
    answer = Answer::Save;
    nextSave.clear(); // the user cancels the Save As dialog
    frame().OnFileNew();
    EXPECT_EQ(questions, std::vector<QString>{QStringLiteral("无标题")});
    EXPECT_TRUE(doc().IsModified());
    EXPECT_EQ(doc().rxFreq(0), kHz(4000));

    nextSave = dir.filePath(QStringLiteral("no/folder/x.q02")); // and a save that fails
    EXPECT_FALSE(frame().close());
    EXPECT_EQ(messages.size(), 1u);
    EXPECT_TRUE(doc().IsModified());
}

} // namespace
} // namespace qarlo::test
