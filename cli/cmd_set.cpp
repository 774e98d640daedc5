// `set`: settings and one channel of a channel file changed from a script, all or nothing.
#include "Command.h"
#include "common.h"

#include "memory/ChannelFile.h"
#include "memory/Signalling.h"
#include "memory/Units.h"
#include "radio/RadioImage.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>

namespace qarlo::cli {
namespace {

constexpr std::int32_t BAND_UNITS_PER_MHZ = 25000; // 40 Hz units
constexpr std::int64_t MAX_SPLIT = 1000000;        // 10 MHz in 10 Hz units

// What the command line asks for, every value already checked on its own.
struct Change {
    std::optional<std::pair<int, int>> bandMHz;
    std::optional<std::uint8_t> totTenths;
    int channel = -1; // 0..15; -1: no channel named
    bool clear = false;
    std::optional<std::int32_t> rx, tx;
    std::optional<SignallingChoice> rxCode, txCode;
    std::optional<bool> narrow;
    std::optional<std::uint8_t> squelch;
    bool touchesChannel() const { return rx || tx || rxCode || txCode || narrow || squelch; }
};

// The whole text as one number, nothing before or after it.
template <typename Number> std::optional<Number> wholeNumber(std::string_view text) {
    Number value{};
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || ec != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return value;
}

std::optional<std::pair<int, int>> parseBand(std::string_view text) {
    const std::size_t dash = text.find('-');
    if (dash == std::string_view::npos) return std::nullopt;
    const auto low = wholeNumber<int>(text.substr(0, dash));
    const auto high = wholeNumber<int>(text.substr(dash + 1));
    if (!low || !high || *low < 100 || *low > 480 || *high - *low < 10 || *high - *low > 40)
        return std::nullopt;
    return std::pair(*low, *high);
}

std::optional<std::uint8_t> parseMinutes(std::string_view text) {
    const auto minutes = wholeNumber<double>(text);
    if (!minutes || !std::isfinite(*minutes)) return std::nullopt;
    const double tenths = std::round(*minutes * 10);
    if (std::abs(*minutes * 10 - tenths) > 1e-6 || tenths < 1 || tenths > 100) return std::nullopt;
    return static_cast<std::uint8_t>(tenths);
}

// 100..520 MHz on the radio's raster of 5 kHz or 6.25 kHz.
std::optional<std::int32_t> parseFrequency(std::string_view text) {
    const auto mhz = wholeNumber<double>(text);
    if (!mhz || !std::isfinite(*mhz) || *mhz < 100 || *mhz > 520) return std::nullopt;
    const std::int32_t units = FrequencyUnitsFromMHz(*mhz);
    if (std::abs(*mhz * 100000 - units) > 1e-3 || (units % 500 != 0 && units % 625 != 0))
        return std::nullopt;
    return units;
}

std::optional<bool> parseBandwidth(std::string_view text) {
    if (text == "25") return false;
    if (text == "12.5") return true;
    return std::nullopt;
}

std::optional<std::uint8_t> parseSquelch(std::string_view text) {
    const auto level = wholeNumber<int>(text);
    if (!level || *level < 0 || *level > 9) return std::nullopt;
    return static_cast<std::uint8_t>(*level);
}

std::optional<int> parseChannel(std::string_view text) {
    const auto channel = wholeNumber<int>(text);
    if (!channel || *channel < 1 || *channel > CHANNEL_COUNT) return std::nullopt;
    return *channel - 1;
}

// One option's value read into `into`; a bad value is named with what the option takes.
template <typename Value, typename Parse>
bool take(const Invocation& invocation, const char* option, const char* takes, Parse parse,
          std::optional<Value>& into) {
    if (!invocation.isSet(option)) return true;
    const std::string text = invocation.value(option);
    into = parse(text);
    if (into) return true;
    std::fprintf(stderr, "qarlo-cli set: --%s takes %s, not '%s'\n", option, takes, Shown(text).c_str());
    return false;
}

std::optional<Change> readChange(const Invocation& invocation) {
    Change change;
    std::optional<int> channel;
    const bool read =
        take(invocation, "band", "LOW-HIGH in whole MHz, LOW 100..480, 10..40 MHz wide", parseBand,
             change.bandMHz) &&
        take(invocation, "tot", "minutes 0.1..10 in steps of 0.1", parseMinutes,
             change.totTenths) &&
        take(invocation, "channel", "a channel 1..16", parseChannel, channel) &&
        take(invocation, "rx", "MHz 100..520 on a 5 kHz or 6.25 kHz step", parseFrequency,
             change.rx) &&
        take(invocation, "tx", "MHz 100..520 on a 5 kHz or 6.25 kHz step", parseFrequency,
             change.tx) &&
        take(invocation, "rx-code", "QT TONE, DQT CODE (N or I) or none", parseSignallingText,
             change.rxCode) &&
        take(invocation, "tx-code", "QT TONE, DQT CODE (N or I) or none", parseSignallingText,
             change.txCode) &&
        take(invocation, "bandwidth", "25 or 12.5", parseBandwidth, change.narrow) &&
        take(invocation, "squelch", "a level 0..9", parseSquelch, change.squelch);
    if (!read) return std::nullopt;
    change.channel = channel.value_or(-1);
    change.clear = invocation.isSet("clear");
    const char* problem = nullptr;
    if ((change.touchesChannel() || change.clear) && !channel)
        problem = "the channel options need --channel N";
    else if (change.clear && change.touchesChannel())
        problem = "--clear takes no other channel option";
    else if (channel && !change.clear && !change.touchesChannel())
        problem = "--channel needs --clear or a value to set";
    else if (!channel && !change.bandMHz && !change.totTenths)
        problem = "nothing to set";
    if (problem == nullptr) return change;
    std::fprintf(stderr, "qarlo-cli set: %s\n", problem);
    return std::nullopt;
}

void applySide(std::uint8_t& flags, Direction d, const SignallingChoice& side, CQarloDoc& doc,
               int ch) {
    flags = withCodeType(flags, d, side.type);
    // None only drops the coded bit, as in the editor; the stored byte waits for a type again.
    if (side.type == CODE_TYPE_NONE) return;
    if (d == Direction::Receive)
        doc.setRxCode(ch, side.byte);
    else
        doc.setTxCode(ch, side.byte);
}

void applyChannel(const Change& change, CQarloDoc& doc) {
    const int ch = change.channel;
    if (change.clear) {
        std::fill_n(doc.record(ch), RECORD_SIZE, std::uint8_t{0});
        doc.setSquelch(ch, DEFAULT_SQUELCH); // as a new document's channel
        return;
    }
    if (change.rx) doc.setRxFreq(ch, *change.rx);
    if (change.tx) doc.setTxFreq(ch, *change.tx);
    std::uint8_t flags = doc.flags(ch);
    if (change.narrow)
        flags =
            static_cast<std::uint8_t>(*change.narrow ? flags | FLAG_NARROW : flags & ~FLAG_NARROW);
    if (change.rxCode) applySide(flags, Direction::Receive, *change.rxCode, doc, ch);
    if (change.txCode) applySide(flags, Direction::Transmit, *change.txCode, doc, ch);
    doc.setFlags(ch, flags);
    if (change.squelch) doc.setSquelch(ch, *change.squelch);
}

// A frequency given must leave the channel with both frequencies, at most 10 MHz apart.
bool channelKeepsTogether(const Change& change, const CQarloDoc& doc) {
    if (!change.rx && !change.tx) return true;
    const std::int64_t rx = doc.rxFreq(change.channel), tx = doc.txFreq(change.channel);
    const char* problem = nullptr;
    if (rx == 0 || tx == 0)
        problem = rx == 0 ? "has no receive frequency: give --rx too"
                          : "has no transmit frequency: give --tx too";
    else if (std::abs(rx - tx) > MAX_SPLIT)
        problem = "would receive and transmit more than 10 MHz apart";
    if (problem == nullptr) return true;
    std::fprintf(stderr, "qarlo-cli set: channel %d %s\n", change.channel + 1, problem);
    return false;
}

int runSet(const Invocation& invocation) {
    const std::string& target = invocation.operands[0];
    const auto change = readChange(invocation);
    if (!change) return EXIT_USAGE;
    // Held from load to store: another change of FILE meanwhile would be lost.
    const FileLock lock(target);
    if (!LockOrReport(lock, target)) return EXIT_FAILED;
    CQarloDoc doc;
    if (!LoadOrReport(doc, target)) return EXIT_USAGE;
    if (change->bandMHz) {
        doc.setBandLow(change->bandMHz->first * BAND_UNITS_PER_MHZ);
        doc.setBandHigh(change->bandMHz->second * BAND_UNITS_PER_MHZ);
    }
    if (change->totTenths) doc.setTotTenths(*change->totTenths);
    if (change->channel >= 0) {
        applyChannel(*change, doc);
        if (!channelKeepsTogether(*change, doc)) {
            std::fprintf(stderr, "qarlo-cli: %s left unchanged\n", Shown(target).c_str());
            return EXIT_USAGE;
        }
    }
    doc.RebuildProgrammedList();
    const FileResult stored = StoreChannelFile(doc, target);
    if (!stored.ok()) {
        std::fprintf(stderr, "qarlo-cli: %s\n", DescribeFileError(stored).c_str());
        return EXIT_FAILED;
    }
    // Stored all the same: the next change may be the one that makes the file fit.
    if (const auto failure = CheckDocument(doc))
        std::fprintf(stderr, "qarlo-cli: note: %s cannot be written to a radio yet: %s\n",
                     target.c_str(), CheckFailureLine(*failure).c_str());
    return EXIT_OK;
}

constexpr Option SetOptions[] = {{"band", "LOW-HIGH"}, {"tot", "MINUTES"},   {"channel", "N"},
                                 {"rx", "MHZ"},        {"tx", "MHZ"},        {"rx-code", "CODE"},
                                 {"tx-code", "CODE"},  {"bandwidth", "KHZ"}, {"squelch", "LEVEL"},
                                 {"clear", nullptr}};

} // namespace

const Command SetCommand{
    "set",
    "change settings and one channel of a channel file",
    "usage: qarlo-cli set FILE [--band LOW-HIGH] [--tot MINUTES] [--channel N [--rx MHZ] "
    "[--tx MHZ] [--rx-code CODE] [--tx-code CODE] [--bandwidth 25|12.5] [--squelch 0-9] | "
    "--channel N --clear]\n\n"
    "Changes FILE in one step: every value is checked first, and a bad one changes nothing.\n"
    "Signalling is written as show prints it: \"QT 67\", \"DQT 023N\", \"DQT 023I\", \"无\" or\n"
    "none. None keeps the stored code byte, as the editor does. The bandwidth changes only with\n"
    "--bandwidth. A channel given a frequency must end with both frequencies set, at most\n"
    "10 MHz apart. When FILE does not pass the checks before a write afterwards (a channel\n"
    "outside the band, say), it is stored all the same and the first failing check is noted.\n\n"
    "  --band LOW-HIGH    band edges in whole MHz: LOW 100..480, 10..40 MHz wide\n"
    "  --tot MINUTES      transmit time-out, 0.1..10 minutes in steps of 0.1\n"
    "  --channel N        the channel 1..16 the following options change\n"
    "  --rx MHZ, --tx MHZ receive and transmit frequency, 100..520 MHz on a 5 or 6.25 kHz step\n"
    "  --rx-code CODE, --tx-code CODE  signalling of each direction\n"
    "  --bandwidth KHZ    25 or 12.5\n"
    "  --squelch LEVEL    0..9\n"
    "  --clear            empty the channel, as in a new document\n\n"
    "FILE is locked while it is changed; another program holding it for more than 5 s is\n"
    "reported and FILE left unchanged.\n\n"
    "exit status: 0 stored, 1 FILE could not be written or stayed locked, 2 bad usage or a bad\n"
    "value, or FILE unreadable or not a channel file\n",
    "FILE",
    SetOptions,
    runSet};

} // namespace qarlo::cli
