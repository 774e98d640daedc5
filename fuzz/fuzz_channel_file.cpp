// Arbitrary bytes loaded as a channel file.
#include "Invariants.h"
#include "memory/ChannelFile.h"

#include <algorithm>

using namespace qarlo;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    CQarloDoc doc;
    doc.ChannelMemory[100] = 0x5A; // something a failed load must not leave behind
    const FileError error = LoadChannelBytes(doc, std::span(data, size));
    fuzz::require(doc.listRefillPending == -1, "list not marked stale");
    fuzz::require(doc.selectedChannel == NO_CHANNEL, "selectedChannel not reset");
    fuzz::requireProgrammedListConsistent(doc);
    if (size < static_cast<std::size_t>(CHANNEL_FILE_SIZE)) {
        fuzz::require(error == FileError::InvalidFormat, "short file accepted");
        CQarloDoc fresh;
        fuzz::require(doc.ChannelMemory == fresh.ChannelMemory,
                      "short file left a non-new document");
        return 0;
    }
    fuzz::require(error == FileError::None, "full-size file rejected");
    fuzz::require(std::equal(doc.ChannelMemory.begin(), doc.ChannelMemory.end(), data),
                  "loaded memory differs from the file");
    const auto stored = ChannelFileBytes(doc);
    fuzz::require(std::equal(stored.begin(), stored.begin() + CHANNEL_MEMORY_SIZE, data),
                  "store after load changed a byte");
    return 0;
}
