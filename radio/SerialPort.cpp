#include "SerialPort.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace qarlo {

int ScaledInterval(int ms, double scale) {
    if (!(scale > 0.0) || scale == 1.0) return ms;
    const double scaled = std::round(static_cast<double>(ms) * std::min(scale, 1000.0));
    return std::max(1, static_cast<int>(scaled));
}

SerialPort::SerialPort(QObject* parent)
    : SerialPort(std::make_unique<SerialLine>(), Clock::system(), parent) {}

SerialPort::SerialPort(std::unique_ptr<Line> body, Clock& time, QObject* parent)
    : QObject(parent), line(std::move(body)), clock(time),
      intervalTimer(clock.makeTimer([this] { endReceive(); })),
      totalTimer(clock.makeTimer([this] { endReceive(); })) {
    connect(line.get(), &Line::readable, this, &SerialPort::onReadyRead);
    connect(line.get(), &Line::failed, this, &SerialPort::onLineFailed);
}

SerialPort::~SerialPort() {
    Close();
}

OpenResult SerialPort::OpenPort(const QString& name) {
    Close();
    writeFault = false;
    portLost = false;
    receivedCount = 0;
    OpenResult opened = line->open(name);
    if (!opened.ok()) return opened;
    // A freshly opened port has heard nothing yet: bytes that reached the line while it was
    // closed (a late answer to an earlier step) must not pass for this step's answer; they
    // still count as the line's latest traffic.
    if (line->dropInput()) lastByteMs = clock.nowMs();
    return opened;
}

bool SerialPort::isOpen() const {
    return line->isOpen();
}

void SerialPort::StartReceive(std::uint8_t* incoming, Receive keep) {
    target = nullptr;
    receivedCount = 0;
    keeping = keep;
    writtenOut = false;
    intervalTimer->stop();
    if (!line->isOpen() || portLost || incoming == nullptr) return;
    target = incoming;
    totalTimer->start(ScaledInterval(RECEIVE_TOTAL_MS, timeScale));
    if (line->bytesAvailable() > 0) onReadyRead();
}

int SerialPort::unsentBytes() const {
    return line->queuedBytes();
}

void SerialPort::onReadyRead() {
    const qint64 now = clock.nowMs();
    const qint64 previousByteMs = std::exchange(lastByteMs, now);
    // Stale: our packet is still on its way out, or the bytes continue a stream that was running
    // before it (the answer only starts after a silence). Once kept, the answer may pause.
    bool stale = false;
    if (keeping == Receive::AnswerOnly && receivedCount == 0) {
        writtenOut = writtenOut || line->queuedBytes() == 0;
        stale =
            !writtenOut || now - previousByteMs < ScaledInterval(RECEIVE_INTERVAL_MS, timeScale);
    }
    if (target == nullptr || stale) {
        // Nobody's answer: read and dropped, so they can never fill a later read.
        std::uint8_t dropped[RECEIVE_MAX];
        for (qint64 got; (got = line->read(dropped, RECEIVE_MAX)) > 0;)
            traceBytes(false, dropped, got);
        return;
    }
    const qint64 wanted = RECEIVE_MAX - receivedCount;
    const qint64 got = line->read(target + receivedCount, wanted);
    if (got <= 0) return;
    traceBytes(false, target + receivedCount, got);
    receivedCount += static_cast<int>(got);
    emit bytesKept(receivedCount);
    if (receivedCount >= RECEIVE_MAX)
        endReceive();
    else
        intervalTimer->start(ScaledInterval(RECEIVE_INTERVAL_MS, timeScale));
}

void SerialPort::endReceive() {
    target = nullptr;
    intervalTimer->stop();
    totalTimer->stop();
}

void SerialPort::Write(const std::uint8_t* data, int size) {
    if (!line->isOpen() || portLost) {
        writeFault = true;
        return;
    }
    traceBytes(true, data, size);
    if (line->write(data, size) != size) writeFault = true;
}

void SerialPort::traceBytes(bool outgoing, const std::uint8_t* data, qint64 size) const {
    if (trace && size > 0) trace(outgoing, data, static_cast<int>(size));
}

void SerialPort::onLineFailed() {
    portLost = true;
    writeFault = true;
    endReceive();
}

void SerialPort::Close() {
    endReceive();
    if (line->isOpen() && line->bufferedBytes() > 0) writeFault = true; // never reached the device
    line->close();
}

} // namespace qarlo
