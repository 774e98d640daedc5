#pragma once
// The serial line to the radio: an exclusive open at 2400 8N1, an asynchronous read of up to 256
// bytes into a fixed buffer, asynchronous writes nobody waits for, and a close that ends both.
#include "radio/PortHolders.h"
#include "radio/Protocol.h"
#include "radio/TransferOutcome.h"

#include <QElapsedTimer>
#include <QObject>
#include <QString>

#include <cstdint>
#include <functional>
#include <optional>
#include <utility>

class QSerialPort;
class QTimer;

namespace qarlo {

inline constexpr int RECEIVE_MAX = RADIO_IMAGE_SIZE;
inline constexpr int RECEIVE_INTERVAL_MS = 100;                  // silence after a byte
inline constexpr int RECEIVE_TOTAL_MS = 2100 + 25 * RECEIVE_MAX; // the whole read at most

// `ms` times `scale`, at least 1 ms; a scale that is no positive number leaves `ms` as it is.
int ScaledInterval(int ms, double scale);

// "COM1"/"COM2" name the devices in $QARLO_COM1/$QARLO_COM2, else /dev/ttyS0 and /dev/ttyS1;
// any other name (a device path) is used as it is.
QString ResolvePortName(const QString& name);

// Every byte that goes over the line, for bug reports: `outgoing` true for bytes sent.
using TraceHandler = std::function<void(bool outgoing, const std::uint8_t* data, int size)>;

struct OpenResult {
    std::optional<OpenFailure> failure; // set: the port stayed closed, and this is why
    bool ok() const { return !failure; }
};

class SerialPort : public QObject {
    Q_OBJECT
public:
    explicit SerialPort(QObject* parent = nullptr);
    ~SerialPort() override;

    // Opens `name` (resolved as above, then by its device node, so every name of one device
    // shares one lock) exclusively and sets 2400 8N1. Fails when it cannot be opened or another
    // process holds the device: no such device, held by another program (named when it is
    // known), permission denied (with who may use the device), not a serial device, or other.
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
    // Where the search for other holders of a device looks (tests stage their own tree).
    void setHolderSearchRoots(HolderSearchRoots roots) { holderRoots = std::move(roots); }

signals:
    // The read has kept `count` bytes in all so far.
    void bytesKept(int count);

private:
    void onReadyRead();
    bool sentAllWritten() const;
    void onError(int error);
    void endReceive();
    void traceBytes(bool outgoing, const std::uint8_t* data, qint64 size) const;

    QSerialPort* serial = nullptr;
    QTimer* intervalTimer = nullptr;
    QTimer* totalTimer = nullptr;
    std::uint8_t* target = nullptr; // set while a read is pending
    int receivedCount = 0;
    Receive keeping = Receive::Everything;
    bool writtenOut = false;     // the last Write has left the port (AnswerOnly reads)
    QElapsedTimer clock;         // runs for the object's life
    qint64 lastByteMs = -100000; // on `clock`, over every open and close of the line
    HolderSearchRoots holderRoots;
    TraceHandler trace;
    bool writeFault = false;
    bool portLost = false;
    double timeScale = 1.0;
    unsigned generation = 0; // one per open, so a late close never hits the next open
};

} // namespace qarlo
