// qarlo-cli export and import, run as the real executable.
#include "CsvTestSupport.h"

#include "memory/ChannelFile.h"
#include "memory/Csv.h"
#include "platform/FileLock.h"

#include <gtest/gtest.h>

#include <sys/wait.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <thread>
#include <tuple>

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
    EXPECT_NE(read("out.txt").find("\nstored in new.q02\n"), std::string::npos) << read("out.txt");
    CQarloDoc back;
    ASSERT_TRUE(LoadChannelFile(back, dir / "new.q02").ok());
    EXPECT_EQ(back.ChannelMemory, csvtest::ExpectedImport(doc, CQarloDoc()).ChannelMemory);

    std::ofstream(dir / "in.csv") << "Location,Frequency,Tone,rToneFreq\n1,430,Tone,67\n"
                                     "17,430,Tone,66\n";
    const std::string before = read("a.q02");
    for (const char* target : {"a.q02", "none.q02"}) {
        SCOPED_TRACE(target);
        EXPECT_EQ(run(cli + "import in.csv " + target + " > out.txt 2> err.txt"), 1);
        EXPECT_EQ(read("err.txt"), "in.csv:3: column rToneFreq: \"66\" is not one of the 38 tones "
                                   "the radio knows\nqarlo-cli: " +
                                       std::string(target) + " left unchanged\n");
        EXPECT_EQ(read("out.txt"), "");
    }
    EXPECT_EQ(read("a.q02"), before);
    EXPECT_FALSE(fs::exists(dir / "none.q02"));

    // A stock list numbered from 0 with more rows than channels: refused whole with a hint, then
    // taken in part with the options; a bad option value is a usage error.
    std::string big = "Location,Frequency,Duplex,Offset,Mode,\n";
    for (int i = 0; i < 20; ++i)
        big += std::to_string(i) + ",446." + std::to_string(100 + i) + ",,0," +
               (i == 3 ? "AM" : "NFM") + (i == 5 ? ",," : ",") + "\n";
    big += "20,146.52,off,0,FM,\n";
    std::ofstream(dir / "big.csv") << big;
    EXPECT_EQ(run(cli + "import big.csv b.q02 > out.txt 2> err.txt"), 1);
    EXPECT_EQ(read("err.txt").substr(0, 98),
              "big.csv:5: column Mode: \"AM\" is neither FM (25 kHz) "
              "nor NFM (12.5 kHz)\nbig.csv:18: column Location");
    EXPECT_NE(read("err.txt").find("\nhint: --renumber"), std::string::npos) << read("err.txt");
    EXPECT_EQ(run(cli + "import big.csv b.q02 --renumber=2 --skip-unusable > out.txt"), 0);
    EXPECT_EQ(
        read("out.txt").substr(0, read("out.txt").find('\n')),
        "took 15 rows into channels 2-16; left out 6: 4 past channel 16, 1 AM, 1 receive-only");
    EXPECT_NE(read("out.txt").find("\nband set to 446-456 MHz,"), std::string::npos);
    CQarloDoc b;
    ASSERT_TRUE(LoadChannelFile(b, dir / "b.q02").ok());
    EXPECT_EQ(std::tuple(b.rxFreq(0), b.rxFreq(1), b.rxFreq(3), b.flags(3), b.bandLow()),
              std::tuple(0, 44610000, 44610200, FLAG_NARROW, 446 * 25000));
    EXPECT_EQ(run(cli + "import big.csv c.q02 --locations 0-2,19 --renumber > out.txt"), 0);
    EXPECT_EQ(read("out.txt").substr(0, read("out.txt").find('\n')),
              "took 4 rows into channels 1-4; left out 17: 17 not in --locations");
    for (const char* bad : {"--renumber=17", "--renumber=x", "--locations 5-3", "--locations 1,"})
        EXPECT_EQ(run(cli + "import big.csv d.q02 " + bad + " 2> err.txt"), 2) << bad;
    EXPECT_FALSE(fs::exists(dir / "d.q02"));
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
