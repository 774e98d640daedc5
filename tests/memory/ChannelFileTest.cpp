#include "memory/ChannelFile.h"
#include "memory/Bytes.h"
#include "memory/SaveFile.h"
#include "tests/support/Child.h"

#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <fstream>
#include <iterator>
#include <random>
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
CQarloDoc usedDocument() {
    CQarloDoc doc;
    const Bytes junk = randomBytes(1040, 99);
    std::copy(junk.begin(), junk.end(), doc.ChannelMemory.begin());
    writeBE32(doc.record(1) + REC_RX_FREQ, 14500000);
    writeBE32(doc.record(1) + REC_TX_FREQ, 14500000);
    doc.RebuildProgrammedList();
    doc.listRefillPending = 1;
    doc.selectedChannel = 4;
    doc.portName = "COM2";
    return doc;
}

class ChannelFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        dir = fs::temp_directory_path() /
              (std::string("qarlo-file-") + info->name() + "-" + std::to_string(::getpid()));
        fs::remove_all(dir);
        fs::create_directories(dir);
    }
    void TearDown() override {
        std::error_code ec;
        fs::remove_all(dir, ec);
    }
    static Bytes readAll(const fs::path& p) {
        std::ifstream in(p, std::ios::binary);
        return Bytes(std::istreambuf_iterator<char>(in), {});
    }
    static void writeAll(const fs::path& p, const Bytes& bytes) {
        std::ofstream(p, std::ios::binary | std::ios::trunc)
            .write(reinterpret_cast<const char*>(bytes.data()),
                   static_cast<std::streamsize>(bytes.size()));
    }
    static struct stat statOf(const fs::path& p) {
        struct stat st = {};
        ::lstat(p.c_str(), &st);
        return st;
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

TEST_F(ChannelFileTest, NewDocumentFileBytes) {
    CQarloDoc doc;
    const auto file = dir / "new.q02";
    ASSERT_TRUE(StoreChannelFile(doc, file).ok());
    const Bytes bytes = readAll(file);
    ASSERT_EQ(bytes.size(), 1041u);
    for (int i = 0; i < 1041; ++i) {
        const bool squelch = i <= 252 && i % 16 == 12; // squelch 3 of channels 0..15
        ASSERT_EQ(bytes[i], squelch ? 0x03 : i == 1026 ? 0x32 : 0x00) << "byte " << i;
    }
    EXPECT_EQ(entries(), std::vector<std::string>{"new.q02"});
}

TEST_F(ChannelFileTest, RoundTripKeepsEveryByteAndRebuildsTheList) {
    CQarloDoc saved;
    const Bytes memory = randomBytes(1040, 1234);
    std::copy(memory.begin(), memory.end(), saved.ChannelMemory.begin());
    for (int ch = 0; ch < CHANNEL_COUNT; ++ch)
        saved.record(ch)[0] = 0x80; // negative: not programmed
    writeBE32(saved.record(5) + REC_RX_FREQ, 43000000);
    writeBE32(saved.record(5) + REC_TX_FREQ, 43000000);
    writeBE32(saved.record(2) + REC_RX_FREQ, 10000000);
    writeBE32(saved.record(2) + REC_TX_FREQ, 0x7FFFFFFF);
    saved.ProgrammedChannelList.fill(0xFF);
    saved.ProgrammedChannelList[0] = 9; // stale: storing rebuilds it
    saved.listRefillPending = 1;
    saved.selectedChannel = 3;
    const auto before = saved.ChannelMemory;
    const auto file = dir / "round.q02";
    ASSERT_TRUE(StoreChannelFile(saved, file).ok());
    EXPECT_EQ(saved.ChannelMemory, before);
    EXPECT_EQ(saved.selectedChannel, 3); // storing keeps the selection
    EXPECT_EQ(saved.listRefillPending, -1);
    const std::array<std::uint8_t, 16> list{2,    5,    0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF,
                                            0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
    EXPECT_EQ(saved.ProgrammedChannelList, list);
    const Bytes onDisk = readAll(file);
    ASSERT_EQ(onDisk.size(), 1041u);
    EXPECT_TRUE(std::equal(before.begin(), before.end(), onDisk.begin()));

    CQarloDoc loaded = usedDocument();
    ASSERT_TRUE(LoadChannelFile(loaded, file).ok());
    EXPECT_EQ(loaded.ChannelMemory, before);
    EXPECT_EQ(loaded.portName, "COM2");
    EXPECT_EQ(loaded.selectedChannel, 255);
    EXPECT_EQ(loaded.listRefillPending, -1);
    EXPECT_EQ(loaded.ProgrammedChannelList, list);
}

// Fewer than 1041 bytes, an empty file included, is no channel file: the document becomes new.
// 1041 bytes or more: the first 1041 load.
TEST_F(ChannelFileTest, FileSizes) {
    for (std::size_t size : {0u, 1u, 1039u, 1040u, 1041u, 1042u, 4096u}) {
        SCOPED_TRACE(size);
        const auto file = dir / ("f" + std::to_string(size) + ".q02");
        const Bytes bytes = randomBytes(size, static_cast<unsigned>(size));
        writeAll(file, bytes);
        CQarloDoc doc = usedDocument();
        const FileResult r = LoadChannelFile(doc, file);
        EXPECT_EQ(r.file, file);
        EXPECT_EQ(doc.listRefillPending, -1);
        EXPECT_EQ(doc.selectedChannel, 255);
        EXPECT_EQ(doc.portName, "COM2");
        if (size >= 1041) {
            EXPECT_TRUE(r.ok());
            EXPECT_TRUE(
                std::equal(doc.ChannelMemory.begin(), doc.ChannelMemory.end(), bytes.begin()));
            continue;
        }
        EXPECT_EQ(r.error, FileError::InvalidFormat);
        const CQarloDoc fresh;
        EXPECT_EQ(doc.ChannelMemory, fresh.ChannelMemory);
        EXPECT_EQ(doc.ProgrammedChannelList, fresh.ProgrammedChannelList);
    }
}

// Only a regular file is read, and anything else is refused at once: a FIFO would wait for a
// writer for ever, /dev/zero never ends. The document stays as it was.
TEST_F(ChannelFileTest, FilesThatCannotBeReadLeaveTheDocumentAlone) {
    fs::create_directory(dir / "folder.q02");
    ASSERT_EQ(::mkfifo((dir / "fifo.q02").c_str(), 0600), 0);
    const std::pair<fs::path, FileError> cases[] = {{dir / "missing.q02", FileError::CannotOpen},
                                                    {dir / "no" / "x.q02", FileError::CannotOpen},
                                                    {dir / "folder.q02", FileError::NotRegularFile},
                                                    {dir / "fifo.q02", FileError::NotRegularFile},
                                                    {"/dev/zero", FileError::NotRegularFile}};
    for (const auto& [file, error] : cases) {
        const int status = test::RunInChild([&file = file] {
            CQarloDoc doc = usedDocument();
            const CQarloDoc before = doc;
            const FileResult r = LoadChannelFile(doc, file);
            const bool untouched = r.file == file && !r.reason.empty() &&
                                   doc.ChannelMemory == before.ChannelMemory &&
                                   doc.ProgrammedChannelList == before.ProgrammedChannelList &&
                                   doc.listRefillPending == 1 && doc.selectedChannel == 4;
            return untouched ? static_cast<int>(r.error) : 100;
        });
        EXPECT_EQ(status, static_cast<int>(error)) << file;
    }
}

// A save goes only onto a regular file or a new name: a directory, a FIFO, a socket or a device
// stays what it is, and the check made before a read says so without writing.
TEST_F(ChannelFileTest, SavingRefusesWhatIsNotARegularFile) {
    writeAll(dir / "plain", {1, 2, 3});
    fs::create_directory(dir / "folder.q02");
    ASSERT_EQ(::mkfifo((dir / "fifo.q02").c_str(), 0600), 0);
    const int sock = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::snprintf(address.sun_path, sizeof address.sun_path, "%s", (dir / "socket.q02").c_str());
    ASSERT_EQ(::bind(sock, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    // A copy of /dev/null where the system lets us make one (root outside a container).
    const bool device = ::mknod((dir / "null.q02").c_str(), S_IFCHR | 0666, makedev(1, 3)) == 0;
    const struct {
        const char* name;
        FileError error;
        mode_t type; // what stays there; 0: nothing
    } cases[] = {{"plain/x.q02", FileError::CannotWrite, 0},
                 {"folder.q02", FileError::NotRegularFile, S_IFDIR},
                 {"fifo.q02", FileError::NotRegularFile, S_IFIFO},
                 {"socket.q02", FileError::NotRegularFile, S_IFSOCK},
                 {"null.q02", FileError::NotRegularFile, S_IFCHR}};
    for (const auto& c : cases) {
        if (c.type == S_IFCHR && !device) continue;
        SCOPED_TRACE(c.name);
        const fs::path file = dir / c.name;
        EXPECT_EQ(CheckSaveTarget(file).error, c.error);
        EXPECT_EQ(test::RunInChild([&file] {
                      CQarloDoc doc;
                      return static_cast<int>(StoreChannelFile(doc, file).error);
                  }),
                  static_cast<int>(c.error));
        EXPECT_EQ(statOf(file).st_mode & S_IFMT, c.type);
    }
    ::close(sock);
    EXPECT_EQ(readAll(dir / "plain"), (Bytes{1, 2, 3}));
    EXPECT_EQ(entries().size(), device ? 5u : 4u);
}

// Permissions, as a user who is not root (root may write anything): a read-only file is refused;
// in a folder the user may not write, or with a second hard link, the file is written in place;
// otherwise it is replaced by a complete copy with its mode, and, when root saves a user's file,
// its owner and group.
TEST_F(ChannelFileTest, PermissionsOwnersAndLinks) {
    std::string why;
    const auto user = test::Unprivileged::get(&why);
    if (!user) GTEST_SKIP() << why;
    const struct {
        const char* name;
        mode_t folderMode, fileMode; // fileMode 0: no file yet
        bool secondLink, asRoot;     // asRoot: the test (root) saves the user's file itself
        FileError error;
        bool sameFile; // written in place (or, with no file, none made)
    } cases[] = {{"readonly", 0755, 0444, false, false, FileError::ReadOnly, true},
                 {"lockedfolder", 0555, 0640, false, false, FileError::None, true},
                 {"newinlocked", 0555, 0, false, false, FileError::CannotWrite, true},
                 {"twolinks", 0755, 0600, true, false, FileError::None, true},
                 {"plain", 0755, 0640, false, false, FileError::None, false},
                 {"rootsaves", 0755, 0600, false, true, FileError::None, false}};
    const Bytes old = randomBytes(1041, 8);
    CQarloDoc doc;
    const auto saved = ChannelFileBytes(doc);
    bool rootSkipped = false;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.asRoot && !user->switched) {
            rootSkipped = true;
            continue;
        }
        const fs::path folder = dir / c.name, file = folder / "radio.q02";
        fs::create_directory(folder);
        ASSERT_TRUE(user->own(folder));
        if (c.fileMode != 0) {
            writeAll(file, old);
            ASSERT_TRUE(user->own(file));
            ::chmod(file.c_str(), c.fileMode);
            if (c.secondLink) fs::create_hard_link(file, folder / "other.q02");
        }
        ::chmod(folder.c_str(), c.folderMode);
        const struct stat before = statOf(file);
        const auto save = [&] { return static_cast<int>(StoreChannelFile(doc, file).error); };
        EXPECT_EQ(c.asRoot ? save() : test::RunInChild(save, 10, &*user),
                  static_cast<int>(c.error));
        const Bytes expected = c.error == FileError::None ? Bytes(saved.begin(), saved.end())
                               : c.fileMode               ? old
                                                          : Bytes{};
        EXPECT_EQ(readAll(file), expected);
        EXPECT_EQ(c.secondLink ? readAll(folder / "other.q02") : expected, expected);
        const struct stat after = statOf(file);
        EXPECT_EQ(after.st_ino == before.st_ino, c.sameFile);
        EXPECT_EQ(after.st_mode & 07777, c.fileMode);
        EXPECT_EQ(after.st_uid, before.st_uid);
        EXPECT_EQ(after.st_gid, before.st_gid);
        ::chmod(folder.c_str(), 0755);
        EXPECT_EQ(fs::directory_iterator(folder) == fs::directory_iterator(), c.fileMode == 0);
    }
    if (rootSkipped) GTEST_SKIP() << "not root: root saving another user's file was not tried";
}

// Killed at any moment of a save, the file holds the old or the new channels, never a mixture,
// and by the next save no temporary file is left.
TEST_F(ChannelFileTest, ASaveKilledHalfWayLeavesNoDebris) {
    const fs::path file = dir / "killed.q02";
    CQarloDoc a = usedDocument(), b;
    ASSERT_TRUE(StoreChannelFile(a, file).ok());
    const auto bytesA = ChannelFileBytes(a), bytesB = ChannelFileBytes(b);
    std::mt19937 rng(5);
    for (int i = 0; i < 60; ++i) {
        test::RunInChild(
            [&] {
                while (true) {
                    StoreChannelFile(b, file);
                    StoreChannelFile(a, file);
                }
                return 0;
            },
            0.002 + static_cast<double>(rng() % 10) / 1000);
        const Bytes now = readAll(file);
        ASSERT_TRUE(std::equal(now.begin(), now.end(), bytesA.begin(), bytesA.end()) ||
                    std::equal(now.begin(), now.end(), bytesB.begin(), bytesB.end()))
            << "kill " << i;
    }
    ASSERT_TRUE(StoreChannelFile(b, file).ok());
    EXPECT_EQ(entries(), std::vector<std::string>{"killed.q02"});
}

// A write that runs out of room half way (the file size limit stands in for a full disk) must
// leave the previous file exactly as it was and leave no partial file behind.
TEST_F(ChannelFileTest, FailedWriteLeavesTheOldFileIntact) {
    const auto file = dir / "keep.q02";
    const Bytes old = randomBytes(1041, 77);
    writeAll(file, old);
    CQarloDoc doc;
    auto* previous = std::signal(SIGXFSZ, SIG_IGN);
    rlimit saved{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    rlimit small = saved;
    small.rlim_cur = 100;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    const FileResult r = StoreChannelFile(doc, file);
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previous);
    EXPECT_EQ(r.error, FileError::CannotWrite);
    EXPECT_EQ(readAll(file), old);
    EXPECT_EQ(entries(), std::vector<std::string>{"keep.q02"});
}

// Replacing keeps the old file's permissions, and through a link replaces the linked file.
TEST_F(ChannelFileTest, StoreReplacesAnExistingFileCompletely) {
    const auto file = dir / "over.q02";
    writeAll(file, randomBytes(5000, 3));
    fs::permissions(file, fs::perms::owner_read | fs::perms::owner_write);
    fs::create_symlink(file, dir / "link.q02");
    CQarloDoc doc;
    ASSERT_TRUE(StoreChannelFile(doc, dir / "link.q02").ok());
    const auto expected = ChannelFileBytes(doc);
    EXPECT_EQ(readAll(file), Bytes(expected.begin(), expected.end()));
    EXPECT_TRUE(fs::is_symlink(dir / "link.q02"));
    EXPECT_EQ(fs::status(file).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write);
    EXPECT_EQ(entries(), (std::vector<std::string>{"link.q02", "over.q02"}));

    // A link to a file not made yet: the file is made, the link stays.
    fs::create_symlink("made.q02", dir / "ahead.q02");
    ASSERT_TRUE(StoreChannelFile(doc, dir / "ahead.q02").ok());
    EXPECT_EQ(readAll(dir / "made.q02"), Bytes(expected.begin(), expected.end()));
    EXPECT_TRUE(fs::is_symlink(dir / "ahead.q02"));
}

} // namespace
} // namespace qarlo
