#include "memory/Bytes.h"
#include "memory/CQarloDoc.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace qarlo {
namespace {

void setRawFreqs(CQarloDoc& doc, int ch, std::uint32_t rx, std::uint32_t tx) {
    writeBE32(doc.record(ch) + REC_RX_FREQ, rx);
    writeBE32(doc.record(ch) + REC_TX_FREQ, tx);
}

// The byte layout a radio image and a channel file share, big-endian, to the byte.
TEST(Document, FieldsSitAtTheirOffsets) {
    CQarloDoc doc;
    doc.setRxFreq(5, 43012500); // 430.125 MHz
    doc.setTxFreq(5, 10000000); // 100 MHz
    doc.setRxCode(5, 0x87);
    doc.setTxCode(5, 0x25);
    doc.setFlags(5, 0xD8);
    doc.setSquelch(5, 9);
    doc.setTotTenths(100);
    doc.setBandLow(10000000);  // 400 MHz
    doc.setBandHigh(11750000); // 470 MHz
    const std::uint8_t record[16] = {0x02, 0x90, 0x51, 0x94, 0x87, 0x00, 0x98, 0x96,
                                     0x80, 0x25, 0xD8, 0x00, 0x09, 0x00, 0x00, 0x00};
    const std::uint8_t settings[16] = {0, 0, 100, 0x98, 0x96, 0x80, 0xB3, 0x4A, 0x70};
    for (int i = 0; i < 16; ++i) {
        EXPECT_EQ(doc.ChannelMemory[5 * 16 + i], record[i]) << "record byte " << i;
        EXPECT_EQ(doc.ChannelMemory[1024 + i], settings[i]) << "settings byte " << i;
        EXPECT_EQ(doc.ChannelMemory[4 * 16 + i], i == 12 ? 3 : 0) << "neighbour byte " << i;
    }
}

// Programmed: both frequencies at least 100 MHz, read signed; codes, flags, squelch and the loose
// bytes play no part, nor does a spare row. The list holds them ascending, then 0xFF.
TEST(Document, ProgrammedRuleAndList) {
    const struct {
        std::uint32_t rx, tx;
        bool programmed;
    } cases[] = {
        // clang-format off
        {10000000, 10000000, true}, {9999999, 10000000, false}, {10000000, 9999999, false},
        {0x7FFFFFFF, 0x7FFFFFFF, true}, {0x80000000, 10000000, false},
        {10000000, 0xFF000000, false}, {52000000, 43012500, true},
        // clang-format on
    };
    CQarloDoc doc;
    std::array<std::uint8_t, 16> expected;
    expected.fill(0xFF);
    int count = 0;
    for (int ch = 0; ch < CHANNEL_COUNT; ++ch) {
        const auto& c = cases[ch % std::size(cases)];
        setRawFreqs(doc, ch, c.rx, c.tx);
        for (int b : {4, 9, 10, 11, 12, 13, 14, 15})
            doc.record(ch)[b] = 0xFF;
        EXPECT_EQ(doc.IsChannelProgrammed(ch), c.programmed) << std::hex << c.rx << " " << c.tx;
        if (c.programmed) expected[count++] = static_cast<std::uint8_t>(ch);
    }
    setRawFreqs(doc, 16, 10000000, 10000000); // a spare row is never a channel
    EXPECT_FALSE(doc.IsChannelProgrammed(16));
    EXPECT_FALSE(doc.IsChannelProgrammed(-1));
    doc.ProgrammedChannelList = {7, 1, 2, 0xFF, 9, 9, 9, 9, 0, 0, 0, 0, 0, 0, 0, 0};
    doc.listRefillPending = 1;
    doc.RebuildProgrammedList();
    EXPECT_EQ(doc.ProgrammedChannelList, expected);
    EXPECT_EQ(doc.listRefillPending, -1);
    EXPECT_EQ(doc.programmedCount(), count);
}

} // namespace
} // namespace qarlo
