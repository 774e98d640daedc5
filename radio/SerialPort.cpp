#include "SerialPort.h"

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

#include <algorithm>
#include <cerrno>
#include <cmath>
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

int ScaledInterval(int ms, double scale) {
    if (!(scale > 0.0) || scale == 1.0) return ms;
    const double scaled = std::round(static_cast<double>(ms) * std::min(scale, 1000.0));
    return std::max(1, static_cast<int>(scaled));
}

SerialPort::SerialPort(QObject* parent)
    : QObject(parent), serial(new QSerialPort(this)), intervalTimer(new QTimer(this)),
      totalTimer(new QTimer(this)) {
    intervalTimer->setSingleShot(true);
    intervalTimer->setTimerType(Qt::PreciseTimer);
    totalTimer->setSingleShot(true);
    totalTimer->setTimerType(Qt::PreciseTimer);
    connect(intervalTimer, &QTimer::timeout, this, &SerialPort::endReceive);
    connect(totalTimer, &QTimer::timeout, this, &SerialPort::endReceive);
    connect(serial, &QSerialPort::readyRead, this, &SerialPort::onReadyRead);
    connect(serial, &QSerialPort::errorOccurred, this,
            [this](QSerialPort::SerialPortError error) { onError(static_cast<int>(error)); });
    clock.start();
}

SerialPort::~SerialPort() {
    Close();
}

OpenResult SerialPort::OpenPort(const QString& name) {
    Close();
    writeFault = false;
    portLost = false;
    receivedCount = 0;
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
    if (const auto holder = FindPortHolder(QFile::encodeName(node).toStdString(), holderRoots)) {
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
    // A freshly opened port has heard nothing yet: bytes that reached the line while it was
    // closed (a late answer to an earlier step) must not pass for this step's answer; they
    // still count as the line's latest traffic.
    int waiting = 0;
    if (::ioctl(static_cast<int>(serial->handle()), FIONREAD, &waiting) == 0 && waiting > 0)
        lastByteMs = clock.elapsed();
    serial->clear(QSerialPort::Input);
    // Only the line's speed and framing; Qt keeps the rest of its raw set-up.
    serial->setBaudRate(PORT_BAUD_RATE);
    serial->setDataBits(QSerialPort::Data8);
    serial->setParity(QSerialPort::NoParity);
    serial->setStopBits(QSerialPort::OneStop);
    ++generation;
    return {};
}

bool SerialPort::isOpen() const {
    return serial->isOpen();
}

void SerialPort::StartReceive(std::uint8_t* incoming, Receive keep) {
    target = nullptr;
    receivedCount = 0;
    keeping = keep;
    writtenOut = false;
    intervalTimer->stop();
    if (!serial->isOpen() || portLost || incoming == nullptr) return;
    target = incoming;
    totalTimer->start(ScaledInterval(RECEIVE_TOTAL_MS, timeScale));
    if (serial->bytesAvailable() > 0) onReadyRead();
}

// Neither Qt's buffer nor the driver's output queue holds anything we wrote.
bool SerialPort::sentAllWritten() const {
    int queued = 0;
    return serial->bytesToWrite() == 0 &&
           (::ioctl(static_cast<int>(serial->handle()), TIOCOUTQ, &queued) != 0 || queued == 0);
}

int SerialPort::unsentBytes() const {
    if (!serial->isOpen()) return 0;
    int queued = 0;
    if (::ioctl(static_cast<int>(serial->handle()), TIOCOUTQ, &queued) != 0) queued = 0;
    return static_cast<int>(serial->bytesToWrite()) + queued;
}

void SerialPort::onReadyRead() {
    const qint64 now = clock.elapsed();
    const qint64 previousByteMs = std::exchange(lastByteMs, now);
    // Stale: our packet is still on its way out, or the bytes continue a stream that was running
    // before it (the answer only starts after a silence). Once kept, the answer may pause.
    bool stale = false;
    if (keeping == Receive::AnswerOnly && receivedCount == 0) {
        writtenOut = writtenOut || sentAllWritten();
        stale =
            !writtenOut || now - previousByteMs < ScaledInterval(RECEIVE_INTERVAL_MS, timeScale);
    }
    if (target == nullptr || stale) {
        // Nobody's answer: read and dropped, so they can never fill a later read.
        const QByteArray dropped = serial->readAll();
        traceBytes(false, reinterpret_cast<const std::uint8_t*>(dropped.constData()),
                   dropped.size());
        return;
    }
    const qint64 wanted = RECEIVE_MAX - receivedCount;
    const qint64 got = serial->read(reinterpret_cast<char*>(target + receivedCount), wanted);
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
    if (!serial->isOpen() || portLost) {
        writeFault = true;
        return;
    }
    traceBytes(true, data, size);
    const qint64 written = serial->write(reinterpret_cast<const char*>(data), size);
    if (written != size) writeFault = true;
}

void SerialPort::traceBytes(bool outgoing, const std::uint8_t* data, qint64 size) const {
    if (trace && size > 0) trace(outgoing, data, static_cast<int>(size));
}

void SerialPort::onError(int error) {
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
    portLost = true;
    writeFault = true;
    endReceive();
    const unsigned failed = generation;
    QTimer::singleShot(0, this, [this, failed] {
        if (generation == failed && serial->isOpen()) serial->close();
    });
}

void SerialPort::Close() {
    endReceive();
    if (serial->isOpen()) {
        if (serial->bytesToWrite() > 0) writeFault = true; // never reached the device
        serial->close();
    }
    serial->clearError();
    ++generation;
}

} // namespace qarlo
