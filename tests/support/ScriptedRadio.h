#pragma once
// The radio at the far end of a scripted line on a FakeClock: it hears each byte when the
// byte has crossed the line at 2400 baud and answers the way a test set it up, to the
// millisecond. The line it hands out is what the link opens and closes between steps.
#include "FakeClock.h"
#include "radio/Line.h"
#include "radio/Protocol.h"

#include <QByteArray>
#include <QString>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

namespace qarlo::test {

class ScriptedRadio {
public:
    // What the radio does; a test changes these before the transfer.
    QByteArray handshakeReply = QByteArray::fromHex("ff115102"); // empty: silent
    QByteArray image;                                            // sent for a read request
    int imageBytes = 256;                                        // how much of it is sent
    int hangUpAfterSent = -1;     // >= 0: the device goes away after sending this many image bytes
    int hangUpAfterReceived = -1; // >= 0: ... after receiving this many image bytes
    int replyDelayMs = 0;         // the handshake reply starts this late
    int pieceBytes = 0;           // > 0: the image in pieces of this many bytes, 80 ms apart
    std::vector<std::optional<OpenFailure>> openFailures; // [n] set: the n-th open fails so

    explicit ScriptedRadio(FakeClock& time) : clock(time) {}
    ~ScriptedRadio() {
        if (line) line->radio = nullptr;
    }
    ScriptedRadio(const ScriptedRadio&) = delete;
    ScriptedRadio& operator=(const ScriptedRadio&) = delete;

    // The one line to this radio.
    std::unique_ptr<Line> makeLine() { return std::make_unique<ScriptedLine>(*this); }

    QByteArray received() const {
        QByteArray all;
        for (const Heard& h : heard)
            all.append(h.byte);
        return all;
    }
    // When the byte at `offset` of received() had crossed the line.
    std::optional<qint64> arrivalOf(int offset) const {
        if (offset < 0 || offset >= static_cast<int>(heard.size())) return std::nullopt;
        return heard[static_cast<std::size_t>(offset)].ms;
    }
    QStringList opened; // every name the line was opened with, also in vain
    bool lineOpen() const { return line != nullptr && line->openNow; }

    // The device goes away: whatever is under way is lost, and it cannot be opened again.
    void hangUp() {
        gone = true;
        if (line && line->openNow) {
            emit line->failed();
            clock.after(0, [this] {
                if (line) line->openNow = false;
            });
        }
    }

    // A new device under the same name, listening from the start.
    void comeBack() {
        gone = false;
        command.clear();
        afterHandshake = false;
    }

private:
    class ScriptedLine final : public Line {
    public:
        explicit ScriptedLine(ScriptedRadio& r) : radio(&r) { r.line = this; }
        ~ScriptedLine() override {
            if (radio) radio->line = nullptr;
        }
        OpenResult open(const QString& name) override {
            close();
            if (radio == nullptr) return {OpenFailure{}};
            const std::size_t n = static_cast<std::size_t>(radio->opened.size());
            radio->opened << name;
            OpenFailure failure;
            failure.device = name.toStdString();
            failure.why = OpenFailure::Why::NoSuchDevice;
            if (radio->gone) return {failure};
            if (n < radio->openFailures.size() && radio->openFailures[n])
                return {radio->openFailures[n]};
            openNow = true;
            return {};
        }
        bool isOpen() const override { return openNow; }
        bool dropInput() override { return !std::exchange(waiting, {}).isEmpty(); }
        qint64 write(const std::uint8_t* data, int size) override {
            if (!openNow || radio == nullptr) return -1;
            for (int i = 0; i < size; ++i)
                radio->carry(data[i]);
            return size;
        }
        qint64 bytesAvailable() const override { return waiting.size(); }
        qint64 read(std::uint8_t* into, qint64 max) override {
            const qint64 n = std::min<qint64>(max, waiting.size());
            std::copy_n(waiting.constData(), n, reinterpret_cast<char*>(into));
            waiting.remove(0, n);
            return n;
        }
        int queuedBytes() const override { return radio ? radio->onTheWire() : 0; }
        int bufferedBytes() const override { return 0; } // the "driver" takes all at once
        void close() override { openNow = false; }

        ScriptedRadio* radio;
        bool openNow = false;
        QByteArray waiting; // arrived, not yet read; kept while closed, as a driver does
    };

    static constexpr qint64 BYTE_US = 1'000'000LL * 10 / PORT_BAUD_RATE;
    static qint64 msAt(qint64 us) { return (us + 999) / 1000; }

    // A byte from the PC: it reaches the radio once it has crossed the line.
    void carry(std::uint8_t byte) {
        toRadioUs = std::max(toRadioUs, clock.nowMs() * 1000) + BYTE_US;
        outgoingUs.push_back(toRadioUs);
        clock.after(msAt(toRadioUs) - clock.nowMs(), [this, byte] { hear(byte); });
    }
    int onTheWire() const {
        const qint64 nowUs = clock.nowMs() * 1000;
        return static_cast<int>(std::count_if(outgoingUs.begin(), outgoingUs.end(),
                                              [&](qint64 us) { return us > nowUs; }));
    }
    // Bytes to the PC, starting `delayMs` from now or after what is still on its way.
    void answer(const QByteArray& data, int delayMs, int piece = 0) {
        qint64 due = std::max(clock.nowMs() * 1000 + delayMs * 1000LL, toPcUs);
        for (qsizetype i = 0; i < data.size(); ++i) {
            if (piece > 0 && i > 0 && i % piece == 0) due += 80'000;
            due += BYTE_US;
            const char byte = data[i];
            clock.after(msAt(due) - clock.nowMs(), [this, byte] { deliver(byte); });
        }
        toPcUs = due;
    }
    void deliver(char byte) {
        if (gone || line == nullptr) return;
        line->waiting.append(byte);
        if (line->openNow) emit line->readable();
    }

    void hear(std::uint8_t byte) {
        if (gone) return;
        heard.push_back({clock.nowMs(), static_cast<char>(byte)});
        command.append(static_cast<char>(byte));
        const QByteArray handshake = QByteArray::fromHex("ff112233");
        // A new handshake starts over, as after a transfer the program gave up on.
        if (command.endsWith(handshake) && (!afterHandshake || command == handshake)) {
            command.clear();
            afterHandshake = !handshakeReply.isEmpty();
            if (afterHandshake) answer(handshakeReply, replyDelayMs);
            return;
        }
        if (!afterHandshake) return;
        if (command == QByteArray::fromHex("ff00ff00")) {
            command.clear();
            afterHandshake = false;
            const int sent =
                hangUpAfterSent < 0 ? imageBytes : std::min(imageBytes, hangUpAfterSent);
            answer(image.left(sent), 0, pieceBytes);
            if (hangUpAfterSent >= 0)
                clock.after(msAt(toPcUs) - clock.nowMs() + 50, [this] { hangUp(); });
        } else if (hangUpAfterReceived >= 0 && command.size() >= hangUpAfterReceived) {
            hangUp();
        } else if (command.size() >= RADIO_IMAGE_SIZE) { // the image written; listening again
            command.clear();
            afterHandshake = false;
        }
    }

    struct Heard {
        qint64 ms;
        char byte;
    };
    FakeClock& clock;
    ScriptedLine* line = nullptr;
    std::vector<Heard> heard;
    std::vector<qint64> outgoingUs; // when each byte from the PC has crossed the line
    qint64 toRadioUs = 0, toPcUs = 0;
    QByteArray command;
    bool afterHandshake = false;
    bool gone = false;
};

} // namespace qarlo::test
