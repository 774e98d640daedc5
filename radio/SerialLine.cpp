#include "SerialLine.h"

#include "platform/Charset.h"
#include "platform/SerialDevice.h"

#include <QFile>
#include <QFileInfo>
#include <QSerialPort>
#include <QTimer>

#include <type_traits>
#include <utility>

namespace qarlo {

namespace {

// The system speaks the user's charset, which need not be UTF-8 (Qt takes it for UTF-8).
std::string fromSystem(const std::string& text) {
    return Charset::User().ToUtf8(text);
}

// What stands between the user and the device, in the system's own terms.
OpenFailure openFailure(const QString& path, QSerialPort::SerialPortError error,
                        const QString& qtReason) {
    OpenFailure failure;
    failure.device = path.toStdString();
    const DeviceAccess access = LookAtDevice(QFile::encodeName(path).toStdString());
    using State = DeviceAccess::State;
    if (access.state == State::Missing) {
        failure.why = OpenFailure::Why::NoSuchDevice;
    } else if (access.state == State::Unknown) {
        failure.detail = fromSystem(access.detail);
    } else if (access.state == State::Denied) {
        failure.why = OpenFailure::Why::Permission;
        failure.group = fromSystem(access.group);
        failure.ownerUid = access.ownerUid;
        failure.ownerName = fromSystem(access.ownerName);
    } else if (error == QSerialPort::PermissionError) {
        failure.why = OpenFailure::Why::HeldBy;
    } else if (access.state == State::OtherFile) {
        failure.why = OpenFailure::Why::NotSerialDevice;
    } else {
        failure.detail = qtReason.toStdString();
    }
    return failure;
}

// The port's descriptor, or its HANDLE on Windows, as the system's side takes it.
template <typename Handle> std::intptr_t nativeHandle(Handle handle) {
    if constexpr (std::is_pointer_v<Handle>)
        return reinterpret_cast<std::intptr_t>(handle);
    else
        return static_cast<std::intptr_t>(handle);
}

} // namespace

QString ResolvePortName(const QString& name) {
    const std::optional<std::string> device = ComPortDevice(name.toStdString());
    return device ? QString::fromLocal8Bit(*device) : name;
}

SerialLine::SerialLine(QObject* parent) : Line(parent), serial(new QSerialPort(this)) {
    connect(serial, &QSerialPort::readyRead, this, &Line::readable);
    connect(serial, &QSerialPort::errorOccurred, this,
            [this](QSerialPort::SerialPortError error) { onError(static_cast<int>(error)); });
}

SerialLine::~SerialLine() {
    close();
}

OpenResult SerialLine::open(const QString& name) {
    close();
    const QString path = ResolvePortName(name);
    // Qt locks the name it opens: open the node itself so two names of one device share a lock.
    const QString node = QFileInfo(path).canonicalFilePath();
    // Whoever holds /dev/null or a file is no program in the way: that is not a port at all.
    if (!MayBeTerminal(QFile::encodeName(path).toStdString())) {
        OpenFailure failure;
        failure.why = OpenFailure::Why::NotSerialDevice;
        failure.device = path.toStdString();
        return {std::move(failure)};
    }
    if (const auto holder = FindDeviceHolder(QFile::encodeName(node).toStdString(), holderRoots)) {
        OpenFailure failure;
        failure.why = OpenFailure::Why::HeldBy;
        failure.device = path.toStdString();
        failure.holder = holder;
        return {std::move(failure)};
    }
    serial->clearError();
    serial->setPortName(node.isEmpty() ? path : node);
    if (!serial->open(QIODevice::ReadWrite)) {
        OpenFailure failure = openFailure(path, serial->error(), serial->errorString());
        serial->clearError();
        return {std::move(failure)};
    }
    // Only the line's speed and framing; Qt keeps the rest of its raw set-up.
    serial->setBaudRate(PORT_BAUD_RATE);
    serial->setDataBits(QSerialPort::Data8);
    serial->setParity(QSerialPort::NoParity);
    serial->setStopBits(QSerialPort::OneStop);
    ++generation;
    return {};
}

bool SerialLine::isOpen() const {
    return serial->isOpen();
}

bool SerialLine::dropInput() {
    if (!serial->isOpen()) return false;
    const bool any = DriverHasInput(nativeHandle(serial->handle()));
    serial->clear(QSerialPort::Input);
    return any;
}

qint64 SerialLine::write(const std::uint8_t* data, int size) {
    return serial->write(reinterpret_cast<const char*>(data), size);
}

qint64 SerialLine::bytesAvailable() const {
    return serial->bytesAvailable();
}

qint64 SerialLine::read(std::uint8_t* into, qint64 max) {
    return serial->read(reinterpret_cast<char*>(into), max);
}

// Qt's buffer and the driver's output queue.
int SerialLine::queuedBytes() const {
    if (!serial->isOpen()) return 0;
    return bufferedBytes() + DriverOutputQueued(nativeHandle(serial->handle()));
}

int SerialLine::bufferedBytes() const {
    return static_cast<int>(serial->bytesToWrite());
}

void SerialLine::onError(int error) {
    switch (static_cast<QSerialPort::SerialPortError>(error)) {
    case QSerialPort::NoError:
    case QSerialPort::TimeoutError:
    case QSerialPort::UnsupportedOperationError: // DTR/RTS on a pseudo-terminal
        return;
    default:
        break;
    }
    // A device that went away keeps reporting; Qt leaves it "open", so close it ourselves, but
    // only after Qt has left its notifier, and only the port that failed.
    emit failed();
    const unsigned lost = generation;
    QTimer::singleShot(0, this, [this, lost] {
        if (generation == lost && serial->isOpen()) serial->close();
    });
}

void SerialLine::close() {
    if (serial->isOpen()) serial->close();
    serial->clearError();
    ++generation;
}

} // namespace qarlo
