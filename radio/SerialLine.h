#pragma once
// The line as a real serial port (QSerialPort): the device node opened under any of its names
// so they share one lock, another holder named when it is known.
#include "platform/PortHolders.h"
#include "radio/Line.h"

class QSerialPort;

namespace qarlo {

// The device a port name stands for (COM1/COM2 as the system means them); any other name (a
// device path) is used as it is.
QString ResolvePortName(const QString& name);

class SerialLine final : public Line {
    Q_OBJECT
public:
    explicit SerialLine(QObject* parent = nullptr);
    ~SerialLine() override;

    OpenResult open(const QString& name) override;
    bool isOpen() const override;
    bool dropInput() override;
    qint64 write(const std::uint8_t* data, int size) override;
    qint64 bytesAvailable() const override;
    qint64 read(std::uint8_t* into, qint64 max) override;
    int queuedBytes() const override;
    int bufferedBytes() const override;
    void close() override;

    // Where the search for other holders of a device looks (tests stage their own tree).
    void setHolderSearchRoots(HolderSearchRoots roots) { holderRoots = std::move(roots); }

private:
    void onError(int error);

    QSerialPort* serial = nullptr;
    HolderSearchRoots holderRoots;
    unsigned generation = 0; // one per open, so a late close never hits the next open
};

} // namespace qarlo
