#include "memory/ChannelFile.h"
#include "memory/Bytes.h"
#include "platform/FileLock.h"
#include "platform/SaveFile.h"
#include "tests/support/Child.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <optional>
#include <csignal>
#include <fstream>
#include <iterator>
#include <random>
#include <thread>
#include <tuple>
#include <vector>

namespace qarlo {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

Bytes randomBytes(std::size_t n, unsigned seed) {
    std::mt19937 gen(seed);
    Bytes b(n);
    for (auto& x : b)
        x = static_cast<std::uint8_t>(gen());
    return b;
}

// A document that differs from a new one everywhere, channel 1 programmed, selection 4.
CQarloDoc usedDocument(unsigned seed = 99) {
    CQarloDoc doc;
    const Bytes junk = randomBytes(1040, seed);
    std::copy(junk.begin(), junk.end(), doc.ChannelMemory.begin());
    for (int ch = 0; ch < CHANNEL_COUNT; ++ch)
        doc.record(ch)[0] = 0x80; // negative: not programmed
    doc.setRxFreq(1, 14500000);
    doc.setTxFreq(1, 14500000);
    writeBE32(doc.record(5) + REC_RX_FREQ, 10000000);
    writeBE32(doc.record(5) + REC_TX_FREQ, 0x7FFFFFFF);
    doc.listRefillPending = 1;
    doc.selectedChannel = 4;
    return doc;
}

class ChannelFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string name = (fs::temp_directory_path() / "qarlo-file-XXXXXX").string();
        ASSERT_NE(::mkdtemp(name.data()), nullptr);
        dir = name;
        ::chmod(name.c_str(), 0755); // the test user works in folders under it
    }
    void TearDown() override { fs::remove_all(dir); }
    static Bytes readAll(const fs::path& p) {
        std::ifstream in(p, std::ios::binary);
        return Bytes(std::istreambuf_iterator<char>(in), {});
    }
    static void writeAll(const fs::path& p, const Bytes& bytes) {
        std::ofstream(p, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()),
                   static_cast<std::streamsize>(bytes.size()));
    }
    // The folder's entries: a store must leave no temporary file behind.
    std::vector<std::string> entries() const {
        std::vector<std::string> names;
        for (const auto& e : fs::directory_iterator(dir))
            names.push_back(e.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }
    fs::path dir;
};

// Memory out byte for byte, a 1041st byte 0. Storing rebuilds the stale list and keeps the
// selection. A link to a file not made yet: made.
TEST_F(ChannelFileTest, StoredBytesListAndALinkNotMadeYet) {
    CQarloDoc saved = usedDocument(1234);
    saved.ProgrammedChannelList.fill(9);
    Bytes expected(saved.ChannelMemory.begin(), saved.ChannelMemory.end());
    expected.push_back(0);
    const std::array<std::uint8_t, 16> list{1,    5,    0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF,
                                            0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
    fs::create_symlink("made.q02", dir / "ahead.q02");
    ASSERT_TRUE(StoreChannelFile(saved, dir / "ahead.q02").ok());
    EXPECT_EQ(
        std::tuple(saved.ProgrammedChannelList, saved.listRefillPending, saved.selectedChannel),
        std::tuple(list, -1, 4));
    EXPECT_EQ(readAll(dir / "made.q02"), expected);
    EXPECT_TRUE(fs::is_symlink(dir / "ahead.q02"));
    EXPECT_EQ(entries(), (std::vector<std::string>{"ahead.q02", "made.q02"}));
}

// Only a regular file is read or saved onto, anything else refused at once (a FIFO would wait for
// a writer for ever, /dev/zero never ends): the document, and what is there, stay as they were.
TEST_F(ChannelFileTest, WhatIsNotARegularFileIsNeitherReadNorReplaced) {
    writeAll(dir / "plain", {1, 2, 3});
    fs::create_directory(dir / "folder.q02");
    ASSERT_EQ(::mkfifo((dir / "fifo.q02").c_str(), 0600), 0);
    constexpr auto OPEN = FileError::CannotOpen, WRITE = FileError::CannotWrite,
                   OTHER = FileError::NotRegularFile;
    const struct {
        fs::path file;
        FileError load, store;
        mode_t type; // what stays there; 0: nothing
    } cases[] = {{dir / "plain" / "x.q02", OPEN, WRITE, 0},
                 {dir / "folder.q02", OTHER, OTHER, S_IFDIR},
                 {dir / "fifo.q02", OTHER, OTHER, S_IFIFO},
                 {"/dev/zero", OTHER, OTHER, S_IFCHR}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        const int loaded = test::RunInChild([&c] {
            CQarloDoc doc = usedDocument();
            const CQarloDoc before = doc;
            const FileResult r = LoadChannelFile(doc, c.file);
            const bool untouched = r.file == c.file && !r.reason.empty() &&
                                   doc.ChannelMemory == before.ChannelMemory &&
                                   doc.ProgrammedChannelList == before.ProgrammedChannelList &&
                                   doc.listRefillPending == 1 && doc.selectedChannel == 4;
            return untouched ? static_cast<int>(r.error) : 100;
        });
        EXPECT_EQ(loaded, static_cast<int>(c.load));
        if (c.file == "/dev/zero") continue;
        EXPECT_EQ(CheckSaveTarget(c.file).error, c.store);
        EXPECT_EQ(test::RunInChild([&c] {
                      CQarloDoc doc;
                      return static_cast<int>(StoreChannelFile(doc, c.file).error);
                  }),
                  static_cast<int>(c.store));
        struct stat st = {};
        ::lstat(c.file.c_str(), &st);
        EXPECT_EQ(st.st_mode & S_IFMT, c.type);
    }
    EXPECT_EQ(readAll(dir / "plain"), (Bytes{1, 2, 3}));
    EXPECT_EQ(entries().size(), 3u);
}

// Permissions, as a user who is not root (root may write anything): a read-only file is refused;
// in a folder the user may not write, or with a second hard link, the file is written in place;
// otherwise it is replaced by a complete copy with its mode, and, when root saves a user's file,
// its owner and group. Through a symbolic link the linked file is replaced and the link stays.
TEST_F(ChannelFileTest, PermissionsOwnersAndLinks) {
    std::string why;
    const auto user = test::Unprivileged::get(&why);
    if (!user) GTEST_SKIP() << why;
    enum Link { NONE, HARD, SYMBOLIC };
    const struct {
        const char* name;
        mode_t folderMode, fileMode; // fileMode 0: no file yet
        Link link;
        bool asRoot; // the test (root) saves the user's file itself
        FileError error;
        bool sameFile; // written in place (or, with no file, none made)
    } cases[] = {{"readonly", 0755, 0444, NONE, false, FileError::ReadOnly, true},
                 {"lockedfolder", 0555, 0640, NONE, false, FileError::None, true},
                 {"newinlocked", 0555, 0, NONE, false, FileError::CannotWrite, true},
                 {"twolinks", 0755, 0600, HARD, false, FileError::None, true},
                 {"symlink", 0755, 0600, SYMBOLIC, false, FileError::None, false},
                 {"rootsaves", 0755, 0600, NONE, true, FileError::None, false}};
    const Bytes old = randomBytes(5000, 8);
    CQarloDoc doc;
    const auto saved = ChannelFileBytes(doc);
    bool rootSkipped = false;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.asRoot && !user->switched) {
            rootSkipped = true;
            continue;
        }
        const fs::path folder = dir / c.name, file = folder / "radio.q02",
                       other = folder / "other.q02";
        fs::create_directory(folder);
        ASSERT_TRUE(user->own(folder));
        if (c.fileMode != 0) {
            writeAll(file, old);
            ASSERT_TRUE(user->own(file));
            ::chmod(file.c_str(), c.fileMode);
            if (c.link == HARD) fs::create_hard_link(file, other);
            if (c.link == SYMBOLIC) fs::create_symlink("radio.q02", other);
        }
        ::chmod(folder.c_str(), c.folderMode);
        struct stat before = {}, after = {};
        ::stat(file.c_str(), &before);
        const fs::path target = c.link == SYMBOLIC ? other : file;
        const auto save = [&] { return static_cast<int>(StoreChannelFile(doc, target).error); };
        EXPECT_EQ(c.asRoot ? save() : test::RunInChild(save, 10, &*user),
                  static_cast<int>(c.error));
        const Bytes expected = c.error == FileError::None ? Bytes(saved.begin(), saved.end())
                               : c.fileMode               ? old
                                                          : Bytes{};
        EXPECT_EQ(readAll(file), expected);
        EXPECT_EQ(c.link != NONE ? readAll(other) : expected, expected);
        EXPECT_EQ(fs::is_symlink(other), c.link == SYMBOLIC);
        ::stat(file.c_str(), &after);
        EXPECT_EQ(after.st_ino == before.st_ino, c.sameFile);
        EXPECT_EQ(after.st_mode & 07777, c.fileMode);
        EXPECT_EQ(after.st_uid, before.st_uid);
        EXPECT_EQ(after.st_gid, before.st_gid);
        ::chmod(folder.c_str(), 0755);
        EXPECT_EQ(std::distance(fs::directory_iterator(folder), fs::directory_iterator()),
                  (c.fileMode != 0) + (c.link != NONE));
    }
    if (rootSkipped) GTEST_SKIP() << "not root: root saving another user's file was not tried";
}

// Out of room half way (the file size limit stands in for a full disk) the file keeps the old
// channels, and no temporary file is left by the failed save or, after a kill, by the next one.
TEST_F(ChannelFileTest, ASaveKilledOrFailingHalfWayLeavesNoDebris) {
    const fs::path file = dir / "killed.q02";
    CQarloDoc a = usedDocument(), b;
    ASSERT_TRUE(StoreChannelFile(a, file).ok());
    const auto bytesA = ChannelFileBytes(a);
    // Left-over temporaries: a killed save's (unlocked) goes, a running save's (locked) and a
    // name that is not ours stay.
    const std::string stale = ".killed.q02.qarlo-save-", locked = stale + "654321";
    for (const std::string& name : {stale + "123456", locked, stale + "12x"})
        writeAll(dir / name, {1});
    const int held = ::open((dir / locked).c_str(), O_RDONLY | O_CLOEXEC);
    ASSERT_EQ(::flock(held, LOCK_EX), 0);
    ASSERT_TRUE(StoreChannelFile(a, file).ok());
    ::close(held);
    EXPECT_EQ(entries(), (std::vector<std::string>{stale + "12x", locked, "killed.q02"}));
    fs::remove(dir / locked);
    fs::remove(dir / (stale + "12x"));

    auto* previous = std::signal(SIGXFSZ, SIG_IGN);
    rlimit saved{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    rlimit small = saved;
    small.rlim_cur = 100;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    const FileResult r = StoreChannelFile(b, file);
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previous);
    EXPECT_EQ(r.error, FileError::CannotWrite);
    EXPECT_EQ(readAll(file), Bytes(bytesA.begin(), bytesA.end()));
    EXPECT_EQ(entries(), std::vector<std::string>{"killed.q02"});
}

// Our own descriptor is written into as it stands: a shell's non-blocking pipe that fills up is
// waited on until its reader takes more, not given up.
// One lock a file at a time, however it is named; a save that renames a new file into place
// passes the lock on to that file, and a name not made yet is locked too.
TEST(FileLock, OneHolderAtATimeAcrossTheRenameOfASave) {
    const fs::path dir = fs::temp_directory_path() / ("qarlo-lock-" + std::to_string(::getpid()));
    fs::create_directories(dir);
    const fs::path file = dir / "a.q02", link = dir / "link.q02";
    const Bytes bytes = randomBytes(CHANNEL_FILE_SIZE, 3);
    ASSERT_TRUE(SaveFileBytes(file, bytes).ok());
    fs::create_symlink("a.q02", link);
    std::optional<FileLock> first(std::in_place, file, 0);
    ASSERT_TRUE(first->locked());
    EXPECT_TRUE(FileLock(link, 100).busy());

    std::atomic<bool> secondLocked = false, thirdBusy = false;
    std::thread second([&] {
        const FileLock lock(file, 5000);
        secondLocked = lock.locked();
        thirdBusy = FileLock(file, 0).busy(); // the file now named, not the one replaced
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    ASSERT_TRUE(SaveFileBytes(file, randomBytes(CHANNEL_FILE_SIZE, 4)).ok());
    first.reset();
    second.join();
    EXPECT_TRUE(secondLocked);
    EXPECT_TRUE(thirdBusy);

    const FileLock fresh(dir / "new.q02", 0);
    EXPECT_TRUE(fresh.locked() && FileLock(dir / "new.q02", 0).busy());
    EXPECT_FALSE(FileLock(dir / "no" / "x.q02", 0).busy()); // nothing to lock: the save will say
    fs::remove_all(dir);
}

TEST(SaveFile, AFullNonBlockingPipeOfOursIsWaitedOn) {
    int p[2];
    ASSERT_EQ(::pipe2(p, O_CLOEXEC), 0);
    ASSERT_EQ(::fcntl(p[1], F_SETFL, O_NONBLOCK), 0);
    const Bytes sent = randomBytes(300000, 5); // several times what a pipe holds
    Bytes got;
    std::thread reader([&] {
        std::uint8_t chunk[4096];
        for (ssize_t n; (n = ::read(p[0], chunk, sizeof chunk)) > 0;)
            got.insert(got.end(), chunk, chunk + n);
    });
    const FileResult r = WriteOutputBytes("/dev/fd/" + std::to_string(p[1]), sent);
    ::close(p[1]);
    reader.join();
    ::close(p[0]);
    EXPECT_TRUE(r.ok()) << r.reason;
    EXPECT_EQ(got, sent);
}

} // namespace
} // namespace qarlo
