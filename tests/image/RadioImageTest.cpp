#include "radio/RadioImage.h"
#include "memory/Bytes.h"

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

const char* const Messages[11] = {"",
                                  "接收频率与发射频率的差值必须小于等于10MHz",
                                  "频段值必须在100MHz－480MHz内",
                                  "频段值必须以1MHz递增",
                                  "频段范围必须在10MHz－40MHz内",
                                  "频段值必须以1MHz递增",
                                  "接收频率值超出频段范围",
                                  "发射频率值超出频段范围",
                                  "接收频率值必须是6.25KHz或5KHz的整数倍",
                                  "发射频率值必须是6.25KHz或5KHz的整数倍",
                                  "发射限时必须大于等于0.1，小于等于10"};

struct Channel {
    int ch;
    std::uint32_t rx, tx;
};

// Starting from band 400..440 MHz, time-out 50 and every channel empty (which passes).
struct CheckCase {
    const char* what;
    std::vector<Channel> channels = {};
    std::uint32_t low = BandMHz(400), high = BandMHz(440);
    int tot = 50;
    int check = 0; // 0: everything passes
    int channel = 0;
};

const CheckCase CheckCases[] = {
    {.what = "valid document"},
    {.what = "10 MHz apart passes", .channels = {{0, MHz(400), MHz(410)}}},
    {.what = "tx just over 10 MHz", .channels = {{0, MHz(400), MHz(410.00625)}}, .check = 1},
    {.what = "rx just over 10 MHz", .channels = {{0, MHz(410.00625), MHz(400)}}, .check = 1},
    {.what = "10 MHz apart, band invalid",
     .channels = {{0, MHz(400), MHz(410)}},
     .low = 0,
     .high = 0,
     .check = 2},
    {.what = "11 MHz apart, band invalid",
     .channels = {{0, MHz(400), MHz(411)}},
     .low = 0,
     .high = 0,
     .check = 1},
    {.what = "only rx, 10 MHz", .channels = {{0, 1000000, 0}}, .check = 6},
    {.what = "only rx, above 10 MHz", .channels = {{0, 1000001, 0}}, .check = 1},
    {.what = "band 100..110", .low = BandMHz(100), .high = BandMHz(110)},
    {.what = "band 480..520", .low = BandMHz(480), .high = BandMHz(520)},
    {.what = "band low 99", .low = BandMHz(99), .high = BandMHz(110), .check = 2},
    {.what = "band low 481", .low = BandMHz(481), .high = BandMHz(500), .check = 2},
    {.what = "band low 100 less 40 Hz", .low = BandMHz(100) - 1, .high = BandMHz(110), .check = 2},
    {.what = "band low 400.5", .low = BandMHz(400) + 12500, .check = 3},
    {.what = "span 10", .high = BandMHz(410)},
    {.what = "span 9", .high = BandMHz(409), .check = 4},
    {.what = "span 41", .high = BandMHz(441), .check = 4},
    {.what = "negative span", .low = BandMHz(440), .high = BandMHz(400), .check = 4},
    {.what = "band high 430.5", .high = BandMHz(430) + 12500, .check = 5},
    {.what = "largest edges do not overflow", .low = 0xFFFFFF, .high = 0xFFFFFF, .check = 2},
    {.what = "rx on the upper edge", .channels = {{0, MHz(440), MHz(440)}}},
    {.what = "rx on the lower edge", .channels = {{0, MHz(400), MHz(400)}}},
    {.what = "rx 10 Hz above", .channels = {{0, MHz(440) + 1, MHz(440)}}, .check = 6},
    {.what = "rx 10 Hz below", .channels = {{0, MHz(400) - 1, MHz(400)}}, .check = 6},
    {.what = "tx 10 Hz above", .channels = {{0, MHz(440), MHz(440) + 1}}, .check = 7},
    {.what = "tx below", .channels = {{0, MHz(400), MHz(399.995)}}, .check = 7},
    {.what = "tx only, out of band", .channels = {{0, 0, MHz(9)}}, .check = 7},
    {.what = "6.25 and 5 kHz steps", .channels = {{0, MHz(430.00625), MHz(430.005)}}},
    {.what = "rx 430.001", .channels = {{0, MHz(430.001), MHz(430)}}, .check = 8},
    {.what = "tx 430.001", .channels = {{0, MHz(430), MHz(430.001)}}, .check = 9},
    {.what = "tot 1", .tot = 1},
    {.what = "tot 100", .tot = 100},
    {.what = "tot 0", .tot = 0, .check = 10},
    {.what = "tot 101", .tot = 101, .check = 10},
    {.what = "channel 0's steps before the time-out",
     .channels = {{0, MHz(430.001), MHz(430)}},
     .tot = 0,
     .check = 8},
    {.what = "channel 0's difference before the band",
     .channels = {{0, 0, MHz(430)}},
     .low = 0,
     .high = 0,
     .tot = 0,
     .check = 1},
    {.what = "time-out lands on channel 0",
     .channels = {{9, MHz(500), MHz(500)}},
     .tot = 0,
     .check = 10},
    {.what = "band lands on channel 0",
     .channels = {{9, MHz(500), MHz(520)}},
     .low = 0,
     .high = 0,
     .check = 2},
    {.what = "a later channel reports itself",
     .channels = {{7, MHz(441), MHz(440)}},
     .check = 6,
     .channel = 7},
    {.what = "the first bad channel wins",
     .channels = {{12, MHz(430.001), MHz(430)}, {4, MHz(430), MHz(430.001)}},
     .check = 9,
     .channel = 4},
    {.what = "last channel, one frequency",
     .channels = {{15, MHz(430), 0}},
     .check = 1,
     .channel = 15},
    {.what = "spare rows take no part", .channels = {{16, MHz(999), 0}, {63, 1, 2}}},
    // Top bit set: the number is negative and must not wrap into a small difference.
    {.what = "most negative rx, most positive tx",
     .channels = {{3, 0x80000000u, 0x7FFFFFFFu}},
     .check = 1,
     .channel = 3},
    {.what = "rx -1, tx 0", .channels = {{3, 0xFFFFFFFFu, 0}}, .check = 6, .channel = 3},
    {.what = "negative rx and tx equal",
     .channels = {{2, 0xF0000000u, 0xF0000000u}},
     .check = 6,
     .channel = 2},
    {.what = "negative tx, a 5 kHz multiple",
     .channels = {{2, MHz(430), 0xFFFFFE0Cu}},
     .check = 1,
     .channel = 2},
};

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
        EXPECT_EQ(result.failure->message, Messages[c.check]);
        for (auto b : buffer) // a failed check leaves the buffer as it was
            ASSERT_EQ(b, 0xA5);
    }
    // A new document: band edges 0, channel 0 current.
    const auto failure = CheckDocument(CQarloDoc{});
    ASSERT_TRUE(failure.has_value());
    EXPECT_EQ(failure->message, Messages[2]);
    EXPECT_EQ(failure->channel, 0);
}

TEST(Image, BandSpanAndSquelchBytes) {
    const std::pair<int, int> spans[] = {{410, 1}, {415, 1}, {419, 1}, {420, 2}, {440, 4}};
    for (const auto& [high, span] : spans)
        EXPECT_EQ(bandSpan(BandMHz(400), BandMHz(high)), span) << high;
    EXPECT_EQ(bandSpan(0, 0xFFFFFF), 67);
    for (int level = 0; level < 256; ++level) // a level the table lacks goes out as level 3's
        EXPECT_EQ(SquelchByte(static_cast<std::uint8_t>(level)),
                  level < 10 ? SquelchBytes[level] : 200);
}

// Random bytes wherever the checks do not look; valid frequencies, band and time-out.
CQarloDoc randomValidDocument(unsigned seed) {
    std::mt19937 gen(seed);
    CQarloDoc doc;
    for (auto& b : doc.ChannelMemory)
        b = static_cast<std::uint8_t>(gen());
    setBand(doc, BandMHz(400), BandMHz(440));
    doc.setTotTenths(50);
    for (int ch = 0; ch < CHANNEL_COUNT; ++ch) {
        // Within the band, on 6.25 kHz and 5 kHz steps, at most 10 MHz apart.
        const auto base = MHz(400) + 5000 * static_cast<std::uint32_t>(gen() % 600);
        setFreqs(doc, ch, base + 625 * static_cast<std::uint32_t>(gen() % 16),
                 base + 500 * static_cast<std::uint32_t>(gen() % 2001));
        doc.setSquelch(ch, static_cast<std::uint8_t>(gen() % 10));
    }
    setFreqs(doc, 6, 0, 0); // an empty channel among them
    doc.setSquelch(3, 12);  // levels a file can hold but the radio has no byte for
    doc.setSquelch(4, 0xFF);
    return doc;
}

TEST(Image, EncodeBuildsTheOutgoingImage) {
    CQarloDoc doc = randomValidDocument(42);
    const auto memory = doc.ChannelMemory;
    IoBufferBytes buffer;
    buffer.fill(0x5A);
    ASSERT_TRUE(EncodeRadioImage(doc, buffer).ok());
    for (int k = 0; k < 512; ++k) {
        std::uint8_t expected = k < 256 ? memory[k] : 0x5A;
        if (k < 256 && k % 16 == 12) expected = memory[k] < 10 ? SquelchBytes[memory[k]] : 200;
        const std::map<int, std::uint8_t> folded{
            {11, 50}, {13, 0x98}, {14, 0x96}, {15, 0x80}, {30, 4}};
        if (folded.count(k)) expected = folded.at(k);
        ASSERT_EQ(buffer[k], expected) << "byte " << k;
    }
    EXPECT_EQ(doc.ChannelMemory, memory); // encoding changes nothing in the document
}

TEST(Image, DecodeTakesTheImageIntoTheDocument) {
    std::mt19937 gen(7);
    RadioImage incoming{};
    for (auto& b : incoming)
        b = static_cast<std::uint8_t>(gen());
    // Squelch bytes: every table value, then some that are not.
    const std::uint8_t strays[6] = {0, 1, 201, 0xFF, 0x65, 0x67};
    for (int r = 0; r < 16; ++r)
        incoming[r * 16 + 12] = r < 10 ? SquelchBytes[r] : strays[r - 10];
    incoming[11] = 77;
    incoming[13] = 0xFF; // the largest lower edge: the upper one keeps its low 24 bits
    incoming[14] = 0xFF;
    incoming[15] = 0xFF;
    incoming[30] = 3;

    CQarloDoc doc;
    for (auto& b : doc.ChannelMemory)
        b = static_cast<std::uint8_t>(gen());
    doc.ProgrammedChannelList.fill(0x42);
    doc.selectedChannel = 11;
    const CQarloDoc before = doc;
    IoBufferBytes buffer{};
    std::copy(incoming.begin(), incoming.end(), buffer.begin() + 256);
    DecodeRadioImage(doc, buffer);

    for (int k = 0; k < 256; ++k) {
        const int r = k / 16;
        std::uint8_t expected = incoming[k];
        if (k == 11 || k == 13 || k == 14 || k == 15 || k == 30) expected = 0;
        if (k % 16 == 12) expected = r < 10 ? static_cast<std::uint8_t>(r) : 3;
        ASSERT_EQ(doc.ChannelMemory[k], expected) << "record " << r << " byte " << k % 16;
        ASSERT_EQ(buffer[k], incoming[k]) << k; // the outgoing half becomes a copy
        ASSERT_EQ(buffer[256 + k], incoming[k]) << k;
    }
    EXPECT_EQ(doc.totTenths(), 77);
    EXPECT_EQ(doc.bandLow(), 0xFFFFFF);
    EXPECT_EQ(doc.bandHigh(), (0xFFFFFF + 3 * 250000) & 0xFFFFFF);
    for (int k = 256; k < 1040; ++k) // spare rows and settings other than the three unfolded
        ASSERT_EQ(doc.ChannelMemory[k],
                  k >= 1026 && k <= 1032 ? doc.ChannelMemory[k] : before.ChannelMemory[k])
            << k;
    EXPECT_EQ(doc.ProgrammedChannelList, before.ProgrammedChannelList);
    EXPECT_EQ(doc.selectedChannel, 11);
}

TEST(Image, EncodeAfterDecodeGivesTheImageBack) {
    IoBufferBytes buffer{};
    ASSERT_TRUE(EncodeRadioImage(randomValidDocument(99), buffer).ok());
    std::copy_n(buffer.begin(), 256, buffer.begin() + 256);
    buffer[256 + 5 * 16 + 12] = 0; // squelch bytes the table lacks come back as level 3, 200
    buffer[256 + 9 * 16 + 12] = 201;
    const IoBufferBytes incoming = buffer;
    CQarloDoc doc;
    DecodeRadioImage(doc, buffer);
    IoBufferBytes out{};
    ASSERT_TRUE(EncodeRadioImage(doc, out).ok());
    for (int k = 0; k < 256; ++k) {
        const bool stray = k == 5 * 16 + 12 || k == 9 * 16 + 12;
        ASSERT_EQ(out[k], stray ? 200 : incoming[256 + k]) << k;
    }
}

TEST(Image, Band400To415GoesOutAsOneStepAndComesBackAs410) {
    CQarloDoc doc;
    setBand(doc, BandMHz(400), BandMHz(415));
    setFreqs(doc, 0, MHz(412.5), MHz(412.5));
    IoBufferBytes buffer{};
    ASSERT_TRUE(EncodeRadioImage(doc, buffer).ok());
    EXPECT_EQ(buffer[30], 1);
    std::copy_n(buffer.begin(), 256, buffer.begin() + 256);
    CQarloDoc back;
    DecodeRadioImage(back, buffer);
    EXPECT_EQ(back.bandLow(), BandMHz(400));
    EXPECT_EQ(back.bandHigh(), BandMHz(410));
}

} // namespace
} // namespace qarlo
