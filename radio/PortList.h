#pragma once
// The serial devices present on this machine, as a person knows the cable: USB adapters and the
// built-in ports that have a UART behind them. Pseudo-terminals are never listed.
#include <QList>
#include <QString>

#include <cstdint>

namespace qarlo {

struct PortInfo {
    QString device; // "/dev/ttyUSB0"
    QString description;
    QString manufacturer;
    bool hasIds = false; // USB vendor and product known
    std::uint16_t vendorId = 0, productId = 0;
    QString serialNumber;
};

// What the system enumerates, unfiltered.
QList<PortInfo> EnumeratePorts();

// `ports` without the built-in /dev/ttyS* that have no hardware behind them: the kernel makes
// those nodes for every possible UART, and their tty's `type` in sysfs stays 0 (unknown).
// A device whose node is gone (unplugged while the list was made) is left out too; `devRoot`
// goes before each device's path (tests stage their own).
QList<PortInfo> PresentPorts(QList<PortInfo> ports, const QString& sysfsRoot = "/sys",
                             const QString& devRoot = {});

// PresentPorts(EnumeratePorts()).
QList<PortInfo> ListPorts();

// "1a86:7523", or empty when unknown.
QString VendorProduct(const PortInfo& port);

} // namespace qarlo
