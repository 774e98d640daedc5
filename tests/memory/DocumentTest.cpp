#include "memory/Bytes.h"
#include "memory/CQarloDoc.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <random>

namespace qarlo {
namespace {

void fillRandom(CQarloDoc& doc, unsigned seed) {
    std::mt19937 gen(seed);
    for (auto& b : doc.ChannelMemory)
        b = static_cast<std::uint8_t>(gen());
    for (auto& b : doc.ProgrammedChannelList)
        b = static_cast<std::uint8_t>(gen());
    doc.listRefillPending = 1;
    doc.selectedChannel = 6;
}

void setRawFreqs(CQarloDoc& doc, int ch, std::uint32_t rx, std::uint32_t tx) {
    writeBE32(doc.record(ch) + REC_RX_FREQ, rx);
    writeBE32(doc.record(ch) + REC_TX_FREQ, tx);
}

void expectNewDocument(const CQarloDoc& doc) {
    for (int i = 0; i < CHANNEL_MEMORY_SIZE; ++i) {
        std::uint8_t expected = 0;
        if (i < CHANNEL_COUNT * RECORD_SIZE && i % RECORD_SIZE == 12) expected = 3;
        if (i == 1026) expected = 0x32;
        ASSERT_EQ(doc.ChannelMemory[i], expected) << "byte " << i;
    }
    for (auto b : doc.ProgrammedChannelList)
        EXPECT_EQ(b, 0xFF);
    EXPECT_EQ(doc.listRefillPending, -1);
    EXPECT_EQ(doc.selectedChannel, 255);
    EXPECT_FALSE(doc.IsModified());
}

TEST(Document, ConstructedDocumentIsNewAndOnCom1) {
    CQarloDoc doc;
    expectNewDocument(doc);
    EXPECT_EQ(doc.portName, "COM1");
    EXPECT_EQ(doc.totTenths(), 50);
    EXPECT_EQ(doc.bandLow(), 0);
    EXPECT_EQ(doc.bandHigh(), 0);
    EXPECT_EQ(doc.programmedCount(), 0);
}

TEST(Document, NewDocumentResetsEverythingButThePort) {
    CQarloDoc doc;
    fillRandom(doc, 11);
    doc.portName = "COM2";
    doc.SetModifiedFlag(true);
    EXPECT_TRUE(doc.OnNewDocument());
    expectNewDocument(doc);
    EXPECT_EQ(doc.portName, "COM2");
}

TEST(Document, FieldsSitAtTheirOffsets) {
    CQarloDoc doc;
    const int ch = 5;
    const int base = ch * RECORD_SIZE;
    doc.setRxFreq(ch, 43012500); // 430.125 MHz
    doc.setTxFreq(ch, 10000000); // 100 MHz
    doc.setRxCode(ch, 0x87);
    doc.setTxCode(ch, 0x25);
    doc.setFlags(ch, 0xD8);
    doc.setSquelch(ch, 9);
    const std::uint8_t expected[16] = {0x02, 0x90, 0x51, 0x94, 0x87, 0x00, 0x98, 0x96,
                                       0x80, 0x25, 0xD8, 0x00, 0x09, 0x00, 0x00, 0x00};
    for (int i = 0; i < 16; ++i)
        EXPECT_EQ(doc.ChannelMemory[base + i], expected[i]) << "byte " << i;
    EXPECT_EQ(doc.rxFreq(ch), 43012500);
    EXPECT_EQ(doc.txFreq(ch), 10000000);
    EXPECT_EQ(doc.rxCode(ch), 0x87);
    EXPECT_EQ(doc.txCode(ch), 0x25);
    EXPECT_EQ(doc.flags(ch), 0xD8);
    EXPECT_EQ(doc.squelch(ch), 9);
    // Neighbouring records are untouched.
    EXPECT_EQ(doc.rxFreq(4), 0);
    EXPECT_EQ(doc.rxFreq(6), 0);
    EXPECT_EQ(doc.squelch(6), 3);
}

TEST(Document, SettingsSitAtTheirOffsets) {
    CQarloDoc doc;
    doc.setTotTenths(100);
    doc.setBandLow(10000000);  // 400 MHz
    doc.setBandHigh(11750000); // 470 MHz
    const std::uint8_t expected[16] = {0x00, 0x00, 100,  0x98, 0x96, 0x80, 0xB3, 0x4A,
                                       0x70, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00};
    for (int i = 0; i < 16; ++i)
        EXPECT_EQ(doc.ChannelMemory[1024 + i], expected[i]) << "byte " << i;
    EXPECT_EQ(doc.bandLow(), 10000000);
    EXPECT_EQ(doc.bandHigh(), 11750000);
    doc.setBandHigh(0xFFFFFF);
    EXPECT_EQ(doc.bandHigh(), 0xFFFFFF); // 24 bits read unsigned
}

TEST(Document, FrequencyWithTopBitSetReadsNegative) {
    CQarloDoc doc;
    setRawFreqs(doc, 0, 0x80000000u, 0xFFFFFFFFu);
    EXPECT_EQ(doc.rxFreq(0), INT32_MIN);
    EXPECT_EQ(doc.txFreq(0), -1);
}

struct ProgrammedCase {
    std::uint32_t rx, tx;
    bool programmed;
};

TEST(Document, ProgrammedRule) {
    const ProgrammedCase cases[] = {
        {10000000, 10000000, true},     {9999999, 10000000, false},
        {10000000, 9999999, false},     {10000000, 0, false},
        {0, 10000000, false},           {0, 0, false},
        {0x7FFFFFFF, 0x7FFFFFFF, true}, {0x80000000, 10000000, false},
        {10000000, 0xFF000000, false},  {0xFFFFFFFF, 0xFFFFFFFF, false},
        {52000000, 43012500, true},
    };
    for (const auto& c : cases) {
        CQarloDoc doc;
        setRawFreqs(doc, 9, c.rx, c.tx);
        EXPECT_EQ(doc.IsChannelProgrammed(9), c.programmed) << std::hex << c.rx << " " << c.tx;
        // Codes, flags and squelch play no part.
        auto* rec = doc.record(9);
        rec[REC_RX_CODE] = rec[REC_TX_CODE] = rec[REC_FLAGS] = rec[REC_SQUELCH] = 0xFF;
        rec[11] = rec[13] = rec[14] = rec[15] = 0xFF;
        EXPECT_EQ(doc.IsChannelProgrammed(9), c.programmed);
    }
}

TEST(Document, ProgrammedRuleIgnoresIndicesOutsideTheChannels) {
    CQarloDoc doc;
    setRawFreqs(doc, 16, 10000000, 10000000); // a spare row is never a channel
    EXPECT_FALSE(doc.IsChannelProgrammed(16));
    EXPECT_FALSE(doc.IsChannelProgrammed(-1));
    doc.RebuildProgrammedList();
    EXPECT_EQ(doc.programmedCount(), 0);
}

TEST(Document, RebuildListIsAscendingWhateverItHeld) {
    CQarloDoc doc;
    for (int ch : {15, 3, 0})
        setRawFreqs(doc, ch, 43000000, 43000000);
    doc.ProgrammedChannelList = {7, 1, 2, 0xFF, 9, 9, 9, 9, 0, 0, 0, 0, 0, 0, 0, 0};
    doc.listRefillPending = 1;
    doc.RebuildProgrammedList();
    const std::array<std::uint8_t, 16> expected{0x00, 0x03, 0x0F, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF,
                                                0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
    EXPECT_EQ(doc.ProgrammedChannelList, expected);
    EXPECT_EQ(doc.listRefillPending, -1);
    EXPECT_EQ(doc.programmedCount(), 3);
}

TEST(Document, RebuildListWithAllChannelsHasNoEndMarker) {
    CQarloDoc doc;
    for (int ch = 0; ch < CHANNEL_COUNT; ++ch)
        setRawFreqs(doc, ch, 14500000, 14500000);
    doc.RebuildProgrammedList();
    for (int i = 0; i < CHANNEL_COUNT; ++i)
        EXPECT_EQ(doc.ProgrammedChannelList[i], i);
    EXPECT_EQ(doc.programmedCount(), 16);
    // Unprogramming the last channel frees exactly one slot.
    setRawFreqs(doc, 15, 14500000, 0);
    doc.RebuildProgrammedList();
    EXPECT_EQ(doc.programmedCount(), 15);
    EXPECT_EQ(doc.ProgrammedChannelList[15], 0xFF);
}

TEST(Document, ChannelNames) {
    EXPECT_EQ(ChannelName(0), "01频道");
    EXPECT_EQ(ChannelName(9), "10频道");
    EXPECT_EQ(ChannelName(15), "16频道");
    EXPECT_EQ(ChannelName(63), "64频道");
    EXPECT_TRUE(ChannelName(64).empty());
    EXPECT_TRUE(ChannelName(-1).empty());
}

TEST(Bytes, StoreFollowsTheSignedDivisionRule) {
    std::uint8_t p[4] = {};
    storeBE(p, 4, 14501250); // 145.0125 MHz
    EXPECT_EQ(readBE32(p), 0x00DD4582u);
    storeBE(p, 3, 12000000); // 480 MHz band edge
    EXPECT_EQ(p[0], 0xB7);
    EXPECT_EQ(p[1], 0x1B);
    EXPECT_EQ(p[2], 0x00);
    // Negative numbers: each byte is a truncated quotient's low byte, so -1 keeps only its last
    // byte.
    storeBE(p, 4, -1);
    EXPECT_EQ(readBE32(p), 0x000000FFu);
    storeBE(p, 4, -65536);
    EXPECT_EQ(readBE32(p), 0x00FF0000u);
}

} // namespace
} // namespace qarlo
