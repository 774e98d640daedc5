// Backups of what goes to and comes from the radio: names, contents, two in one second, and only
// the newest kept. (A folder that cannot be made: RadioFromWindowTest.)
#include "AppFixture.h"

#include "app/BackupKeeper.h"

#include <sys/stat.h>

namespace qarlo::test {
namespace {

using Direction = BackupKeeper::Direction;
const QDateTime Evening(QDate(2026, 12, 6), QTime(21, 30, 0));

TEST(BackupKeeper, KeepsChannelFilesNamedByTimeAndDirectionTwoInOneSecondInOrder) {
    QTemporaryDir dir;
    BackupKeeper keeper(dir.filePath(QStringLiteral("a/b/backups")));
    const CQarloDoc docs[] = {ProgrammedDoc({0, 15}), ProgrammedDoc({1}), ProgrammedDoc({2})};
    EXPECT_EQ(keeper.Keep(docs[0], Direction::Read, Evening), QString());
    EXPECT_EQ(keeper.Keep(docs[1], Direction::Write, Evening.addSecs(3599)), QString());
    EXPECT_EQ(keeper.Keep(docs[2], Direction::Write, Evening.addSecs(3599)), QString());
    const QStringList names = keeper.Backups();
    ASSERT_EQ(names.size(), 3);
    EXPECT_EQ(names[0], QStringLiteral("2026-12-06_213000_read.q02"));
    EXPECT_EQ(names[1], QStringLiteral("2026-12-06_222959_write.q02"));
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(ReadAll(keeper.folder() + QLatin1Char('/') + names[i]), FileBytes(docs[i])) << i;
    EXPECT_TRUE(BackupKeeper::DefaultFolder().endsWith(
        QStringLiteral("/Local AppWizard-Generated Applications/qarlo/backups")));
    EXPECT_EQ(keeper.lastKept(), keeper.folder() + QLatin1Char('/') + names[2]);
    // The channels are the user's own business: the folder is closed to everyone else.
    struct stat st {};
    ASSERT_EQ(::stat(QFile::encodeName(keeper.folder()).constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);
}

TEST(BackupKeeper, KeepsOnlyTheNewestAndLeavesOtherFilesAlone) {
    // Older backups, alternately written and read, 37 s apart.
    auto oldName = [](int i) {
        return BackupKeeper::FileNameFor(Evening.addDays(-400).addSecs(i * 37),
                                         i % 2 ? Direction::Read : Direction::Write);
    };
    const std::pair<int, int> cases[] = {{0, 100}, {99, 100}, {100, 100}, {130, 100}, {5, 3}};
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

} // namespace
} // namespace qarlo::test
