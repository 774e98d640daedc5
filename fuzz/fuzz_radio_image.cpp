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
    DecodeRadioImage(doc, io);

    // Building the image again gives the incoming bytes back, except squelch bytes that were not
    // table values (they go out as level 3's byte) and a band whose upper edge wrapped 24 bits.
    const RadioImage image = BuildRadioImage(doc);
    const std::uint32_t low =
        (std::uint32_t{data[13]} << 16) | (std::uint32_t{data[14]} << 8) | data[15];
    const bool bandWrapped = low + data[IMG_BAND_SPAN] * 250000u > 0xFFFFFFu;
    for (int k = 0; k < RADIO_IMAGE_SIZE; ++k) {
        if (k % RECORD_SIZE == REC_SQUELCH) {
            const bool known = std::find(SquelchCodeTable.begin(), SquelchCodeTable.end(),
                                         data[k]) != SquelchCodeTable.end();
            fuzz::require(image[k] == (known ? data[k] : SquelchCodeTable[3]),
                          "squelch byte not restored");
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
        fuzz::require(std::equal(image.begin(), image.end(), out.begin()),
                      "checked encode differs");
    } else {
        fuzz::require(std::all_of(out.begin(), out.begin() + RADIO_IMAGE_SIZE,
                                  [](std::uint8_t b) { return b == 0xA5; }),
                      "a failed check wrote into the buffer");
    }
    return 0;
}
