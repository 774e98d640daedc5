#include "radio/RadioImage.h"
#include "memory/Bytes.h"
#include "radio/TransferOutcome.h"

#include <gtest/gtest.h>

#include <map>
#include <random>
#include <string>
#include <vector>

namespace qarlo {
namespace {

constexpr std::uint8_t SquelchBytes[10] = {0xF9, 0xE9, 0xD8, 0xC8, 0xB8,
                                           0xA7, 0x97, 0x87, 0x76, 0x66};

// MHz as 10 Hz units, and as 40 Hz band-edge units.
constexpr std::uint32_t MHz(double mhz) {
    return static_cast<std::uint32_t>(mhz * 100000.0 + 0.5);
}
constexpr std::uint32_t BandMHz(int mhz) {
    return static_cast<std::uint32_t>(mhz) * 25000u;
}

void setFreqs(CQarloDoc& doc, int ch, std::uint32_t rx, std::uint32_t tx) {
    writeBE32(doc.record(ch) + REC_RX_FREQ, rx);
    writeBE32(doc.record(ch) + REC_TX_FREQ, tx);
}
void setBand(CQarloDoc& doc, std::uint32_t low, std::uint32_t high) {
    writeBE24(doc.ChannelMemory.data() + MEM_BAND_LOW, low);
    writeBE24(doc.ChannelMemory.data() + MEM_BAND_HIGH, high);
}

// The message of each check, as the user reads it (check 0: none).
// clang-format off
const char* const Messages[11] = {"", "接收频率与发射频率的差值必须小于等于10MHz",
    "频段值必须在100MHz－480MHz内", "频段值必须以1MHz递增", "频段范围必须在10MHz－40MHz内",
    "频段值必须以1MHz递增", "接收频率值超出频段范围", "发射频率值超出频段范围",
    "接收频率值必须是6.25KHz或5KHz的整数倍", "发射频率值必须是6.25KHz或5KHz的整数倍",
    "发射限时必须大于等于0.1，小于等于10"};
// clang-format on

struct Channel {
    int ch;
    std::uint32_t rx, tx;
};

constexpr std::uint32_t L400 = BandMHz(400), H440 = BandMHz(440);

// Channels set on a document with band low..high and time-out tot (every other channel empty);
// check 0: everything passes.
struct CheckCase {
    const char* what;
    std::vector<Channel> channels;
    std::uint32_t low, high;
    int tot, check, channel;
};

// clang-format off
const CheckCase CheckCases[] = {
    {"10 MHz apart passes", {{0, MHz(400), MHz(410)}}, L400, H440, 50, 0, 0},
    {"tx just over 10 MHz", {{0, MHz(400), MHz(410.00625)}}, L400, H440, 50, 1, 0},
    {"band 480..520", {}, BandMHz(480), BandMHz(520), 50, 0, 0},
    {"band low 99", {}, BandMHz(99), BandMHz(110), 50, 2, 0},
    {"band low 400.5", {}, L400 + 12500, H440, 50, 3, 0},
    {"span 9", {}, L400, BandMHz(409), 50, 4, 0}, {"negative span", {}, H440, L400, 50, 4, 0},
    {"band high 430.5", {}, L400, BandMHz(430) + 12500, 50, 5, 0},
    {"largest edges do not overflow", {}, 0xFFFFFF, 0xFFFFFF, 50, 2, 0},
    {"rx and tx on the upper edge", {{0, MHz(440), MHz(440)}}, L400, H440, 50, 0, 0},
    {"rx 10 Hz above", {{0, MHz(440) + 1, MHz(440)}}, L400, H440, 50, 6, 0},
    {"tx 10 Hz above", {{0, MHz(440), MHz(440) + 1}}, L400, H440, 50, 7, 0},
    {"6.25 and 5 kHz steps", {{0, MHz(430.00625), MHz(430.005)}}, L400, H440, 50, 0, 0},
    {"rx 430.001", {{0, MHz(430.001), MHz(430)}}, L400, H440, 50, 8, 0},
    {"tx 430.001", {{0, MHz(430), MHz(430.001)}}, L400, H440, 50, 9, 0},
    {"tot 100", {}, L400, H440, 100, 0, 0}, {"tot 101", {}, L400, H440, 101, 10, 0},
    {"channel 0's difference first", {{0, 0, MHz(430)}}, 0, 0, 0, 1, 0},
    {"time-out on channel 0", {{9, MHz(500), MHz(500)}}, L400, H440, 0, 10, 0},
    {"the first bad channel wins", {{12, MHz(430.001), MHz(430)}, {4, MHz(430), MHz(430.001)}}, L400, H440, 50, 9, 4},
    {"last channel, one frequency", {{15, MHz(430), 0}}, L400, H440, 50, 1, 15},
    {"spare rows take no part", {{16, MHz(999), 0}, {63, 1, 2}}, L400, H440, 50, 0, 0},
    // Top bit set: the number is negative and must not wrap into a small difference.
    {"most negative rx", {{3, 0x80000000u, 0x7FFFFFFFu}}, L400, H440, 50, 1, 3},
};
// clang-format on

TEST(Checks, EveryCheckWithItsMessageOrderAndChannel) {
    for (const auto& c : CheckCases) {
        SCOPED_TRACE(c.what);
        CQarloDoc doc;
        setBand(doc, c.low, c.high);
        doc.setTotTenths(static_cast<std::uint8_t>(c.tot));
        for (const auto& f : c.channels)
            setFreqs(doc, f.ch, f.rx, f.tx);
        const auto memory = doc.ChannelMemory;
        IoBufferBytes buffer;
        buffer.fill(0xA5);
        const EncodeResult result = EncodeRadioImage(doc, buffer);
        EXPECT_EQ(doc.ChannelMemory, memory);
        if (c.check == 0) {
            EXPECT_TRUE(result.ok()) << result.failure->check;
            continue;
        }
        ASSERT_FALSE(result.ok());
        EXPECT_EQ(result.failure->check, c.check);
        EXPECT_EQ(result.failure->channel, c.channel);
        EXPECT_EQ(CheckMessage(*result.failure), Messages[c.check]);
        for (auto b : buffer) // a failed check leaves the buffer as it was
            ASSERT_EQ(b, 0xA5);
    }
}

// Outgoing: the first 256 bytes of the memory with squelch levels as the radio's bytes and the
// settings folded into the spare bytes of records 0 and 1; the incoming half stays as it was.
// Incoming: the same unfolded, squelch bytes the table lacks read as level 3, the folded bytes
// cleared, spare rows, the other settings, the list and the selection untouched; the outgoing
// half becomes a copy.
TEST(Image, EncodeAndDecodeTheImage) {
    std::mt19937 gen(42);
    CQarloDoc doc;
    for (auto& b : doc.ChannelMemory)
        b = static_cast<std::uint8_t>(gen());
    setBand(doc, BandMHz(400), BandMHz(440));
    doc.setTotTenths(50);
    for (int ch = 0; ch < CHANNEL_COUNT; ++ch) { // in the band, on 6.25 and 5 kHz steps
        const auto base = MHz(400) + 5000 * static_cast<std::uint32_t>(gen() % 600);
        setFreqs(doc, ch, base + 625 * static_cast<std::uint32_t>(gen() % 16),
                 base + 500 * static_cast<std::uint32_t>(gen() % 2001));
        doc.setSquelch(ch, static_cast<std::uint8_t>(ch < 10 ? ch : 10 + gen() % 246));
    }
    setFreqs(doc, 6, 0, 0); // an empty channel among them
    doc.ProgrammedChannelList.fill(0x42);
    doc.selectedChannel = 11;
    const CQarloDoc before = doc;
    IoBufferBytes buffer;
    buffer.fill(0x5A);
    ASSERT_TRUE(EncodeRadioImage(doc, buffer).ok());
    EXPECT_EQ(doc.ChannelMemory, before.ChannelMemory);
    const std::map<int, std::uint8_t> folded{{11, 50}, {13, 0x98}, {14, 0x96}, {15, 0x80}, {30, 4}};
    for (int k = 0; k < 512; ++k) {
        std::uint8_t expected = k < 256 ? before.ChannelMemory[k] : 0x5A;
        if (k < 256 && k % 16 == 12) expected = k / 16 < 10 ? SquelchBytes[k / 16] : 200;
        if (folded.count(k)) expected = folded.at(k);
        ASSERT_EQ(buffer[k], expected) << "byte " << k;
    }
    std::copy_n(buffer.begin(), 256, buffer.begin() + 256);
    buffer[13] = buffer[14] = buffer[15] = 0xFF; // the largest lower edge: the upper keeps 24 bits
    buffer[256 + 13] = buffer[256 + 14] = buffer[256 + 15] = 0xFF;
    buffer[256 + 5 * 16 + 12] = 0; // squelch bytes the table lacks
    buffer[256 + 9 * 16 + 12] = 201;
    const IoBufferBytes incoming = buffer;
    DecodeRadioImage(doc, buffer);
    for (int k = 0; k < 1040; ++k) {
        std::uint8_t expected = k < 256 ? incoming[256 + k] : before.ChannelMemory[k];
        if (folded.count(k)) expected = 0;
        if (k < 256 && k % 16 == 12)
            expected = static_cast<std::uint8_t>(k / 16 == 5 || k / 16 >= 9 ? 3 : k / 16);
        if (k >= 1026 && k <= 1032) continue; // the unfolded settings, below
        ASSERT_EQ(doc.ChannelMemory[k], expected) << "byte " << k;
        ASSERT_TRUE(k >= 256 || buffer[k] == incoming[256 + k]) << k;
    }
    EXPECT_EQ(doc.totTenths(), 50);
    EXPECT_EQ(doc.bandLow(), 0xFFFFFF);
    EXPECT_EQ(doc.bandHigh(), (0xFFFFFF + 4 * 250000) & 0xFFFFFF);
    EXPECT_EQ(doc.ProgrammedChannelList, before.ProgrammedChannelList);
    EXPECT_EQ(doc.selectedChannel, 11);
}

} // namespace
} // namespace qarlo
