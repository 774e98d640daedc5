#pragma once
// The two transfers with the radio: a chain of short steps on the event loop, each opening the
// port, sending a packet and arming one timer whose handler closes the port and looks at what
// arrived. QtCore only: the window and the command line both drive it.
#include "memory/CQarloDoc.h"
#include "radio/RadioImage.h"
#include "radio/SerialPort.h"
#include "radio/TransferOutcome.h"

#include <QObject>
#include <QString>

#include <array>
#include <cstdint>
#include <memory>

namespace qarlo {

class RadioLink : public QObject {
    Q_OBJECT
public:
    static constexpr std::uint8_t MODE_IDLE = 0x00, MODE_READ = 0x80, MODE_WRITE = 0xFF;
    static constexpr int TIMER_IMAGE_READ = 1, TIMER_IMAGE_WRITE = 2, TIMER_HANDSHAKE = 3;
    explicit RadioLink(CQarloDoc& doc, QObject* parent = nullptr);
    // Over `line`, every timer on `clock` (which must outlive the link).
    RadioLink(CQarloDoc& doc, std::unique_ptr<Line> line, Clock& clock, QObject* parent = nullptr);
    ~RadioLink() override; // closes the port, returns to idle

    // Each is ignored unless idle (copies doc.portName; a write runs EncodeRadioImage first) and
    // returns whether the transfer is under way, its handshake out; false when it never started
    // or already ended (transferFinished has then been emitted).
    bool OnRadioRead();
    bool OnRadioWrite();
    // The read's steps, timing and failures, but the image is only compared with the document
    // (CompareDone); the document, its modified mark and IoBuffer's outgoing half stay as they are.
    bool OnRadioCompare();
    void OnClose(); // owner going away: kill timers, close port, idle
    std::uint8_t TransferMode() const;
    bool isBusy() const;      // TransferMode() != MODE_IDLE
    IoBufferBytes IoBuffer{}; // public for tests: 0..255 out, 256..511 in
    QString transferPortName;
    // For soak tests against a fast virtual radio: multiplies the three timers and the port's
    // read timeouts. 1.0, the default, is the radio's own timing.
    void setTimeScale(double scale);
    // Every byte on the line goes to `handler` as well (qarlo-cli --trace); empty: to nobody.
    void setTrace(TraceHandler handler);

signals:
    // A complete 256-byte image has been decoded into the document (DecodeRadioImage done,
    // document marked modified), before the transfer ends. The owner makes channel 0 current,
    // shows it, rebuilds the programmed list and refills its list, synchronously inside the slot
    // (direct connection).
    void imageDecoded();
    // Once at the end of every transfer, with TransferMode already idle. The link shows nothing:
    // the owner tells the user what OutcomeMessage() says, a failed check's text before it
    // brings the failing channel into the editor.
    void transferFinished(const qarlo::TransferOutcome& outcome);
    // While a transfer runs: `bytes` of `total` of the current step have arrived (Handshake,
    // ImageRequest: the reply and the image) or left (Image). Emitted at the start of each step
    // and whenever the count changes.
    void progress(qarlo::TransferStep step, int bytes, int total);

private:
    bool startRead(bool compareOnly);
    void SendHandshake();
    void SendReadRequest();
    void SendRadioImage();
    bool openFor(TransferStep step);
    void OnTimer(int id);
    void OnReadComplete();
    void OnWriteComplete();
    void killTimers();
    void finish(const TransferOutcome& outcome);
    void armTimer(int id);
    void makeTimers(Clock& clock);
    void startStep(TransferStep step);
    void reportProgress(int bytes);
    void pollWriteProgress();

    CQarloDoc& doc;
    std::uint8_t mode = MODE_IDLE;
    std::array<std::uint8_t, 4> packet{};
    std::unique_ptr<SerialPort> port;
    std::unique_ptr<LinkTimer> timers[4]; // indexed by timer id 1..3
    int intervals[4] = {};
    bool comparing = false; // the running read only compares
    TransferStep currentStep = TransferStep::Handshake;
    int lastProgress = -1;
    std::unique_ptr<LinkTimer> writeProgress; // the driver reports no event as bytes leave: look
};

} // namespace qarlo
