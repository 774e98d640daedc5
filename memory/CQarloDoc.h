#pragma once
// The document: one radio's channel memory (16 channel records, 48 spare rows and the settings
// row, 1040 bytes in the radio's own layout) and the bookkeeping the editor shares with it.
#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace qarlo {

inline constexpr int CHANNEL_COUNT = 16;
inline constexpr int RECORD_SIZE = 16;
inline constexpr int MEMORY_ROWS = 65;
inline constexpr int CHANNEL_MEMORY_SIZE = MEMORY_ROWS * RECORD_SIZE; // 1040
inline constexpr int SETTINGS_OFFSET = 64 * RECORD_SIZE;               // 1024
inline constexpr std::int32_t PROGRAMMED_MIN_FREQ = 10000000;          // 100 MHz in 10 Hz units
inline constexpr std::uint8_t LIST_END = 0xFF;
inline constexpr int NO_CHANNEL = 255;

// Offsets inside a ChannelRecord.
inline constexpr int REC_RX_FREQ = 0;
inline constexpr int REC_RX_CODE = 4;
inline constexpr int REC_TX_FREQ = 5;
inline constexpr int REC_TX_CODE = 9;
inline constexpr int REC_FLAGS = 10;
inline constexpr int REC_SQUELCH = 12;

// Offsets inside the ChannelMemory of the CommonSettings fields.
inline constexpr int MEM_TOT_TENTHS = SETTINGS_OFFSET + 2; // 1026
inline constexpr int MEM_BAND_LOW = SETTINGS_OFFSET + 3;   // 1027..1029
inline constexpr int MEM_BAND_HIGH = SETTINGS_OFFSET + 6;  // 1030..1032

inline constexpr std::uint8_t FLAG_NARROW = 0x80;
inline constexpr std::uint8_t FLAG_RX_CTCSS = 0x40;
inline constexpr std::uint8_t FLAG_TX_CTCSS = 0x20;
inline constexpr std::uint8_t FLAG_RX_CODED = 0x10;
inline constexpr std::uint8_t FLAG_TX_CODED = 0x08;

inline constexpr std::uint8_t DEFAULT_SQUELCH = 3;
inline constexpr std::uint8_t DEFAULT_TOT_TENTHS = 50;

// "01频道" .. "64频道": display names indexed by channel index.
std::string_view ChannelName(int index);

using ChannelMemoryBytes = std::array<std::uint8_t, CHANNEL_MEMORY_SIZE>;

// What one step of the edit history puts back: the bytes and the programmed list kept with them.
struct DocumentState {
    ChannelMemoryBytes memory{};
    std::array<std::uint8_t, CHANNEL_COUNT> programmed{};
    bool operator==(const DocumentState&) const = default;
};

class CQarloDoc {
public:
    CQarloDoc();

    // Resets to a new document's defaults; portName is kept.
    bool OnNewDocument();
    bool IsChannelProgrammed(int channel) const;
    void RebuildProgrammedList();

    bool IsModified() const { return modified; }
    void SetModifiedFlag(bool value = true) { modified = value; }

    // Typed access to one channel record (channel 0..63, the spare rows included).
    std::uint8_t* record(int channel) { return ChannelMemory.data() + channel * RECORD_SIZE; }
    const std::uint8_t* record(int channel) const {
        return ChannelMemory.data() + channel * RECORD_SIZE;
    }
    std::int32_t rxFreq(int channel) const;
    std::int32_t txFreq(int channel) const;
    void setRxFreq(int channel, std::int32_t units);
    void setTxFreq(int channel, std::int32_t units);
    std::uint8_t rxCode(int channel) const { return record(channel)[REC_RX_CODE]; }
    std::uint8_t txCode(int channel) const { return record(channel)[REC_TX_CODE]; }
    void setRxCode(int channel, std::uint8_t code) { record(channel)[REC_RX_CODE] = code; }
    void setTxCode(int channel, std::uint8_t code) { record(channel)[REC_TX_CODE] = code; }
    std::uint8_t flags(int channel) const { return record(channel)[REC_FLAGS]; }
    void setFlags(int channel, std::uint8_t value) { record(channel)[REC_FLAGS] = value; }
    std::uint8_t squelch(int channel) const { return record(channel)[REC_SQUELCH]; }
    void setSquelch(int channel, std::uint8_t level) { record(channel)[REC_SQUELCH] = level; }

    std::uint8_t totTenths() const { return ChannelMemory[MEM_TOT_TENTHS]; }
    void setTotTenths(std::uint8_t tenths) { ChannelMemory[MEM_TOT_TENTHS] = tenths; }
    // Band edges in 40 Hz units (MHz x 25000), 24 bits.
    std::int32_t bandLow() const;
    std::int32_t bandHigh() const;
    void setBandLow(std::int32_t units);
    void setBandHigh(std::int32_t units);

    DocumentState state() const { return {ChannelMemory, ProgrammedChannelList}; }
    // Puts a state back; the editor's list box refills at the next channel shown.
    void restore(const DocumentState& s) {
        ChannelMemory = s.memory;
        ProgrammedChannelList = s.programmed;
        listRefillPending = -1;
    }

    // Number of entries before the first LIST_END (0..16).
    int programmedCount() const;

    std::array<std::uint8_t, CHANNEL_COUNT> ProgrammedChannelList{};
    int listRefillPending = -1; // -1: the editor's list box is stale; 1: refilled
    std::string portName;       // "COM1" or "COM2"; survives New and Open
    int selectedChannel = NO_CHANNEL;
    ChannelMemoryBytes ChannelMemory{};

private:
    bool modified = false;
};

} // namespace qarlo
