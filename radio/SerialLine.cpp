#include "SerialLine.h"

#include <QFile>
#include <QFileInfo>
#include <QSerialPort>
#include <QTimer>

#include <fcntl.h>
#include <grp.h>
#include <pwd.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <utility>

namespace qarlo {

namespace {

std::string fromLocal(const char* text) {
    return QString::fromLocal8Bit(text).toStdString();
}

// Who may use a device this user may not: a group, when it may read and write the device and
// is not root's (joining root's group is no advice to give), else its owner.
void whoMayUse(const struct stat& info, OpenFailure& failure) {
    const bool groupMay = (info.st_mode & (S_IRGRP | S_IWGRP)) == (S_IRGRP | S_IWGRP);
    if (groupMay && info.st_gid != 0) {
        if (const ::group* g = ::getgrgid(info.st_gid)) {
            failure.group = fromLocal(g->gr_name);
            return;
        }
    }
    failure.ownerUid = info.st_uid;
    if (info.st_uid == 0) return;
    if (const ::passwd* owner = ::getpwuid(info.st_uid))
        failure.ownerName = fromLocal(owner->pw_name);
}

// What stands between the user and the device, in the system's own terms.
OpenFailure openFailure(const QString& path, QSerialPort::SerialPortError error,
                        const QString& qtReason) {
    OpenFailure failure;
    failure.device = path.toStdString();
    const QByteArray native = QFile::encodeName(path);
    struct stat info {};
    if (::stat(native.constData(), &info) != 0) {
        if (errno == ENOENT || errno == ENOTDIR) {
            failure.why = OpenFailure::Why::NoSuchDevice;
        } else {
            failure.detail = fromLocal(std::strerror(errno));
        }
        return failure;
    }
    if (::access(native.constData(), R_OK | W_OK) != 0 && errno == EACCES) {
        failure.why = OpenFailure::Why::Permission;
        whoMayUse(info, failure);
    } else if (error == QSerialPort::PermissionError) {
        failure.why = OpenFailure::Why::HeldBy;
    } else if (!S_ISCHR(info.st_mode)) {
        failure.why = OpenFailure::Why::NotSerialDevice;
    } else {
        failure.detail = qtReason.toStdString();
    }
    return failure;
}

// False only for what exists and is surely no terminal: a file, a directory, /dev/null. A node
// that cannot be opened now (held, no permission) is left to the open to explain.
bool IsTerminal(const QString& path) {
    const QByteArray native = QFile::encodeName(path);
    struct stat info {};
    if (::stat(native.constData(), &info) != 0) return true;
    // No permission is the first thing to say of a node the user may not use.
    if (::access(native.constData(), R_OK | W_OK) != 0) return true;
    if (!S_ISCHR(info.st_mode)) return false;
    const int fd = ::open(native.constData(), O_RDWR | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) return true;
    const bool terminal = ::isatty(fd) == 1;
    ::close(fd);
    return terminal;
}

} // namespace

QString ResolvePortName(const QString& name) {
    if (name == QLatin1String("COM1") || name == QLatin1String("COM2")) {
        const QByteArray variable = name == QLatin1String("COM1") ? "QARLO_COM1" : "QARLO_COM2";
        const QString configured = qEnvironmentVariable(variable.constData());
        if (!configured.isEmpty()) return configured;
        return name == QLatin1String("COM1") ? QStringLiteral("/dev/ttyS0")
                                             : QStringLiteral("/dev/ttyS1");
    }
    return name;
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
    if (!IsTerminal(path)) {
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
    int waiting = 0;
    const bool any =
        ::ioctl(static_cast<int>(serial->handle()), FIONREAD, &waiting) == 0 && waiting > 0;
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
    int queued = 0;
    if (::ioctl(static_cast<int>(serial->handle()), TIOCOUTQ, &queued) != 0) queued = 0;
    return bufferedBytes() + queued;
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
