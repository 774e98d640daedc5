// qarlo-cli export and import, run as the real executable.
#include "CsvTestSupport.h"

#include "memory/ChannelFile.h"
#include "memory/Csv.h"
#include "memory/FileLock.h"

#include <gtest/gtest.h>

#include <sys/wait.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <thread>

namespace qarlo {
namespace {

namespace fs = std::filesystem;

// A pipe on standard output gets the CSV; what import makes of it is the same channels; a CSV with
// errors is refused with its reasons and FILE is neither changed nor made.
TEST(CsvCli, ExportToAStreamImportBackAndRefuseWithoutTouchingTheFile) {
    std::string name = (fs::temp_directory_path() / "qarlo-csv-XXXXXX").string();
    ASSERT_NE(::mkdtemp(name.data()), nullptr);
    const fs::path dir = name;
    const std::string cli = "cd '" + name + "' && '" QARLO_CLI "' ";
    auto run = [](const std::string& command) {
        const int status = std::system(command.c_str());
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    };
    auto read = [&](const char* file) {
        std::ifstream in(dir / file, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    };
    std::mt19937 rng(6);
    CQarloDoc doc = csvtest::RandomDocument(rng);
    ASSERT_TRUE(StoreChannelFile(doc, dir / "a.q02").ok());
    EXPECT_EQ(run(cli + "export a.q02 -o /dev/stdout | cat > stdout.csv"), 0);
    EXPECT_EQ(read("stdout.csv"), ExportCsv(doc));
    ASSERT_EQ(run(cli + "import stdout.csv new.q02 > out.txt"), 0);
    EXPECT_NE(read("out.txt").find(" set in new.q02\n"), std::string::npos) << read("out.txt");
    CQarloDoc back;
    ASSERT_TRUE(LoadChannelFile(back, dir / "new.q02").ok());
    EXPECT_EQ(back.ChannelMemory, csvtest::ExpectedImport(doc, CQarloDoc()).ChannelMemory);

    std::ofstream(dir / "in.csv") << "Location,Frequency,Tone,rToneFreq\n1,430,Tone,67\n"
                                     "17,430,Tone,66\n";
    const std::string before = read("a.q02");
    for (const char* target : {"a.q02", "none.q02"}) {
        SCOPED_TRACE(target);
        EXPECT_EQ(run(cli + "import in.csv " + target + " > out.txt 2> err.txt"), 1);
        EXPECT_EQ(read("err.txt").rfind("in.csv:3: column Location: channel 17 is outside 1..16\n"
                                        "in.csv:3: column rToneFreq: ",
                                        0),
                  0u)
            << read("err.txt");
        EXPECT_EQ(read("out.txt"), "");
    }
    EXPECT_EQ(read("a.q02"), before);
    EXPECT_FALSE(fs::exists(dir / "none.q02"));
    fs::remove_all(dir);
}

// An import waits for a program changing FILE to finish and then builds on its change: neither
// update is lost.
TEST(CsvCli, ImportWaitsForTheFilesLockAndKeepsTheOtherChange) {
    std::string name = (fs::temp_directory_path() / "qarlo-csv-XXXXXX").string();
    ASSERT_NE(::mkdtemp(name.data()), nullptr);
    const fs::path dir = name, file = dir / "plan.q02";
    CQarloDoc empty;
    ASSERT_TRUE(StoreChannelFile(empty, file).ok());
    std::ofstream(dir / "in.csv") << "Location,Frequency\n2,435\n";
    std::atomic<int> status = -1;
    std::thread import;
    {
        const FileLock held(file, 0);
        ASSERT_TRUE(held.locked());
        import = std::thread([&] {
            status = std::system(("'" QARLO_CLI "' import " + (dir / "in.csv").string() + " " +
                                  file.string() + " > /dev/null")
                                     .c_str());
        });
        std::this_thread::sleep_for(std::chrono::milliseconds(500));
        EXPECT_EQ(status, -1); // still waiting
        CQarloDoc other;
        other.setRxFreq(8, 43800000);
        ASSERT_TRUE(StoreChannelFile(other, file).ok());
    }
    import.join();
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    CQarloDoc both;
    ASSERT_TRUE(LoadChannelFile(both, file).ok());
    EXPECT_EQ(both.rxFreq(8), 43800000);
    EXPECT_EQ(both.rxFreq(1), 43500000);
    fs::remove_all(dir);
}

} // namespace
} // namespace qarlo
