#pragma once
// The printed channel sheet: the document's name, band and time-out, and one line per channel
// with what the editor would show for it.
#include "memory/CQarloDoc.h"

#include <QRect>
#include <QString>
#include <QStringList>

class QPainter;

namespace qarlo {

// Column captions, taken from the form's own labels.
QStringList SheetHeader();
// One channel's cells: name, receive MHz, receive signalling, transmit MHz, transmit signalling,
// bandwidth, squelch. Signalling reads "QT 67", "DQT 023I" or "无"; a code byte that names no
// row reads as its type and "?".
QStringList SheetRow(const CQarloDoc& doc, int channel);
// "频  段 400 - 440 MHz" and "TOT限时 5 分", as the form shows them.
QString SheetBandLine(const CQarloDoc& doc);
QString SheetTotLine(const CQarloDoc& doc);

// Paints the whole sheet into `page` (device pixels of the painter's device).
void PaintChannelSheet(QPainter& painter, const QRect& page, const CQarloDoc& doc,
                       const QString& title);

} // namespace qarlo
