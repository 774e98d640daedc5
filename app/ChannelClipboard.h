#pragma once
// Channels on the clipboard, twice: the 16 bytes of each record under a type of our own, so a
// paste within Qarlo keeps every bit, and the same channels as CSV text (the rows an export
// writes, with the header) for a spreadsheet or a text editor.
#include "memory/CQarloDoc.h"
#include "memory/CsvFormat.h"

#include <array>
#include <vector>

class QMimeData;

namespace qarlo {

inline constexpr char CHANNEL_RECORDS_MIME[] = "application/x-qarlo-channel-records";

using ChannelRecordBytes = std::array<std::uint8_t, RECORD_SIZE>;

// The clipboard's contents for `channels` (indices 0..15) of `doc`.
QMimeData* ChannelsMimeData(const CQarloDoc& doc, const std::vector<int>& channels);

struct PastedChannels {
    std::vector<ChannelRecordBytes> records; // in the order a paste writes them
    std::vector<CsvError> errors;            // why the text could not be taken; records empty then
};

// The records held by `data`: ours byte for byte, else its text read as CSV rows (tab-separated
// cells as a spreadsheet copies them, the header optional).
PastedChannels ChannelsFromMimeData(const QMimeData& data);
// Whether a paste of channels could take anything from `data`.
bool HoldsChannels(const QMimeData* data);

} // namespace qarlo
