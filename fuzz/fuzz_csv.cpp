// Arbitrary text imported as CSV over a document of arbitrary bytes.
#include "Invariants.h"
#include "memory/Csv.h"

#include <algorithm>

using namespace qarlo;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // The first 1040 bytes (when there are that many) seed the document, the rest is the CSV.
    CQarloDoc doc;
    std::size_t offset = 0;
    if (size > static_cast<std::size_t>(CHANNEL_MEMORY_SIZE) && data[0] == '!') {
        std::copy_n(data + 1, CHANNEL_MEMORY_SIZE, doc.ChannelMemory.begin());
        doc.RebuildProgrammedList();
        offset = 1 + CHANNEL_MEMORY_SIZE;
    }
    const std::string_view text(reinterpret_cast<const char*>(data + offset), size - offset);
    const CQarloDoc before = doc;
    const CsvImportResult result = ImportCsv(doc, text);
    if (!result.ok()) {
        fuzz::require(doc.ChannelMemory == before.ChannelMemory,
                      "a failed import changed the document");
        return 0;
    }
    fuzz::requireProgrammedListConsistent(doc);
    // What was imported exports and imports again to the same bytes.
    if (CsvExportProblems(doc).empty()) {
        CQarloDoc again = doc;
        const CsvImportResult second = ImportCsv(again, ExportCsv(doc));
        fuzz::require(second.ok(), "the export of an imported document does not import");
        fuzz::require(again.ChannelMemory == doc.ChannelMemory,
                      "export then import changed a byte");
    }
    return 0;
}
