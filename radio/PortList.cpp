#include "PortList.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSerialPortInfo>

#include <algorithm>

namespace qarlo {

namespace {

bool hasUartBehind(const QString& device, const QString& sysfsRoot) {
    QFile type(sysfsRoot + QStringLiteral("/class/tty/") + QFileInfo(device).fileName() +
               QStringLiteral("/type"));
    if (!type.open(QIODevice::ReadOnly)) return false;
    bool ok = false;
    const int portType = type.read(16).trimmed().toInt(&ok);
    return ok && portType != 0;
}

} // namespace

QList<PortInfo> EnumeratePorts() {
    QList<PortInfo> ports;
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts()) {
        PortInfo port;
        port.device = info.systemLocation();
        port.description = info.description();
        port.manufacturer = info.manufacturer();
        port.hasIds = info.hasVendorIdentifier() && info.hasProductIdentifier();
        port.vendorId = info.vendorIdentifier();
        port.productId = info.productIdentifier();
        port.serialNumber = info.serialNumber();
        ports.append(port);
    }
    std::sort(ports.begin(), ports.end(),
              [](const PortInfo& a, const PortInfo& b) { return a.device < b.device; });
    return ports;
}

QList<PortInfo> PresentPorts(QList<PortInfo> ports, const QString& sysfsRoot,
                             const QString& devRoot) {
    static const QRegularExpression builtIn(QStringLiteral("^/dev/ttyS[0-9]+$"));
    ports.removeIf([&](const PortInfo& port) {
        return !QFileInfo::exists(devRoot + port.device) ||
               (builtIn.match(port.device).hasMatch() && !hasUartBehind(port.device, sysfsRoot));
    });
    return ports;
}

QList<PortInfo> ListPorts() {
    return PresentPorts(EnumeratePorts());
}

QString VendorProduct(const PortInfo& port) {
    if (!port.hasIds) return {};
    return QStringLiteral("%1:%2")
        .arg(port.vendorId, 4, 16, QLatin1Char('0'))
        .arg(port.productId, 4, 16, QLatin1Char('0'));
}

} // namespace qarlo
