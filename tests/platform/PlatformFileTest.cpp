// What every system's body of the file jobs does alike; POSIX-only cases are the channel file's.
#include "platform/FileLock.h"
#include "platform/ReadFile.h"
#include "platform/SaveFile.h"

#include <gtest/gtest.h>

#include <iterator>
#include <random>

namespace qarlo {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

struct PlatformFileTest : testing::Test {
    const fs::path dir =
        fs::temp_directory_path() / ("qarlo-os-" + std::to_string(std::random_device{}()));
    const fs::path file = dir / u8"频道.q02"; // a name beyond any code page
    void SetUp() override { fs::create_directories(dir); }
    void TearDown() override {
        std::error_code ec; // a read-only file must be writable again to go
        fs::permissions(file, fs::perms::owner_write, fs::perm_options::add, ec);
        fs::remove_all(dir, ec);
    }
};

// Saved bytes read back whole or by their head, a replace leaves nothing beside the file, and a
// folder is neither read nor written.
TEST_F(PlatformFileTest, SavedBytesReadBackAndAFolderIsNoFile) {
    ASSERT_TRUE(SaveFileBytes(file, Bytes(1041, 0x5a)).ok());
    EXPECT_EQ(ReadFileBytes(file, 4096, ReadMode::Whole).bytes, Bytes(1041, 0x5a));
    ASSERT_TRUE(SaveFileBytes(file, Bytes{1, 2, 3}).ok());
    EXPECT_EQ(ReadFileBytes(file, 3, ReadMode::Whole).bytes, (Bytes{1, 2, 3}));
    EXPECT_EQ(ReadFileBytes(file, 2, ReadMode::Whole).result.error, FileError::TooLarge);
    EXPECT_EQ(ReadFileBytes(file, 2, ReadMode::Head).bytes, (Bytes{1, 2}));
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 1);
    EXPECT_EQ(ReadFileBytes(dir / "x", 9, ReadMode::Whole).result.error, FileError::CannotOpen);
    EXPECT_EQ(ReadFileBytes(dir, 9, ReadMode::Whole).result.error, FileError::NotRegularFile);
    EXPECT_EQ(WriteOutputBytes(dir, Bytes{7}).error, FileError::NotRegularFile);
    EXPECT_EQ(SaveFileBytes(dir / "no" / "x.q02", Bytes{7}).error, FileError::CannotWrite);
}

// Refused even for root, who could write it: no one was meant to.
TEST_F(PlatformFileTest, AReadOnlyFileIsRefusedAndKept) {
    ASSERT_TRUE(SaveFileBytes(file, Bytes{1}).ok());
    fs::permissions(file, fs::perms::owner_write, fs::perm_options::remove);
    EXPECT_EQ(CheckSaveTarget(file).error, FileError::ReadOnly);
    EXPECT_EQ(SaveFileBytes(file, Bytes{2}).error, FileError::ReadOnly);
    EXPECT_EQ(ReadFileBytes(file, 9, ReadMode::Whole).bytes, Bytes{1});
}

// One holder at a time, yet the locked file is still read and replaced.
TEST_F(PlatformFileTest, OneLockAtATimeYetReadingAndSavingGoOn) {
    ASSERT_TRUE(SaveFileBytes(file, Bytes{1}).ok());
    {
        const FileLock first(file, 0);
        ASSERT_TRUE(first.locked());
        EXPECT_TRUE(FileLock(file, 30).busy());
        EXPECT_EQ(ReadFileBytes(file, 9, ReadMode::Whole).bytes, Bytes{1});
        EXPECT_TRUE(SaveFileBytes(file, Bytes{2}).ok());
    }
    EXPECT_TRUE(FileLock(file, 0).locked());
    EXPECT_EQ(ReadFileBytes(file, 9, ReadMode::Whole).bytes, Bytes{2});
}

} // namespace
} // namespace qarlo
