#pragma once
// The serial line beneath a transfer: what a port does, without any of a transfer's timing. The
// programs use the QSerialPort body (SerialLine); tests put a scripted radio behind it.
#include "radio/TransferOutcome.h"

#include <QObject>
#include <QString>

#include <cstdint>
#include <optional>

namespace qarlo {

struct OpenResult {
    std::optional<OpenFailure> failure; // set: the port stayed closed, and this is why
    bool ok() const { return !failure; }
};

class Line : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    // Opens `name` (COM1/COM2 resolved) exclusively at 2400 8N1, or says what stands in the way.
    virtual OpenResult open(const QString& name) = 0;
    virtual bool isOpen() const = 0;
    // Drops what reached the line while it was closed; true when there was something.
    virtual bool dropInput() = 0;
    // Hands bytes to the device without waiting: how many it took, -1 when it refused them.
    virtual qint64 write(const std::uint8_t* data, int size) = 0;
    virtual qint64 bytesAvailable() const = 0;
    virtual qint64 read(std::uint8_t* into, qint64 max) = 0;
    // Written but not yet on the line; of those, not yet handed to the device at all.
    virtual int queuedBytes() const = 0;
    virtual int bufferedBytes() const = 0;
    // Ends everything pending; safe when closed.
    virtual void close() = 0;

signals:
    void readable();
    // The device reported an error or went away; the line closes itself soon after.
    void failed();
};

} // namespace qarlo
