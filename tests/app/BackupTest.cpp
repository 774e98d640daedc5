// Backups of what goes to and comes from the radio: names, contents, the newest 100 kept, two in
// one second, and a folder that cannot be written.
#include "AppFixture.h"

#include "app/BackupKeeper.h"

namespace qarlo::test {
namespace {

const QDateTime Evening(QDate(2026, 12, 6), QTime(21, 30, 0));

TEST(BackupKeeper, NamesByDateTimeAndDirection) {
    EXPECT_EQ(BackupKeeper::FileNameFor(Evening, BackupKeeper::Direction::Read),
              QStringLiteral("2026-12-06_213000_read.q02"));
    EXPECT_EQ(BackupKeeper::FileNameFor(Evening.addSecs(3599), BackupKeeper::Direction::Write),
              QStringLiteral("2026-12-06_222959_write.q02"));
    EXPECT_TRUE(BackupKeeper::DefaultFolder().endsWith(QStringLiteral("/backups")));
}

TEST(BackupKeeper, KeepsAChannelFileOfTheDocument) {
    QTemporaryDir dir;
    BackupKeeper keeper(dir.filePath(QStringLiteral("a/b/backups")));
    const CQarloDoc doc = ProgrammedDoc({0, 15});
    EXPECT_EQ(keeper.Keep(doc, BackupKeeper::Direction::Read, Evening), QString());
    const QString file = keeper.folder() + QStringLiteral("/2026-12-06_213000_read.q02");
    EXPECT_EQ(ReadAll(file), FileBytes(doc));
    // The copy opens as the document it was made from.
    CQarloDoc back;
    ASSERT_TRUE(LoadChannelFile(back, QFile::encodeName(file).toStdString()).ok());
    EXPECT_EQ(back.ChannelMemory, doc.ChannelMemory);
}

TEST(BackupKeeper, TwoInOneSecondAreBothKeptInOrder) {
    QTemporaryDir dir;
    BackupKeeper keeper(dir.path());
    const CQarloDoc first = ProgrammedDoc({1});
    const CQarloDoc second = ProgrammedDoc({2});
    EXPECT_EQ(keeper.Keep(first, BackupKeeper::Direction::Write, Evening), QString());
    EXPECT_EQ(keeper.Keep(second, BackupKeeper::Direction::Write, Evening), QString());
    const QStringList names = keeper.Backups();
    ASSERT_EQ(names.size(), 2);
    EXPECT_EQ(ReadAll(dir.filePath(names[0])), FileBytes(first));
    EXPECT_EQ(ReadAll(dir.filePath(names[1])), FileBytes(second));
}

TEST(BackupKeeper, KeepsOnlyTheNewestAndLeavesOtherFilesAlone) {
    struct Case {
        int existing;
        int limit;
    };
    for (const Case c : {Case{0, 100}, Case{99, 100}, Case{100, 100}, Case{130, 100}, Case{5, 3}}) {
        SCOPED_TRACE(c.existing);
        QTemporaryDir dir;
        for (int i = 0; i < c.existing; ++i) {
            const auto direction =
                i % 2 ? BackupKeeper::Direction::Read : BackupKeeper::Direction::Write;
            QFile old(dir.filePath(
                BackupKeeper::FileNameFor(Evening.addDays(-400).addSecs(i * 37), direction)));
            ASSERT_TRUE(old.open(QIODevice::WriteOnly));
        }
        QFile notes(dir.filePath(QStringLiteral("notes.q02")));
        ASSERT_TRUE(notes.open(QIODevice::WriteOnly));
        BackupKeeper keeper(dir.path(), c.limit);
        ASSERT_EQ(keeper.Keep(ProgrammedDoc({3}), BackupKeeper::Direction::Read, Evening),
                  QString());
        const QStringList names = keeper.Backups();
        EXPECT_EQ(names.size(), std::min(c.existing + 1, c.limit));
        EXPECT_EQ(names.last(), QStringLiteral("2026-12-06_213000_read.q02"));
        if (c.existing + 1 > c.limit) {
            // The survivors are the newest ones: the oldest that remains is the right one.
            const int firstKept = c.existing + 1 - c.limit;
            const auto direction =
                firstKept % 2 ? BackupKeeper::Direction::Read : BackupKeeper::Direction::Write;
            EXPECT_EQ(names.first(), BackupKeeper::FileNameFor(
                                         Evening.addDays(-400).addSecs(firstKept * 37), direction));
        }
        EXPECT_TRUE(QFile::exists(dir.filePath(QStringLiteral("notes.q02"))));
    }
}

TEST(BackupKeeper, AFolderThatCannotBeMadeIsReportedNotThrown) {
    QTemporaryDir dir;
    QFile blocker(dir.filePath(QStringLiteral("file")));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    BackupKeeper keeper(dir.filePath(QStringLiteral("file/backups")));
    const QString problem = keeper.Keep(ProgrammedDoc({1}), BackupKeeper::Direction::Read, Evening);
    EXPECT_TRUE(problem.startsWith(QStringLiteral("备份失败"))) << problem.toStdString();
    EXPECT_TRUE(keeper.Backups().isEmpty());
}

} // namespace
} // namespace qarlo::test
