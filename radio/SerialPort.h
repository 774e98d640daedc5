#pragma once
// The radio's port as a transfer uses it: an asynchronous read of up to 256 bytes into a fixed
// buffer, asynchronous writes nobody waits for, and a close that ends both, over a Line.
#include "radio/Clock.h"
#include "radio/Line.h"
#include "radio/Protocol.h"
#include "radio/SerialLine.h"

#include <QObject>
#include <QString>

#include <cstdint>
#include <functional>
#include <memory>
#include <utility>

namespace qarlo {

inline constexpr int RECEIVE_MAX = RADIO_IMAGE_SIZE;
inline constexpr int RECEIVE_INTERVAL_MS = 100;                  // silence after a byte
inline constexpr int RECEIVE_TOTAL_MS = 2100 + 25 * RECEIVE_MAX; // the whole read at most

// `ms` times `scale`, at least 1 ms; a scale that is no positive number leaves `ms` as it is.
int ScaledInterval(int ms, double scale);

// Every byte that goes over the line, for bug reports: `outgoing` true for bytes sent.
using TraceHandler = std::function<void(bool outgoing, const std::uint8_t* data, int size)>;

class SerialPort : public QObject {
    Q_OBJECT
public:
    // A real serial port on the system's clock, or `line` with its timers on `clock`, which
    // must outlive the port.
    explicit SerialPort(QObject* parent = nullptr);
    SerialPort(std::unique_ptr<Line> line, Clock& clock, QObject* parent = nullptr);
    ~SerialPort() override;

    // Opens `name` through the line (SerialLine: resolved, then by its device node, so every
    // name of one device shares one lock). Fails when it cannot be opened or another process
    // holds the device: no such device, held by another program (named when it is known),
    // permission denied (with who may use the device), not a serial device, or other.
    OpenResult OpenPort(const QString& name);
    bool isOpen() const;

    // What a read keeps. AnswerOnly: nothing that arrived before the last Write had left the
    // port, nor the rest of a stream still running then (no 100 ms silence since its last byte),
    // for neither can be the answer to what was just sent.
    enum class Receive { Everything, AnswerOnly };
    // Starts reading up to 256 bytes into `incoming` and returns at once. The read ends at 256
    // bytes, after more than 100 ms of silence following a byte it kept, after 8500 ms in all,
    // or at Close(). The buffer must outlive the port's open time.
    void StartReceive(std::uint8_t* incoming, Receive keep = Receive::Everything);
    // Bytes the last read has put into the buffer so far.
    int received() const { return receivedCount; }
    // Bytes written but not yet on the line: in Qt's buffer or the driver's output queue.
    int unsentBytes() const;

    // Hands `size` bytes to the port without waiting.
    void Write(const std::uint8_t* data, int size);

    // Ends pending reads and writes and closes the port; safe when it is closed.
    void Close();

    // Since the last OpenPort: a write was refused, the device went away, or bytes were still
    // waiting to be handed to the device when the port was closed.
    bool writeFailed() const { return writeFault; }
    // Since the last OpenPort: the device reported an error or went away.
    bool lost() const { return portLost; }

    // `handler` receives every byte sent and received from now on; an empty one, none.
    void setTrace(TraceHandler handler) { trace = std::move(handler); }
    // Multiplies the read's silence and total timeouts (tests against a fast virtual radio).
    void setTimeScale(double scale) { timeScale = scale; }

signals:
    // The read has kept `count` bytes in all so far.
    void bytesKept(int count);

private:
    void onReadyRead();
    bool sentAllWritten() const;
    void onLineFailed();
    void endReceive();
    void traceBytes(bool outgoing, const std::uint8_t* data, qint64 size) const;

    std::unique_ptr<Line> line;
    Clock& clock;
    std::unique_ptr<LinkTimer> intervalTimer;
    std::unique_ptr<LinkTimer> totalTimer;
    std::uint8_t* target = nullptr; // set while a read is pending
    int receivedCount = 0;
    Receive keeping = Receive::Everything;
    bool writtenOut = false;     // the last Write has left the port (AnswerOnly reads)
    qint64 lastByteMs = -100000; // on `clock`, over every open and close of the line
    TraceHandler trace;
    bool writeFault = false;
    bool portLost = false;
    double timeScale = 1.0;
};

} // namespace qarlo
