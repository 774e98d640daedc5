// qarlo-cli diff: two channel files compared field by field, spare rows and reserved bytes too.
#include "Command.h"
#include "DiffOutput.h"
#include "common.h"

#include "memory/Diff.h"

namespace qarlo::cli {
namespace {

int runDiff(const Invocation& invocation) {
    CQarloDoc a, b;
    if (!LoadOrReport(a, invocation.operands[0]) || !LoadOrReport(b, invocation.operands[1]))
        return EXIT_USAGE;
    const std::vector<Difference> differences = DiffDocuments(a, b, DiffScope::File);
    if (invocation.isSet("json"))
        PrintDifferencesJson(differences);
    else
        PrintDifferences(differences);
    return differences.empty() ? EXIT_OK : EXIT_FAILED;
}

} // namespace

const Command DiffCommand{
    "diff",
    "compare two channel files field by field",
    "usage: qarlo-cli diff A.q02 B.q02 [--json]\n"
    "\n"
    "Prints every difference from A to B, one field a line, in the form's terms:\n"
    "  03频道: 接收频率 438.500 → 438.525 MHz\n"
    "  03频道: 发射编码 QT 67 → DQT 023N\n"
    "  整机设置: TOT限时 5 → 2.5 分\n"
    "Bytes no field uses are compared too and named as such: a record's or the settings\n"
    "row's reserved bytes (保留字节N), flag bits (保留标志位) and the 48 spare rows\n"
    "(备用行17 .. 备用行64, their 16 bytes in hex).\n"
    "\n"
    "  --json  print {\"same\": BOOL, \"differences\": [...]} instead\n"
    "\n"
    "Exit status: 0 the files hold the same, 1 they differ, 2 a file cannot be read or is no\n"
    "channel file, or bad usage.\n",
    "A.q02 B.q02",
    JsonOptions,
    runDiff};

} // namespace qarlo::cli
