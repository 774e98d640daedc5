#include "RadioImage.h"

#include "memory/Bytes.h"

#include <algorithm>

namespace qarlo {

std::int64_t bandSpan(std::int64_t bandLow, std::int64_t bandHigh) {
    return (4 * bandHigh - 4 * bandLow) / 1000000;
}

std::uint8_t SquelchByte(std::uint8_t level) {
    return level < SquelchCodeTable.size() ? SquelchCodeTable[level]
                                           : SquelchCodeTable[DEFAULT_SQUELCH];
}

std::optional<CheckFailure> CheckDocument(const CQarloDoc& doc) {
    // 64-bit throughout: a frequency with its top bit set is a negative number, never a wrap.
    const std::int64_t L = doc.bandLow();
    const std::int64_t H = doc.bandHigh();
    const std::int64_t T = doc.totTenths();
    for (int r = 0; r < CHANNEL_COUNT; ++r) {
        const std::int64_t rx = doc.rxFreq(r);
        const std::int64_t tx = doc.txFreq(r);
        auto fail = [r](int check) { return CheckFailure{check, r}; };
        if (rx - tx > 1000000 || tx - rx > 1000000) return fail(1);
        if (r == 0) {
            // The settings are checked inside the loop, so their failures land on channel 0.
            if (L < 2500000 || L > 12000000) return fail(2);
            if (L % 25000 != 0) return fail(3);
            const std::int64_t span = 4 * H - 4 * L;
            if (span > 4000000 || span < 1000000) return fail(4);
            if ((4 * H) % 100000 != 0) return fail(5);
        }
        if (rx != 0 && (rx > 4 * H || rx < 4 * L)) return fail(6);
        if (tx != 0 && (tx > 4 * H || tx < 4 * L)) return fail(7);
        if (rx % 500 != 0 && rx % 625 != 0) return fail(8);
        if (tx % 625 != 0 && tx % 500 != 0) return fail(9);
        if (r == 0 && (T == 0 || T > 100)) return fail(10);
    }
    return std::nullopt;
}

RadioImage BuildRadioImage(const CQarloDoc& doc) {
    RadioImage image{};
    std::copy_n(doc.ChannelMemory.begin(), RADIO_IMAGE_SIZE, image.begin());
    image[IMG_TOT_TENTHS] = doc.totTenths();
    std::copy_n(doc.ChannelMemory.begin() + MEM_BAND_LOW, 3, image.begin() + IMG_BAND_LOW);
    image[IMG_BAND_SPAN] =
        static_cast<std::uint8_t>(bandSpan(doc.bandLow(), doc.bandHigh()) & 0xFF);
    for (int r = 0; r < CHANNEL_COUNT; ++r) {
        image[r * RECORD_SIZE + REC_SQUELCH] = SquelchByte(doc.squelch(r));
    }
    return image;
}

EncodeResult EncodeRadioImage(const CQarloDoc& doc, IoBufferBytes& ioBuffer) {
    if (auto failure = CheckDocument(doc)) return EncodeResult{failure};
    const RadioImage image = BuildRadioImage(doc);
    std::copy(image.begin(), image.end(), ioBuffer.begin());
    return EncodeResult{};
}

void DecodeRadioImage(CQarloDoc& doc, IoBufferBytes& ioBuffer) {
    for (int k = 0; k < RADIO_IMAGE_SIZE; ++k) {
        doc.ChannelMemory[k] = ioBuffer[IO_INCOMING + k];
        ioBuffer[k] = ioBuffer[IO_INCOMING + k];
    }
    const std::uint8_t* incoming = ioBuffer.data() + IO_INCOMING;
    doc.setTotTenths(incoming[IMG_TOT_TENTHS]);
    std::copy_n(incoming + IMG_BAND_LOW, 3, doc.ChannelMemory.begin() + MEM_BAND_LOW);
    const std::uint32_t high =
        readBE24(incoming + IMG_BAND_LOW) + incoming[IMG_BAND_SPAN] * 250000u;
    writeBE24(doc.ChannelMemory.data() + MEM_BAND_HIGH, high & 0xFFFFFF);
    for (int k :
         {IMG_TOT_TENTHS, IMG_BAND_LOW, IMG_BAND_LOW + 1, IMG_BAND_LOW + 2, IMG_BAND_SPAN}) {
        doc.ChannelMemory[k] = 0;
    }
    for (int r = 0; r < CHANNEL_COUNT; ++r) {
        const std::uint8_t raw = ioBuffer[r * RECORD_SIZE + REC_SQUELCH];
        std::uint8_t level = DEFAULT_SQUELCH;
        for (std::uint8_t l = 0; l < SquelchCodeTable.size(); ++l) {
            if (SquelchCodeTable[l] == raw) level = l;
        }
        doc.setSquelch(r, level);
    }
}

CQarloDoc DocumentFromImage(const RadioImage& image) {
    CQarloDoc doc;
    IoBufferBytes buffer{};
    std::copy(image.begin(), image.end(), buffer.begin() + IO_INCOMING);
    DecodeRadioImage(doc, buffer);
    doc.RebuildProgrammedList();
    return doc;
}

std::vector<Difference> CompareWithRadio(const CQarloDoc& doc, const RadioImage& radio) {
    return DiffDocuments(DocumentFromImage(BuildRadioImage(doc)), DocumentFromImage(radio),
                         DiffScope::Radio);
}

} // namespace qarlo
