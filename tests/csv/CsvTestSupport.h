#pragma once
// Random documents whose channels the CSV can describe, and what an import of their CSV must give.
#include "memory/CQarloDoc.h"
#include "memory/CodeTables.h"
#include "memory/Csv.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <string>

namespace qarlo::csvtest {

inline constexpr std::uint8_t DESCRIBED_FLAGS = FLAG_NARROW | FLAG_RX_CODED | FLAG_TX_CODED;
// A direction coded with a CTCSS tone.
inline constexpr std::uint8_t TXQ = FLAG_TX_CODED | FLAG_TX_CTCSS,
                              RXQ = FLAG_RX_CODED | FLAG_RX_CTCSS;

// Anywhere a 32-bit record holds, the radio's band on a 6.25 kHz raster, small numbers (six
// decimals with leading zeros), the top of the range.
inline std::int32_t randomUnits(std::mt19937& rng) {
    const std::uint64_t pick[] = {rng() & 0x7FFFFFFF, 10000000 + (rng() % 60000) * 625,
                                  rng() % 200000, 0x7FFFFFFF - rng() % 3};
    return static_cast<std::int32_t>(pick[rng() % 4]);
}

// Random bytes everywhere, then every channel made describable: non-negative frequencies (often
// equal or within 10 MHz) and, in each coded direction, a byte some tone or code encodes to.
inline CQarloDoc RandomDocument(std::mt19937& rng) {
    CQarloDoc doc;
    for (auto& b : doc.ChannelMemory)
        b = static_cast<std::uint8_t>(rng());
    for (int ch = 0; ch < CHANNEL_COUNT; ++ch) {
        const std::int32_t rx = rng() % 10 == 0 ? 0 : randomUnits(rng);
        const std::int64_t near =
            std::int64_t{rx} + static_cast<std::int64_t>(rng() % 2000001) - 1000000;
        // Never 0: a receive-only row is refused on import.
        const std::int64_t tx[] = {rx, std::clamp<std::int64_t>(near, 1, 0x7FFFFFFF),
                                   randomUnits(rng)};
        doc.setRxFreq(ch, rx);
        doc.setTxFreq(ch, static_cast<std::int32_t>(tx[rng() % 3]));
        const std::uint8_t flags = doc.flags(ch);
        auto code = [&](bool ctcss) {
            return ctcss ? encodeCtcssRow(static_cast<int>(rng() % CtcssTable.size()))
                         : encodeDcsRow(static_cast<int>(rng() % DcsTable.size()));
        };
        if (flags & FLAG_TX_CODED) doc.setTxCode(ch, code(flags & FLAG_TX_CTCSS));
        if (flags & FLAG_RX_CODED) doc.setRxCode(ch, code(flags & FLAG_RX_CTCSS));
    }
    return doc;
}

// What importing ExportCsv(source) into `base` must give: for every channel with a row, the
// frequencies, the bandwidth, the coded bits, and the CTCSS bit and code byte of each coded
// direction come from `source`; every other byte stays as `base` had it.
inline CQarloDoc ExpectedImport(const CQarloDoc& source, const CQarloDoc& base) {
    CQarloDoc out = base;
    for (int ch = 0; ch < CHANNEL_COUNT; ++ch) {
        if (source.rxFreq(ch) == 0) continue;
        out.setRxFreq(ch, source.rxFreq(ch));
        out.setTxFreq(ch, source.txFreq(ch));
        const std::uint8_t from = source.flags(ch);
        int flags = (out.flags(ch) & ~DESCRIBED_FLAGS) | (from & DESCRIBED_FLAGS);
        if (from & FLAG_TX_CODED) {
            flags = (flags & ~FLAG_TX_CTCSS) | (from & FLAG_TX_CTCSS);
            out.setTxCode(ch, source.txCode(ch));
        }
        if (from & FLAG_RX_CODED) {
            flags = (flags & ~FLAG_RX_CTCSS) | (from & FLAG_RX_CTCSS);
            out.setRxCode(ch, source.rxCode(ch));
        }
        out.setFlags(ch, static_cast<std::uint8_t>(flags));
    }
    return out;
}

inline std::string Errors(const CsvImportResult& result) {
    std::string text;
    for (const auto& e : result.errors)
        text += DescribeCsvError(e) + "\n";
    return text;
}

} // namespace qarlo::csvtest
