// Arbitrary 256 bytes decoded as a radio image, then encoded back.
#include "Invariants.h"
#include "radio/RadioImage.h"

#include <algorithm>

using namespace qarlo;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < static_cast<std::size_t>(RADIO_IMAGE_SIZE)) return 0;
    CQarloDoc doc;
    IoBufferBytes io{};
    std::copy_n(data, RADIO_IMAGE_SIZE, io.begin() + IO_INCOMING);
    const auto spareBefore = doc.ChannelMemory;
    DecodeRadioImage(doc, io);
    doc.RebuildProgrammedList();
    fuzz::requireProgrammedListConsistent(doc);
    fuzz::require(std::equal(spareBefore.begin() + RADIO_IMAGE_SIZE, spareBefore.begin() + SETTINGS_OFFSET,
                             doc.ChannelMemory.begin() + RADIO_IMAGE_SIZE),
                  "decode touched the spare rows");
    for (int k : {IMG_TOT_TENTHS, IMG_BAND_LOW, IMG_BAND_LOW + 1, IMG_BAND_LOW + 2, IMG_BAND_SPAN}) {
        fuzz::require(doc.ChannelMemory[k] == 0, "a folded byte was not cleared");
    }
    for (int r = 0; r < CHANNEL_COUNT; ++r) fuzz::require(doc.squelch(r) <= 9, "squelch level out of range");

    // Building the image again gives the incoming bytes back, except squelch bytes that were not
    // table values (they go out as level 3's byte) and a band whose upper edge wrapped 24 bits.
    const RadioImage image = BuildRadioImage(doc);
    const std::uint32_t low = (std::uint32_t{data[13]} << 16) | (std::uint32_t{data[14]} << 8) | data[15];
    const bool bandWrapped = low + data[IMG_BAND_SPAN] * 250000u > 0xFFFFFFu;
    for (int k = 0; k < RADIO_IMAGE_SIZE; ++k) {
        if (k % RECORD_SIZE == REC_SQUELCH) {
            const bool known = std::find(SquelchCodeTable.begin(), SquelchCodeTable.end(), data[k]) !=
                               SquelchCodeTable.end();
            fuzz::require(image[k] == (known ? data[k] : SquelchCodeTable[3]), "squelch byte not restored");
        } else if (k == IMG_BAND_SPAN && bandWrapped) {
            continue;
        } else {
            fuzz::require(image[k] == data[k], "encode after decode changed a byte");
        }
    }
    // The checked encode writes exactly that image, or nothing at all.
    IoBufferBytes out{};
    out.fill(0xA5);
    const EncodeResult result = EncodeRadioImage(doc, out);
    if (result.ok()) {
        fuzz::require(std::equal(image.begin(), image.end(), out.begin()), "checked encode differs");
    } else {
        fuzz::require(std::all_of(out.begin(), out.begin() + RADIO_IMAGE_SIZE,
                                  [](std::uint8_t b) { return b == 0xA5; }),
                      "a failed check wrote into the buffer");
        fuzz::require(result.failure->channel >= 0 && result.failure->channel < CHANNEL_COUNT,
                      "failing channel out of range");
    }
    return 0;
}
