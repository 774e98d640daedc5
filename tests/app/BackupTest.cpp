// Backups of what goes to and comes from the radio: names, contents, the newest kept, two in one
// second, and a folder that cannot be made.
#include "AppFixture.h"

#include "app/BackupKeeper.h"

namespace qarlo::test {
namespace {

using Direction = BackupKeeper::Direction;
const QDateTime Evening(QDate(2026, 12, 6), QTime(21, 30, 0));

TEST(BackupKeeper, KeepsAChannelFileNamedByTimeAndDirection) {
    QTemporaryDir dir;
    BackupKeeper keeper(dir.filePath(QStringLiteral("a/b/backups")));
    const CQarloDoc doc = ProgrammedDoc({0, 15});
    EXPECT_EQ(keeper.Keep(doc, Direction::Read, Evening), QString());
    EXPECT_EQ(keeper.Keep(doc, Direction::Write, Evening.addSecs(3599)), QString());
    EXPECT_EQ(keeper.Backups(), (QStringList{QStringLiteral("2026-12-06_213000_read.q02"),
                                             QStringLiteral("2026-12-06_222959_write.q02")}));
    EXPECT_EQ(ReadAll(keeper.folder() + QStringLiteral("/2026-12-06_213000_read.q02")),
              FileBytes(doc));
    EXPECT_TRUE(BackupKeeper::DefaultFolder().endsWith(QStringLiteral("/backups")));
}

TEST(BackupKeeper, TwoInOneSecondAreBothKeptInOrder) {
    QTemporaryDir dir;
    BackupKeeper keeper(dir.path());
    const CQarloDoc first = ProgrammedDoc({1});
    const CQarloDoc second = ProgrammedDoc({2});
    EXPECT_EQ(keeper.Keep(first, Direction::Write, Evening), QString());
    EXPECT_EQ(keeper.Keep(second, Direction::Write, Evening), QString());
    const QStringList names = keeper.Backups();
    ASSERT_EQ(names.size(), 2);
    EXPECT_EQ(ReadAll(dir.filePath(names[0])), FileBytes(first));
    EXPECT_EQ(ReadAll(dir.filePath(names[1])), FileBytes(second));
}

TEST(BackupKeeper, KeepsOnlyTheNewestAndLeavesOtherFilesAlone) {
    const std::pair<int, int> cases[] = {{0, 100}, {99, 100}, {100, 100}, {130, 100}, {5, 3}};
    // Older backups, alternately written and read, 37 s apart.
    auto oldName = [](int i) {
        return BackupKeeper::FileNameFor(Evening.addDays(-400).addSecs(i * 37),
                                         i % 2 ? Direction::Read : Direction::Write);
    };
    for (const auto& [existing, limit] : cases) {
        SCOPED_TRACE(existing);
        QTemporaryDir dir;
        QStringList names{QStringLiteral("notes.q02")};
        for (int i = 0; i < existing; ++i)
            names.append(oldName(i));
        for (const QString& name : names)
            ASSERT_TRUE(QFile(dir.filePath(name)).open(QIODevice::WriteOnly));
        BackupKeeper keeper(dir.path(), limit);
        ASSERT_EQ(keeper.Keep(ProgrammedDoc({3}), Direction::Read, Evening), QString());
        names = keeper.Backups();
        ASSERT_EQ(names.size(), std::min(existing + 1, limit));
        EXPECT_EQ(names.last(), QStringLiteral("2026-12-06_213000_read.q02"));
        if (existing + 1 > limit) {
            EXPECT_EQ(names.first(), oldName(existing + 1 - limit));
        }
        EXPECT_TRUE(QFile::exists(dir.filePath(QStringLiteral("notes.q02"))));
    }
}

TEST(BackupKeeper, AFolderThatCannotBeMadeIsReportedNotThrown) {
    QTemporaryDir dir;
    QFile blocker(dir.filePath(QStringLiteral("file")));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    BackupKeeper keeper(dir.filePath(QStringLiteral("file/backups")));
    const QString problem = keeper.Keep(ProgrammedDoc({1}), Direction::Read, Evening);
    EXPECT_TRUE(problem.startsWith(QStringLiteral("备份失败"))) << problem.toStdString();
    EXPECT_TRUE(keeper.Backups().isEmpty());
}

} // namespace
} // namespace qarlo::test
