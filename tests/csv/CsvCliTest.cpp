// qarlo-cli export and import, run as the real executable.
#include "CsvTestSupport.h"

#include "memory/ChannelFile.h"
#include "memory/Csv.h"
#include "memory/ReadFile.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <string>

namespace qarlo {
namespace {

namespace fs = std::filesystem;

#ifdef QARLO_CLI
const std::string CLI = QARLO_CLI;
#else
const std::string CLI;
#endif

class CsvCli : public ::testing::Test {
protected:
    void SetUp() override {
        if (CLI.empty()) GTEST_SKIP() << "qarlo-cli is not built";
        std::string name = (fs::temp_directory_path() / "qarlo-csv-XXXXXX").string();
        ASSERT_NE(::mkdtemp(name.data()), nullptr);
        dir = name;
    }
    void TearDown() override {
        if (!dir.empty()) fs::remove_all(dir);
    }
    std::string path(const std::string& name) const { return (dir / name).string(); }
    // Runs a shell command line in the test's folder; "qarlo-cli ARGS" through cli().
    int run(const std::string& command) const {
        const int status = std::system(("cd '" + dir.string() + "' && " + command).c_str());
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    int cli(const std::string& args) const { return run("'" + CLI + "' " + args); }
    std::string read(const std::string& name) const {
        std::ifstream in(path(name), std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    void write(const std::string& name, const std::string& text) const {
        std::ofstream(path(name), std::ios::binary) << text;
    }
    void store(CQarloDoc doc, const std::string& name) const {
        ASSERT_TRUE(StoreChannelFile(doc, path(name)).ok());
    }
    CQarloDoc load(const std::string& name) const {
        CQarloDoc doc;
        EXPECT_TRUE(LoadChannelFile(doc, path(name)).ok()) << name;
        return doc;
    }
    fs::path dir;
};

// Standard output, a new or a regular file, or what -o names as it stands: a pipe, a FIFO,
// /dev/stdout (appended where the shell appends). A directory, a FIFO no program reads, a missing
// folder are refused at once; a byte no cell can hold is warned about.
TEST_F(CsvCli, ExportWritesFilesAndStreamsAndNeverReplacesAStream) {
    std::mt19937 rng(6);
    const CQarloDoc doc = csvtest::RandomDocument(rng);
    store(doc, "a.q02");
    const std::string csv = ExportCsv(doc);
    CQarloDoc odd; // a byte the CSV cannot hold: exported with a warning
    odd.setRxFreq(3, 43000000);
    odd.setFlags(3, FLAG_RX_CODED);
    odd.setRxCode(3, 0x9C);
    store(odd, "odd.q02");
    write("log.txt", "old\n");
    ASSERT_EQ(::mkfifo(path("fifo").c_str(), 0600), 0);
    ASSERT_EQ(::mkfifo(path("lonely").c_str(), 0600), 0);
    fs::create_directory(path("folder"));
    const std::string x = "'" + CLI + "' export ";
    const struct {
        std::string line;
        int exit;
        const char* file;
        std::string content;
    } cases[] = {
        {x + "a.q02 -o out.csv", 0, "out.csv", csv},
        {x + "a.q02 > stdout.csv", 0, "stdout.csv", csv},
        {x + "a.q02 -o - > dash.txt", 0, "dash.txt", csv},
        {x + "a.q02 -o /dev/stdout >> log.txt", 0, "log.txt", "old\n" + csv},
        {x + "a.q02 -o /dev/stdout | cat > piped.txt", 0, "piped.txt", csv},
        {"exec 3<>fifo && " + x + "a.q02 -o fifo && timeout 10 head -c " +
             std::to_string(csv.size()) + " <&3 > fromfifo.txt",
         0, "fromfifo.txt", csv},
        {"timeout 10 " + x + "a.q02 -o lonely 2> err.txt", 1, "err.txt",
         "qarlo-cli: lonely: cannot be written (no program is reading it)\n"},
        {x + "a.q02 -o folder 2> err.txt", 1, "err.txt",
         "qarlo-cli: folder: not a regular file (a directory)\n"},
        {x + "a.q02 -o nodir/x.csv 2> err.txt", 1, "err.txt",
         "qarlo-cli: nodir/x.csv: cannot be written (No such file or directory)\n"},
        {x + "missing.q02 -o x.csv 2> err.txt", 2, "err.txt",
         "qarlo-cli: missing.q02: cannot be opened (No such file or directory)\n"},
        {x + "odd.q02 -o odd.csv 2> err.txt", 0, "err.txt",
         "qarlo-cli: warning: odd.csv:2: column RxDtcsCode: 04频道: receive DCS byte 0x9C is not "
         "the byte of any of the 166 codes; importing this row will fail\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line);
        EXPECT_EQ(run(c.line), c.exit);
        EXPECT_EQ(read(c.file), c.content);
    }
    EXPECT_FALSE(fs::exists(path("x.csv")));
    struct stat st {};
    for (const char* fifo : {"fifo", "lonely"})
        EXPECT_TRUE(::stat(path(fifo).c_str(), &st) == 0 && S_ISFIFO(st.st_mode)) << fifo;
}

// What is no CSV of channels, or a CSV with errors, is refused with the reasons, and FILE is
// neither changed nor made: no file, no rows, a FIFO, a device, more than a CSV can need (a file or
// a stream), every error of every row.
TEST_F(CsvCli, ImportRefusesWhatIsNoCsvAndLeavesTheFile) {
    write("header.csv", "Location,Frequency\r# nothing yet\r");
    write("in.csv", "Location,Frequency,Tone,rToneFreq\n# "
                    "fine\n1,430,Tone,67\n17,430,Tone,66\n2,430,TSQL-R,67\n1,x,\n");
    ASSERT_EQ(::mkfifo(path("fifo.csv").c_str(), 0600), 0);
    for (const auto& [name, size] :
         {std::pair{"cap.csv", CSV_MAX_BYTES}, {"big.csv", CSV_MAX_BYTES + 1}}) {
        write(name, "");
        fs::resize_file(path(name), size);
    }
    std::mt19937 rng(12);
    store(csvtest::RandomDocument(rng), "b.q02");
    const std::string before = read("b.q02");
    const std::string x = "timeout 20 '" + CLI + "' import ";
    const struct {
        std::string line; // the target's name follows
        int exit;
        const char* message;
    } cases[] = {
        {x + "nothere.csv", 2, "nothere.csv: cannot be opened (No such file"},
        {x + "header.csv", 1, "header.csv: no channel rows"},
        {x + "in.csv", 1, // every error of every row
         "in.csv:4: column Location: channel 17 is outside 1..16\n"
         "in.csv:4: column rToneFreq: \"66\" is not one of the 38 tones the radio knows\n"
         "in.csv:5: column Tone: \"TSQL-R\" (reverse squelch) is not something the radio "
         "can do\nin.csv:6: the row has 3 cells, the header 4\nqarlo-cli: "},
        {"printf 'Location,Frequency\\n0,430\\n' | " + x + "-", 1, "<stdin>:2: column Location: "},
        {x + "fifo.csv", 2, "fifo.csv: not a regular file (a FIFO)"},
        {x + "/dev/zero", 2, "/dev/zero: not a regular file (a character device)"},
        {x + "- < .", 2, "<stdin>: cannot be opened (Is a directory)"},
        {x + "cap.csv", 1, "cap.csv:1: column Location"}, // at the cap: read
        {x + "big.csv", 2, "big.csv: too large"},
        {"yes | " + x + "-", 2, "<stdin>: too large"}};
    for (const auto& c : cases) {
        for (const char* target : {"b.q02", "new.q02"}) {
            SCOPED_TRACE(c.line + " " + target);
            EXPECT_EQ(run(c.line + " " + target + " > out.txt 2> err.txt"), c.exit);
            EXPECT_NE(read("err.txt").find(c.message), std::string::npos) << read("err.txt");
            EXPECT_EQ(read("out.txt"), "");
        }
        EXPECT_EQ(read("b.q02"), before);
        EXPECT_FALSE(fs::exists(path("new.q02")));
    }
}

TEST_F(CsvCli, ImportCreatesAMissingFileAndRefusesABadOne) {
    // A good CSV makes a missing FILE and says how many channels it set; a bad FILE stays.
    write("in.csv", "Location,Frequency,Mode\n3,439.0125,NFM\n");
    ASSERT_EQ(cli("import in.csv new.q02 > out.txt"), 0);
    EXPECT_EQ(read("out.txt"), "1 channel set in new.q02\n");
    EXPECT_EQ(load("new.q02").rxFreq(2), 43901250);
    write("short.q02", "too short");
    EXPECT_EQ(cli("import in.csv short.q02 2> err.txt"), 2);
    EXPECT_EQ(read("short.q02"), "too short");
    EXPECT_NE(read("err.txt").find("short.q02"), std::string::npos);
}

} // namespace
} // namespace qarlo
