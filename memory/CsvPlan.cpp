// Which rows of a CSV go to which channels, why each other row is left out, and applying that
// choice to a document together with the band its channels need.
#include "Csv.h"
#include "Signalling.h"
#include "Units.h"

#include <algorithm>
#include <charconv>
#include <map>

namespace qarlo {

namespace {

// A frequency no band holds, or one rounded to 10 Hz, is taken as it stands (the band check
// before a write names it); every other problem refuses the row.
bool refusesImport(CsvReason reason) {
    return reason != CsvReason::OutsideBands && reason != CsvReason::OffRaster;
}

bool listed(const std::vector<std::pair<int, int>>& ranges, int location) {
    return ranges.empty() || std::any_of(ranges.begin(), ranges.end(), [&](const auto& r) {
               return location >= r.first && location <= r.second;
           });
}

// Why the row cannot go anywhere under `options`, or nothing when it can; refusals go to errors.
std::optional<CsvReason> unusableReason(const CsvPlanRow& row, const CsvImportOptions& options,
                                        std::vector<CsvError>& errors) {
    if (row.location && !listed(options.locations, *row.location)) return CsvReason::NotListed;
    if (std::binary_search(options.unticked.begin(), options.unticked.end(), row.line))
        return CsvReason::NotChosen;
    std::optional<CsvReason> reason;
    for (const CsvError& problem : row.problems) {
        if (options.skipUnusable) return problem.reason;
        if (!refusesImport(problem.reason)) continue;
        errors.push_back(problem);
        if (!reason) reason = problem.reason;
    }
    if (!reason && !row.values) reason = CsvReason::Malformed;
    return reason;
}

// Leaves the row out, or refuses the import when the options do not allow leaving it out.
void leaveOut(CsvPlanRow& row, CsvReason reason, const CsvImportOptions& options,
              std::vector<CsvError>& errors, std::string message) {
    row.leftOut = reason;
    if (!options.skipUnusable)
        errors.push_back({row.line, "Location", std::move(message), reason,
                          std::to_string(row.location.value_or(0))});
}

} // namespace

void ChooseCsvRows(CsvImportPlan& plan, const CsvImportOptions& options) {
    plan.errors = plan.fileErrors;
    plan.locationBase = std::any_of(plan.rows.begin(), plan.rows.end(),
                                    [](const CsvPlanRow& r) { return r.location == 0; })
                            ? 0
                            : 1;
    int next = options.renumberFrom - 1;
    std::map<int, int> lineOfChannel;
    for (CsvPlanRow& row : plan.rows) {
        row.channel = -1;
        if (const auto reason = unusableReason(row, options, plan.errors)) {
            row.leftOut = *reason;
            continue;
        }
        const int channel = options.renumberFrom > 0 ? next++ : *row.location - plan.locationBase;
        const std::string name = "channel " + std::to_string(channel + 1);
        if (channel < 0 || channel >= CHANNEL_COUNT) {
            leaveOut(row, CsvReason::PastLastChannel, options, plan.errors,
                     "Location " + std::to_string(*row.location) + " would be " + name +
                         ", past channel 16");
            continue;
        }
        if (const auto seen = lineOfChannel.find(channel); seen != lineOfChannel.end()) {
            leaveOut(row, CsvReason::LocationTaken, options, plan.errors,
                     name + " is already set on line " + std::to_string(seen->second));
            continue;
        }
        lineOfChannel[channel] = row.line;
        row.channel = channel;
    }
}

std::optional<std::vector<std::pair<int, int>>> ParseLocationList(std::string_view text) {
    std::vector<std::pair<int, int>> ranges;
    auto number = [](std::string_view s) -> std::optional<int> {
        int value = 0;
        const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), value);
        if (s.empty() || s.size() > 6 || ec != std::errc() || end != s.data() + s.size() ||
            value < 0)
            return std::nullopt;
        return value;
    };
    while (true) {
        const std::size_t comma = text.find(',');
        const std::string_view item = text.substr(0, comma);
        const std::size_t dash = item.find('-');
        const auto low = number(item.substr(0, dash));
        const auto high = dash == std::string_view::npos ? low : number(item.substr(dash + 1));
        if (!low || !high || *high < *low) return std::nullopt;
        ranges.emplace_back(*low, *high);
        if (comma == std::string_view::npos) return ranges;
        text.remove_prefix(comma + 1);
    }
}

std::vector<CsvLeftOutCount> CountLeftOut(const CsvImportPlan& plan) {
    std::vector<CsvLeftOutCount> counts;
    for (const CsvPlanRow& row : plan.rows) {
        if (row.channel >= 0) continue;
        std::string mode;
        if (row.leftOut == CsvReason::Mode) {
            for (const CsvError& problem : row.problems) {
                if (problem.reason == CsvReason::Mode) mode = problem.cell;
            }
            std::transform(mode.begin(), mode.end(), mode.begin(), [](char ch) {
                return ch >= 'a' && ch <= 'z' ? static_cast<char>(ch - 'a' + 'A') : ch;
            });
        }
        const auto same = std::find_if(counts.begin(), counts.end(), [&](const auto& c) {
            return c.reason == row.leftOut && c.mode == mode;
        });
        if (same != counts.end())
            ++same->count;
        else
            counts.push_back({row.leftOut, mode, 1});
    }
    std::stable_sort(counts.begin(), counts.end(),
                     [](const auto& a, const auto& b) { return a.count > b.count; });
    return counts;
}

namespace {

constexpr std::int64_t UNITS_PER_MHZ = 100000;     // 10 Hz units
constexpr std::int32_t BAND_UNITS_PER_MHZ = 25000; // 40 Hz units

// The lowest and highest frequency of the channels with a receive frequency.
std::optional<std::pair<std::int64_t, std::int64_t>> spread(const CQarloDoc& doc) {
    std::optional<std::pair<std::int64_t, std::int64_t>> out;
    for (int ch = 0; ch < CHANNEL_COUNT; ++ch) {
        if (doc.rxFreq(ch) == 0) continue;
        for (const std::int64_t f : {std::int64_t{doc.rxFreq(ch)}, std::int64_t{doc.txFreq(ch)}}) {
            if (f == 0) continue;
            if (!out) out = std::pair(f, f);
            out->first = std::min(out->first, f);
            out->second = std::max(out->second, f);
        }
    }
    return out;
}

std::int64_t floorMHz(std::int64_t units) {
    return units >= 0 ? units / UNITS_PER_MHZ : -((-units + UNITS_PER_MHZ - 1) / UNITS_PER_MHZ);
}

// Channels whose receive or transmit frequency lies outside the document's band.
std::vector<int> outsideBand(const CQarloDoc& doc) {
    std::vector<int> out;
    const std::int64_t low = 4 * std::int64_t{doc.bandLow()},
                       high = 4 * std::int64_t{doc.bandHigh()};
    for (int ch = 0; ch < CHANNEL_COUNT; ++ch) {
        auto outside = [&](std::int64_t f) { return f != 0 && (f < low || f > high); };
        if (doc.rxFreq(ch) != 0 && (outside(doc.rxFreq(ch)) || outside(doc.txFreq(ch))))
            out.push_back(ch);
    }
    return out;
}

// The band after an import: set when the document had none, else checked.
CsvBandNote settleBand(CQarloDoc& doc) {
    CsvBandNote note;
    if (doc.bandLow() == 0 && doc.bandHigh() == 0) {
        if (const auto band = SmallestBandMHz(doc)) {
            doc.setBandLow(band->first * BAND_UNITS_PER_MHZ);
            doc.setBandHigh(band->second * BAND_UNITS_PER_MHZ);
            note.set = true;
        } else if (const auto range = spread(doc)) {
            note.noBandHolds = true;
            note.lowMHz = static_cast<int>(floorMHz(range->first));
            note.highMHz = static_cast<int>(-floorMHz(-range->second));
            for (int ch = 0; ch < CHANNEL_COUNT; ++ch) {
                if (doc.rxFreq(ch) != 0) note.outside.push_back(ch);
            }
            return note;
        }
    }
    note.lowMHz = BandWholeMHz(doc.bandLow());
    note.highMHz = BandWholeMHz(doc.bandHigh());
    note.outside = outsideBand(doc);
    return note;
}

} // namespace

std::optional<std::pair<int, int>> SmallestBandMHz(const CQarloDoc& doc) {
    const auto range = spread(doc);
    if (!range) return std::nullopt;
    // The highest lower edge below every channel gives the narrowest band.
    const std::int64_t low = std::min<std::int64_t>(floorMHz(range->first), 480);
    const std::int64_t high = std::max(-floorMHz(-range->second), low + 10);
    if (low < 100 || high - low > 40) return std::nullopt;
    return std::pair(static_cast<int>(low), static_cast<int>(high));
}

CsvImportResult ApplyCsvImport(CQarloDoc& doc, const CsvImportPlan& plan) {
    CsvImportResult result;
    result.errors = plan.errors;
    if (!result.ok()) return result;
    CQarloDoc work = doc;
    for (const CsvPlanRow& row : plan.rows) {
        if (row.channel < 0 || row.channel >= CHANNEL_COUNT || !row.values) continue;
        const int ch = row.channel;
        const CsvChannel& v = *row.values;
        work.setRxFreq(ch, v.rx);
        work.setTxFreq(ch, v.tx);
        std::uint8_t flags = work.flags(ch);
        flags = static_cast<std::uint8_t>(v.narrow ? flags | FLAG_NARROW : flags & ~FLAG_NARROW);
        // A direction read as none only loses its coded bit: its CTCSS bit and code byte stay,
        // as the editor leaves them.
        flags = withCodeType(flags, Direction::Transmit, v.transmit.type);
        if (v.transmit.type != CODE_TYPE_NONE) work.setTxCode(ch, v.transmit.byte);
        flags = withCodeType(flags, Direction::Receive, v.receive.type);
        if (v.receive.type != CODE_TYPE_NONE) work.setRxCode(ch, v.receive.byte);
        work.setFlags(ch, flags);
        result.channelsSet.push_back(ch);
    }
    std::sort(result.channelsSet.begin(), result.channelsSet.end());
    if (result.channelsSet.empty()) return result;
    result.band = settleBand(work);
    doc.ChannelMemory = work.ChannelMemory;
    doc.selectedChannel = NO_CHANNEL; // as after a load: the editor starts at channel 0
    doc.RebuildProgrammedList();
    doc.SetModifiedFlag(true);
    return result;
}

CsvImportResult ImportCsv(CQarloDoc& doc, std::string_view text) {
    return ApplyCsvImport(doc, PlanCsvImport(text));
}

} // namespace qarlo
