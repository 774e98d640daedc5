#include "SerialPort.h"

#include <QFile>
#include <QSerialPort>
#include <QTimer>

#include <grp.h>
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
    if (::access(native.constData(), R_OK | W_OK) != 0 && errno == EACCES) {
        QString group;
        if (const ::group* g = ::getgrgid(info.st_gid)) group = QString::fromLocal8Bit(g->gr_name);
        if (group.isEmpty()) return QStringLiteral("%1: permission denied").arg(path);
        return QStringLiteral("%1: permission denied; members of the group \"%2\" may use it "
                              "(sudo usermod -aG %2 $USER, then log in again)")
            .arg(path, group);
    }
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
    serial->clearError();
    serial->setPortName(path);
    if (!serial->open(QIODevice::ReadWrite)) {
        lastOpenFailure() = describeOpenFailure(path, serial->error(), serial->errorString());
        serial->clearError();
        return false;
    }
    // A freshly opened port has heard nothing yet: bytes that reached the line while it was
    // closed (a late answer to an earlier step) must not pass for this step's answer.
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

void SerialPort::StartReceive(std::uint8_t* incoming) {
    target = nullptr;
    receivedCount = 0;
    intervalTimer->stop();
    if (!serial->isOpen() || portLost || incoming == nullptr) return;
    target = incoming;
    totalTimer->start(ScaledInterval(RECEIVE_TOTAL_MS, timeScale));
    if (serial->bytesAvailable() > 0) onReadyRead();
}

void SerialPort::onReadyRead() {
    if (target == nullptr) return; // no read pending: the bytes wait and die with the close
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
