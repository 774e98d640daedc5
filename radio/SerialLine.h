#pragma once
// The line as a real serial port (QSerialPort): the device node opened under any of its names
// so they share one lock, another holder named when it is known.
#include "radio/Line.h"
#include "radio/PortHolders.h"

class QSerialPort;

namespace qarlo {

// "COM1"/"COM2" name the devices in $QARLO_COM1/$QARLO_COM2, else /dev/ttyS0 and /dev/ttyS1;
// any other name (a device path) is used as it is.
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
