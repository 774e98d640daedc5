#include "SerialPort.h"

#include <QFile>
#include <QFileInfo>
#include <QSerialPort>
#include <QTimer>

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

QString& lastOpenFailure() {
    static QString reason;
    return reason;
}

TraceHandler& traceSlot() {
    static TraceHandler handler;
    return handler;
}

void trace(bool outgoing, const std::uint8_t* data, int size) {
    if (traceSlot() && size > 0) traceSlot()(outgoing, data, size);
}

// Joining a group helps only when the group may read and write the device; joining root's
// group is no advice to give.
QString whoMayUse(const struct stat& info) {
    const bool groupMay = (info.st_mode & (S_IRGRP | S_IWGRP)) == (S_IRGRP | S_IWGRP);
    if (groupMay && info.st_gid != 0) {
        if (const ::group* g = ::getgrgid(info.st_gid)) {
            return QStringLiteral("members of the group \"%1\" may use it (sudo usermod -aG %1 "
                                  "$USER, then log in again)")
                .arg(QString::fromLocal8Bit(g->gr_name));
        }
    }
    if (info.st_uid == 0) return QStringLiteral("only root may use it");
    const ::passwd* owner = ::getpwuid(info.st_uid);
    return QStringLiteral("only its owner %1 may use it")
        .arg(owner ? QString::fromLocal8Bit(owner->pw_name) : QString::number(info.st_uid));
}

// Tells the user what stands between them and the device, in the system's own terms.
QString describeOpenFailure(const QString& path, QSerialPort::SerialPortError error,
                            const QString& qtReason) {
    const QByteArray native = QFile::encodeName(path);
    struct stat info {};
    if (::stat(native.constData(), &info) != 0) {
        if (errno == ENOENT || errno == ENOTDIR)
            return QStringLiteral("%1: no such device").arg(path);
        return QStringLiteral("%1: %2").arg(path, QString::fromLocal8Bit(std::strerror(errno)));
    }
    if (::access(native.constData(), R_OK | W_OK) != 0 && errno == EACCES)
        return QStringLiteral("%1: permission denied; %2").arg(path, whoMayUse(info));
    if (error == QSerialPort::PermissionError)
        return QStringLiteral("%1: held by another program").arg(path);
    if (!S_ISCHR(info.st_mode)) return QStringLiteral("%1: not a serial device").arg(path);
    return QStringLiteral("%1: %2").arg(path, qtReason);
}

} // namespace

QString ResolvePortName(const QString& name) {
    if (name == QLatin1String("COM1") || name == QLatin1String("COM2")) {
        const QByteArray variable = name == QLatin1String("COM1") ? "QARLO_COM1" : "QARLO_COM2";
        const QString configured = qEnvironmentVariable(variable.constData());
        if (!configured.isEmpty()) return configured;
#ifdef Q_OS_WIN
        return name;
#else
        return name == QLatin1String("COM1") ? QStringLiteral("/dev/ttyS0")
                                             : QStringLiteral("/dev/ttyS1");
#endif
    }
    return name;
}

int ScaledInterval(int ms, double scale) {
    if (!(scale > 0.0) || scale == 1.0) return ms;
    const double scaled = std::round(static_cast<double>(ms) * std::min(scale, 1000.0));
    return std::max(1, static_cast<int>(scaled));
}

QString LastOpenFailureReason() {
    return lastOpenFailure();
}

TraceHandler SetTraceHandler(TraceHandler handler) {
    return std::exchange(traceSlot(), std::move(handler));
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

bool SerialPort::OpenPort(const QString& name) {
    Close();
    writeFault = false;
    portLost = false;
    receivedCount = 0;
    const QString path = ResolvePortName(name);
    // Qt locks the name it opens: open the node itself so two names of one device share a lock.
    const QString node = QFileInfo(path).canonicalFilePath();
    if (const auto holder = FindPortHolder(QFile::encodeName(node).toStdString(), holderRoots)) {
        lastOpenFailure() =
            QStringLiteral("%1: %2").arg(path, QString::fromStdString(DescribeHolder(*holder)));
        return false;
    }
    serial->clearError();
    serial->setPortName(node.isEmpty() ? path : node);
    if (!serial->open(QIODevice::ReadWrite)) {
        lastOpenFailure() = describeOpenFailure(path, serial->error(), serial->errorString());
        serial->clearError();
        return false;
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
    return true;
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
        trace(false, reinterpret_cast<const std::uint8_t*>(dropped.constData()),
              static_cast<int>(dropped.size()));
        return;
    }
    const qint64 wanted = RECEIVE_MAX - receivedCount;
    const qint64 got = serial->read(reinterpret_cast<char*>(target + receivedCount), wanted);
    if (got <= 0) return;
    trace(false, target + receivedCount, static_cast<int>(got));
    receivedCount += static_cast<int>(got);
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
    trace(true, data, size);
    const qint64 written = serial->write(reinterpret_cast<const char*>(data), size);
    if (written != size) writeFault = true;
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
