#include "radio/RadioImage.h"
#include "memory/Bytes.h"

#include <gtest/gtest.h>

#include <functional>
#include <random>
#include <string>

namespace qarlo {
namespace {

constexpr std::uint8_t SquelchBytes[10] = {0xF9, 0xE9, 0xD8, 0xC8, 0xB8,
                                           0xA7, 0x97, 0x87, 0x76, 0x66};

// MHz given as 10 Hz units to keep the cases exact.
constexpr std::int64_t MHz(double mhz) {
    return static_cast<std::int64_t>(mhz * 100000.0 + 0.5);
}

void setFreqs(CQarloDoc& doc, int ch, std::uint32_t rx, std::uint32_t tx) {
    writeBE32(doc.record(ch) + REC_RX_FREQ, rx);
    writeBE32(doc.record(ch) + REC_TX_FREQ, tx);
}
void setBand(CQarloDoc& doc, std::uint32_t low, std::uint32_t high) {
    writeBE24(doc.ChannelMemory.data() + MEM_BAND_LOW, low);
    writeBE24(doc.ChannelMemory.data() + MEM_BAND_HIGH, high);
}
constexpr std::uint32_t BandMHz(int mhz) {
    return static_cast<std::uint32_t>(mhz) * 25000u;
}

// Band 400..440 MHz, time-out 5 minutes, every channel empty: passes every check.
CQarloDoc validDocument() {
    CQarloDoc doc;
    setBand(doc, BandMHz(400), BandMHz(440));
    return doc;
}

struct CheckCase {
    const char* what;
    std::function<void(CQarloDoc&)> change;
    int check; // 0: everything passes
    int channel;
};

std::string_view messageOf(int check) {
    switch (check) {
    case 1:
        return "接收频率与发射频率的差值必须小于等于10MHz";
    case 2:
        return "频段值必须在100MHz－480MHz内";
    case 3:
        return "频段值必须以1MHz递增";
    case 4:
        return "频段范围必须在10MHz－40MHz内";
    case 5:
        return "频段值必须以1MHz递增";
    case 6:
        return "接收频率值超出频段范围";
    case 7:
        return "发射频率值超出频段范围";
    case 8:
        return "接收频率值必须是6.25KHz或5KHz的整数倍";
    case 9:
        return "发射频率值必须是6.25KHz或5KHz的整数倍";
    case 10:
        return "发射限时必须大于等于0.1，小于等于10";
    }
    return {};
}

const std::vector<CheckCase>& checkCases() {
    static const std::vector<CheckCase> cases = {
        {"valid document", [](CQarloDoc&) {}, 0, 0},
        {"new document", [](CQarloDoc& d) { d.OnNewDocument(); }, 2, 0},
        {"10 MHz apart passes", [](CQarloDoc& d) { setFreqs(d, 0, MHz(400), MHz(410)); }, 0, 0},
        {"tx 410.00625 is just over 10 MHz",
         [](CQarloDoc& d) { setFreqs(d, 0, MHz(400), MHz(410.00625)); }, 1, 0},
        {"difference in the other direction",
         [](CQarloDoc& d) { setFreqs(d, 0, MHz(410.00625), MHz(400)); }, 1, 0},
        {"10 MHz apart, band invalid: band message",
         [](CQarloDoc& d) {
             setFreqs(d, 0, MHz(400), MHz(410));
             setBand(d, 0, 0);
         },
         2, 0},
        {"11 MHz apart, band invalid: difference message",
         [](CQarloDoc& d) {
             setFreqs(d, 0, MHz(400), MHz(411));
             setBand(d, 0, 0);
         },
         1, 0},
        {"only rx set, 10 MHz: not a difference failure but out of band",
         [](CQarloDoc& d) { setFreqs(d, 0, 1000000, 0); }, 6, 0},
        {"only rx set, above 10 MHz", [](CQarloDoc& d) { setFreqs(d, 0, 1000001, 0); }, 1, 0},
        {"band low 100 MHz allowed", [](CQarloDoc& d) { setBand(d, BandMHz(100), BandMHz(110)); },
         0, 0},
        {"band low 480 MHz allowed, high beyond 480",
         [](CQarloDoc& d) { setBand(d, BandMHz(480), BandMHz(520)); }, 0, 0},
        {"band low 99 MHz", [](CQarloDoc& d) { setBand(d, BandMHz(99), BandMHz(110)); }, 2, 0},
        {"band low 481 MHz", [](CQarloDoc& d) { setBand(d, BandMHz(481), BandMHz(500)); }, 2, 0},
        {"band low one unit below 100 MHz",
         [](CQarloDoc& d) { setBand(d, BandMHz(100) - 1, BandMHz(110)); }, 2, 0},
        {"band low 400.5 MHz", [](CQarloDoc& d) { setBand(d, BandMHz(400) + 12500, BandMHz(440)); },
         3, 0},
        {"span 10 MHz allowed", [](CQarloDoc& d) { setBand(d, BandMHz(400), BandMHz(410)); }, 0, 0},
        {"span 40 MHz allowed", [](CQarloDoc& d) { setBand(d, BandMHz(400), BandMHz(440)); }, 0, 0},
        {"span 9 MHz", [](CQarloDoc& d) { setBand(d, BandMHz(400), BandMHz(409)); }, 4, 0},
        {"span 41 MHz", [](CQarloDoc& d) { setBand(d, BandMHz(400), BandMHz(441)); }, 4, 0},
        {"negative span", [](CQarloDoc& d) { setBand(d, BandMHz(440), BandMHz(400)); }, 4, 0},
        {"band high 430.5 MHz",
         [](CQarloDoc& d) { setBand(d, BandMHz(400), BandMHz(430) + 12500); }, 5, 0},
        {"rx on the upper edge", [](CQarloDoc& d) { setFreqs(d, 0, MHz(440), MHz(440)); }, 0, 0},
        {"rx on the lower edge", [](CQarloDoc& d) { setFreqs(d, 0, MHz(400), MHz(400)); }, 0, 0},
        {"rx 10 Hz above the band", [](CQarloDoc& d) { setFreqs(d, 0, MHz(440) + 1, MHz(440)); }, 6,
         0},
        {"rx 10 Hz below the band", [](CQarloDoc& d) { setFreqs(d, 0, MHz(400) - 1, MHz(400)); }, 6,
         0},
        {"tx 10 Hz above the band", [](CQarloDoc& d) { setFreqs(d, 0, MHz(440), MHz(440) + 1); }, 7,
         0},
        {"tx below the band", [](CQarloDoc& d) { setFreqs(d, 0, MHz(400), MHz(399.995)); }, 7, 0},
        {"tx set, rx empty, out of band", [](CQarloDoc& d) { setFreqs(d, 0, 0, MHz(9)); }, 7, 0},
        {"430.00625 and 430.005 are channel steps",
         [](CQarloDoc& d) { setFreqs(d, 0, MHz(430.00625), MHz(430.005)); }, 0, 0},
        {"rx 430.001", [](CQarloDoc& d) { setFreqs(d, 0, MHz(430.001), MHz(430)); }, 8, 0},
        {"tx 430.001", [](CQarloDoc& d) { setFreqs(d, 0, MHz(430), MHz(430.001)); }, 9, 0},
        {"tot 1", [](CQarloDoc& d) { d.setTotTenths(1); }, 0, 0},
        {"tot 100", [](CQarloDoc& d) { d.setTotTenths(100); }, 0, 0},
        {"tot 0", [](CQarloDoc& d) { d.setTotTenths(0); }, 10, 0},
        {"tot 101", [](CQarloDoc& d) { d.setTotTenths(101); }, 10, 0},
        {"tot 255", [](CQarloDoc& d) { d.setTotTenths(255); }, 10, 0},
        {"channel 0's own checks come before the time-out",
         [](CQarloDoc& d) {
             d.setTotTenths(0);
             setFreqs(d, 0, MHz(430.001), MHz(430));
         },
         8, 0},
        {"channel 0's difference comes before the band",
         [](CQarloDoc& d) {
             setBand(d, 0, 0);
             d.setTotTenths(0);
             setFreqs(d, 0, 0, MHz(430));
         },
         1, 0},
        {"time-out failure lands on channel 0 though channel 9 is bad too",
         [](CQarloDoc& d) {
             d.setTotTenths(0);
             setFreqs(d, 9, MHz(500), MHz(500));
         },
         10, 0},
        {"band failure lands on channel 0 though channel 9 is bad too",
         [](CQarloDoc& d) {
             setBand(d, 0, 0);
             setFreqs(d, 9, MHz(500), MHz(520));
         },
         2, 0},
        {"a later channel reports itself", [](CQarloDoc& d) { setFreqs(d, 7, MHz(441), MHz(440)); },
         6, 7},
        {"the first bad channel wins",
         [](CQarloDoc& d) {
             setFreqs(d, 12, MHz(430.001), MHz(430));
             setFreqs(d, 4, MHz(430), MHz(430.001));
         },
         9, 4},
        {"last channel, only one frequency", [](CQarloDoc& d) { setFreqs(d, 15, MHz(430), 0); }, 1,
         15},
        {"spare rows take no part",
         [](CQarloDoc& d) {
             setFreqs(d, 16, MHz(999), 0);
             setFreqs(d, 63, 1, 2);
         },
         0, 0},
        // Top bit set: the number is negative and must not wrap around into a small difference.
        {"most negative rx against most positive tx",
         [](CQarloDoc& d) { setFreqs(d, 3, 0x80000000u, 0x7FFFFFFFu); }, 1, 3},
        {"rx -1 against tx 0 differs by 1 and is out of band",
         [](CQarloDoc& d) { setFreqs(d, 3, 0xFFFFFFFFu, 0); }, 6, 3},
        {"negative rx and tx equal", [](CQarloDoc& d) { setFreqs(d, 2, 0xF0000000u, 0xF0000000u); },
         6, 2},
        {"negative multiple of 5 kHz still fails the band only",
         [](CQarloDoc& d) { setFreqs(d, 2, MHz(430), 0xFFFFFE0Cu); }, 1, 2},
        {"largest band edges do not overflow", [](CQarloDoc& d) { setBand(d, 0xFFFFFF, 0xFFFFFF); },
         2, 0},
    };
    return cases;
}

TEST(Checks, EveryCheckWithItsMessageOrderAndChannel) {
    for (const auto& c : checkCases()) {
        SCOPED_TRACE(c.what);
        CQarloDoc doc = validDocument();
        c.change(doc);
        const auto memory = doc.ChannelMemory;
        const auto failure = CheckDocument(doc);
        if (c.check == 0) {
            EXPECT_FALSE(failure.has_value()) << (failure ? failure->check : 0);
            continue;
        }
        ASSERT_TRUE(failure.has_value());
        EXPECT_EQ(failure->check, c.check);
        EXPECT_EQ(failure->channel, c.channel);
        EXPECT_EQ(failure->message, messageOf(c.check));
        EXPECT_EQ(doc.ChannelMemory, memory);
    }
}

TEST(Checks, FailedEncodeLeavesTheBufferAlone) {
    CQarloDoc doc;
    IoBufferBytes buffer;
    buffer.fill(0xA5);
    const EncodeResult r = EncodeRadioImage(doc, buffer);
    ASSERT_FALSE(r.ok());
    EXPECT_EQ(r.failure->check, 2);
    EXPECT_EQ(r.failure->channel, 0);
    for (auto b : buffer)
        ASSERT_EQ(b, 0xA5);
}

TEST(Image, BandSpan) {
    EXPECT_EQ(bandSpan(BandMHz(400), BandMHz(410)), 1);
    EXPECT_EQ(bandSpan(BandMHz(400), BandMHz(415)), 1);
    EXPECT_EQ(bandSpan(BandMHz(400), BandMHz(419)), 1);
    EXPECT_EQ(bandSpan(BandMHz(400), BandMHz(420)), 2);
    EXPECT_EQ(bandSpan(BandMHz(400), BandMHz(440)), 4);
    EXPECT_EQ(bandSpan(0, 0xFFFFFF), 67);
}

TEST(Image, SquelchLevels) {
    for (int level = 0; level < 10; ++level)
        EXPECT_EQ(SquelchByte(static_cast<std::uint8_t>(level)), SquelchBytes[level]);
    for (int level : {10, 11, 100, 255})
        EXPECT_EQ(SquelchByte(static_cast<std::uint8_t>(level)), 200);
}

// A document with random bytes wherever the checks do not look, valid elsewhere.
CQarloDoc randomValidDocument(unsigned seed) {
    std::mt19937 gen(seed);
    CQarloDoc doc = validDocument();
    for (auto& b : doc.ChannelMemory)
        b = static_cast<std::uint8_t>(gen());
    setBand(doc, BandMHz(400), BandMHz(440));
    doc.setTotTenths(50);
    for (int ch = 0; ch < CHANNEL_COUNT; ++ch) {
        // Within the band, on 6.25 kHz and 5 kHz steps, at most 10 MHz apart.
        const std::int64_t base = MHz(400) + 5000 * (gen() % 600);
        const auto rx = static_cast<std::uint32_t>(base + 625 * (gen() % 16));
        const auto tx = static_cast<std::uint32_t>(base + 500 * (gen() % 2001));
        setFreqs(doc, ch, rx, tx);
        doc.setSquelch(ch, static_cast<std::uint8_t>(gen() % 10));
    }
    setFreqs(doc, 6, 0, 0); // an empty channel among them
    doc.setSquelch(3, 12);  // a level a file can hold but the radio has no byte for
    doc.setSquelch(4, 0xFF);
    return doc;
}

TEST(Image, EncodeBuildsTheOutgoingImage) {
    CQarloDoc doc = randomValidDocument(42);
    const auto memory = doc.ChannelMemory;
    IoBufferBytes buffer;
    buffer.fill(0x5A);
    ASSERT_TRUE(EncodeRadioImage(doc, buffer).ok());

    for (int k = 0; k < 256; ++k) {
        const int r = k / 16;
        const int b = k % 16;
        std::uint8_t expected = memory[k];
        if (b == 12) {
            const int level = memory[k];
            expected = level < 10 ? SquelchBytes[level] : 0xC8;
        }
        if (k == 11) expected = 50;
        if (k == 13) expected = 0x98;
        if (k == 14) expected = 0x96;
        if (k == 15) expected = 0x80;
        if (k == 30) expected = 4;
        ASSERT_EQ(buffer[k], expected) << "record " << r << " byte " << b;
    }
    for (int k = 256; k < 512; ++k)
        ASSERT_EQ(buffer[k], 0x5A) << k;
    EXPECT_EQ(buffer[3 * 16 + 12], 200);
    EXPECT_EQ(buffer[4 * 16 + 12], 200);
    EXPECT_EQ(doc.ChannelMemory, memory); // encoding changes nothing in the document
}

RadioImage randomIncomingImage(unsigned seed) {
    std::mt19937 gen(seed);
    RadioImage img{};
    for (auto& b : img)
        b = static_cast<std::uint8_t>(gen());
    return img;
}

TEST(Image, DecodeTakesTheImageIntoTheDocument) {
    RadioImage incoming = randomIncomingImage(7);
    // Squelch bytes: every table value and some that are not.
    for (int r = 0; r < 10; ++r)
        incoming[r * 16 + 12] = SquelchBytes[r];
    const std::uint8_t strays[6] = {0, 1, 201, 0xFF, 0x65, 0x67};
    for (int r = 10; r < 16; ++r)
        incoming[r * 16 + 12] = strays[r - 10];
    incoming[11] = 77;
    incoming[13] = 0x98;
    incoming[14] = 0x96;
    incoming[15] = 0x80;
    incoming[30] = 3;

    CQarloDoc doc;
    std::mt19937 gen(3);
    for (auto& b : doc.ChannelMemory)
        b = static_cast<std::uint8_t>(gen());
    doc.ProgrammedChannelList.fill(0x42);
    doc.selectedChannel = 11;
    doc.portName = "COM2";
    const auto before = doc.ChannelMemory;
    IoBufferBytes buffer{};
    std::copy(incoming.begin(), incoming.end(), buffer.begin() + 256);

    DecodeRadioImage(doc, buffer);

    for (int k = 0; k < 256; ++k) {
        const int r = k / 16;
        const int b = k % 16;
        std::uint8_t expected = incoming[k];
        if (k == 11 || k == 13 || k == 14 || k == 15 || k == 30) expected = 0;
        if (b == 12) expected = r < 10 ? static_cast<std::uint8_t>(r) : 3;
        ASSERT_EQ(doc.ChannelMemory[k], expected) << "record " << r << " byte " << b;
    }
    for (int k = 256; k < 1024; ++k)
        ASSERT_EQ(doc.ChannelMemory[k], before[k]) << k;
    EXPECT_EQ(doc.totTenths(), 77);
    EXPECT_EQ(doc.bandLow(), 10000000);
    EXPECT_EQ(doc.bandHigh(), 10000000 + 3 * 250000);
    for (int k : {1024, 1025, 1033, 1034, 1035, 1036, 1037, 1038, 1039})
        EXPECT_EQ(doc.ChannelMemory[k], before[k]) << k;
    for (int k = 0; k < 256; ++k) {
        ASSERT_EQ(buffer[k], incoming[k]) << k;
        ASSERT_EQ(buffer[256 + k], incoming[k]) << k;
    }
    for (auto b : doc.ProgrammedChannelList)
        EXPECT_EQ(b, 0x42);
    EXPECT_EQ(doc.selectedChannel, 11);
    EXPECT_EQ(doc.portName, "COM2");
}

TEST(Image, DecodeKeepsTheLow24BitsOfTheUpperEdge) {
    CQarloDoc doc;
    IoBufferBytes buffer{};
    buffer[256 + 13] = 0xFF;
    buffer[256 + 14] = 0xFF;
    buffer[256 + 15] = 0xFF;
    buffer[256 + 30] = 0xFF;
    DecodeRadioImage(doc, buffer);
    EXPECT_EQ(doc.bandLow(), 0xFFFFFF);
    EXPECT_EQ(doc.bandHigh(), (0xFFFFFF + 255 * 250000) & 0xFFFFFF);
}

TEST(Image, EncodeAfterDecodeGivesTheImageBack) {
    const CQarloDoc source = randomValidDocument(99);
    IoBufferBytes buffer{};
    ASSERT_TRUE(EncodeRadioImage(source, buffer).ok());
    RadioImage incoming{};
    std::copy_n(buffer.begin(), 256, incoming.begin());
    // Squelch bytes the table does not hold come back as level 3, 200.
    incoming[5 * 16 + 12] = 0;
    incoming[9 * 16 + 12] = 201;

    IoBufferBytes io{};
    std::copy(incoming.begin(), incoming.end(), io.begin() + 256);
    CQarloDoc doc;
    DecodeRadioImage(doc, io);
    IoBufferBytes out{};
    ASSERT_TRUE(EncodeRadioImage(doc, out).ok());
    for (int k = 0; k < 256; ++k) {
        const std::uint8_t expected = (k == 5 * 16 + 12 || k == 9 * 16 + 12) ? 200 : incoming[k];
        ASSERT_EQ(out[k], expected) << k;
    }
}

TEST(Image, Band400To415GoesOutAsOneStepAndComesBackAs410) {
    CQarloDoc doc = validDocument();
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
    EXPECT_EQ(back.ChannelMemory[30], 0);
}

} // namespace
} // namespace qarlo
