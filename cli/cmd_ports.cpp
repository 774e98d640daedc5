// qarlo-cli ports: the serial devices present, to find the radio's cable and the name to give
// --port, with the program that holds a device when another one does.
#include "Command.h"
#include "platform/Charset.h"

#include "platform/PortHolders.h"
#include "radio/PortList.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStringList>

#include <algorithm>
#include <cstdio>
#include <optional>

namespace qarlo::cli {

namespace {

std::optional<PortHolder> holderOf(const PortInfo& port) {
    return FindDeviceHolder(QFile::encodeName(port.device).toStdString());
}

QJsonValue orNull(const QString& text) {
    return text.isEmpty() ? QJsonValue() : QJsonValue(text);
}

QByteArray portsAsJson(const QList<PortInfo>& ports) {
    QJsonArray list;
    for (const PortInfo& port : ports) {
        QJsonValue holder;
        if (const auto h = holderOf(port)) {
            holder = QJsonObject{{"pid", h->pid},
                                 {"command", orNull(QString::fromStdString(h->command))}};
        }
        list.append(QJsonObject{{"device", port.device},
                                {"description", orNull(port.description)},
                                {"manufacturer", orNull(port.manufacturer)},
                                {"vendorProduct", orNull(VendorProduct(port))},
                                {"serialNumber", orNull(port.serialNumber)},
                                {"holder", holder}});
    }
    return QJsonDocument(list).toJson(QJsonDocument::Indented);
}

// One row a device under a header, columns as wide as their widest entry, "-" for unknown.
QByteArray portsAsTable(const QList<PortInfo>& ports) {
    QList<QStringList> rows{{"DEVICE", "DESCRIPTION", "MAKER", "VID:PID", "SERIAL", "HOLDER"}};
    for (const PortInfo& port : ports) {
        const auto h = holderOf(port);
        QStringList row{
            port.device,       port.description,
            port.manufacturer, VendorProduct(port),
            port.serialNumber, h ? QString::fromStdString(DescribeHolder(*h)) : QString()};
        for (QString& cell : row)
            if (cell.isEmpty()) cell = QStringLiteral("-");
        rows.append(row);
    }
    QList<qsizetype> widths(rows.front().size(), 0);
    for (const QStringList& row : rows)
        for (qsizetype i = 0; i < row.size(); ++i)
            widths[i] = std::max(widths[i], row[i].size());
    QString text;
    for (const QStringList& row : rows) {
        QString line;
        for (qsizetype i = 0; i < row.size(); ++i)
            line += i + 1 < row.size() ? row[i].leftJustified(widths[i] + 2) : row[i];
        text += line + QLatin1Char('\n');
    }
    return text.toUtf8();
}

int runPorts(const Invocation& invocation) {
    const bool json = invocation.isSet("json");
    const QList<PortInfo> ports = ListPorts();
    if (!json && ports.isEmpty()) {
        std::fprintf(stderr, "qarlo-cli ports: no serial device found\n");
        return EXIT_OK;
    }
    const QByteArray out = json ? portsAsJson(ports) : portsAsTable(ports);
    std::fwrite(out.constData(), 1, static_cast<std::size_t>(out.size()), json ? DataOutput() : stdout);
    return EXIT_OK;
}

} // namespace

const Command PortsCommand{
    "ports",
    "list the serial devices present, to find the radio's cable",
    "usage: qarlo-cli ports [--json]\n"
    "\n"
    "Lists the serial devices present: USB serial adapters (/dev/ttyUSB*, /dev/ttyACM*) and\n"
    "built-in ports with hardware behind them. For each: the device to give to --port, its\n"
    "description, maker, USB vendor:product, serial number, and the program that holds it\n"
    "when another one does (a device held elsewhere cannot be used for a transfer).\n"
    "\n"
    "  --json  one JSON array of objects with the keys device, description, manufacturer,\n"
    "          vendorProduct, serialNumber and holder ({pid, command}); null when unknown\n"
    "\n"
    "Exit status: 0 listed (also when there is no device), 2 bad usage.\n",
    "",
    JsonOptions,
    runPorts};

} // namespace qarlo::cli
