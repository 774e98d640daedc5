#include "CQarloDoc.h"

#include "Bytes.h"

#include <algorithm>

namespace qarlo {

namespace {
constexpr auto makeChannelNames() {
    std::array<std::array<char, 9>, 64> names{};
    for (int k = 0; k < 64; ++k) {
        const int n = k + 1;
        // "频道" in UTF-8 after the two digits.
        names[k] = {static_cast<char>('0' + n / 10), static_cast<char>('0' + n % 10),
                    '\xE9', '\xA2', '\x91', '\xE9', '\x81', '\x93', '\0'};
    }
    return names;
}
constexpr auto ChannelNameTable = makeChannelNames();
} // namespace

std::string_view ChannelName(int index) {
    if (index < 0 || index >= static_cast<int>(ChannelNameTable.size())) return {};
    return {ChannelNameTable[index].data(), 8};
}

CQarloDoc::CQarloDoc() : portName("COM1") {
    // A document nobody has initialised yet still meets the editor's expectations.
    OnNewDocument();
}

bool CQarloDoc::OnNewDocument() {
    modified = false;
    selectedChannel = NO_CHANNEL;
    listRefillPending = -1;
    ChannelMemory.fill(0);
    for (int ch = 0; ch < CHANNEL_COUNT; ++ch) {
        record(ch)[REC_SQUELCH] = DEFAULT_SQUELCH;
        ProgrammedChannelList[ch] = LIST_END;
    }
    ChannelMemory[MEM_TOT_TENTHS] = DEFAULT_TOT_TENTHS;
    return true;
}

std::int32_t CQarloDoc::rxFreq(int channel) const {
    return readSignedBE32(record(channel) + REC_RX_FREQ);
}
std::int32_t CQarloDoc::txFreq(int channel) const {
    return readSignedBE32(record(channel) + REC_TX_FREQ);
}
void CQarloDoc::setRxFreq(int channel, std::int32_t units) {
    storeBE(record(channel) + REC_RX_FREQ, 4, units);
}
void CQarloDoc::setTxFreq(int channel, std::int32_t units) {
    storeBE(record(channel) + REC_TX_FREQ, 4, units);
}
std::int32_t CQarloDoc::bandLow() const {
    return static_cast<std::int32_t>(readBE24(ChannelMemory.data() + MEM_BAND_LOW));
}
std::int32_t CQarloDoc::bandHigh() const {
    return static_cast<std::int32_t>(readBE24(ChannelMemory.data() + MEM_BAND_HIGH));
}
void CQarloDoc::setBandLow(std::int32_t units) {
    storeBE(ChannelMemory.data() + MEM_BAND_LOW, 3, units);
}
void CQarloDoc::setBandHigh(std::int32_t units) {
    storeBE(ChannelMemory.data() + MEM_BAND_HIGH, 3, units);
}

bool CQarloDoc::IsChannelProgrammed(int channel) const {
    if (channel < 0 || channel >= CHANNEL_COUNT) return false;
    return rxFreq(channel) >= PROGRAMMED_MIN_FREQ && txFreq(channel) >= PROGRAMMED_MIN_FREQ;
}

void CQarloDoc::RebuildProgrammedList() {
    ProgrammedChannelList.fill(LIST_END);
    listRefillPending = -1;
    int next = 0;
    for (int ch = 0; ch < CHANNEL_COUNT; ++ch) {
        if (IsChannelProgrammed(ch)) ProgrammedChannelList[next++] = static_cast<std::uint8_t>(ch);
    }
}

int CQarloDoc::programmedCount() const {
    const auto end = std::find(ProgrammedChannelList.begin(), ProgrammedChannelList.end(), LIST_END);
    return static_cast<int>(end - ProgrammedChannelList.begin());
}

} // namespace qarlo
