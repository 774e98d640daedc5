#include "memory/ChannelFile.h"
#include "memory/Bytes.h"

#include <gtest/gtest.h>

#include <sys/resource.h>
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

TEST_F(ChannelFileTest, UnopenableFileLeavesTheDocumentAlone) {
    fs::create_directory(dir / "folder.q02");
    for (const fs::path& file : {dir / "missing.q02", dir / "folder.q02", dir / "no" / "x.q02"}) {
        CQarloDoc doc = usedDocument();
        const CQarloDoc before = doc;
        const FileResult r = LoadChannelFile(doc, file);
        EXPECT_EQ(r.error, FileError::CannotOpen) << file;
        EXPECT_EQ(r.file, file);
        EXPECT_FALSE(r.reason.empty());
        EXPECT_EQ(doc.ChannelMemory, before.ChannelMemory);
        EXPECT_EQ(doc.ProgrammedChannelList, before.ProgrammedChannelList);
        EXPECT_EQ(doc.listRefillPending, 1);
        EXPECT_EQ(doc.selectedChannel, 4);
    }
}

TEST_F(ChannelFileTest, UnwritableTargetsFailAndKeepWhatWasThere) {
    writeAll(dir / "plain", {1, 2, 3});
    fs::create_directory(dir / "folder.q02");
    writeAll(dir / "folder.q02" / "inside", {7});
    CQarloDoc doc;
    for (const fs::path& file : {dir / "plain" / "x.q02", dir / "folder.q02"}) {
        const FileResult r = StoreChannelFile(doc, file);
        EXPECT_EQ(r.error, FileError::CannotWrite) << file;
        EXPECT_EQ(r.file, file);
    }
    EXPECT_EQ(readAll(dir / "plain"), (Bytes{1, 2, 3}));
    EXPECT_EQ(readAll(dir / "folder.q02" / "inside"), (Bytes{7}));
    EXPECT_EQ(entries(), (std::vector<std::string>{"folder.q02", "plain"}));
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
}

} // namespace
} // namespace qarlo
