// Printing: the channel sheet of the whole document onto the printer the user chose.
#include "editor/CQarloView.h"
#include "editor/ChannelSheet.h"

#include <QPainter>
#include <QPrinter>

namespace qarlo {

void CQarloView::printSheet(QPrinter* printer, const QString& title) {
    if (!printer) return;
    QPainter painter;
    if (!painter.begin(printer)) return; // the printer refused; it reports that itself
    const QRect page = printer->pageLayout().paintRectPixels(printer->resolution());
    PaintChannelSheet(painter, QRect(QPoint(0, 0), page.size()), document, title);
    painter.end();
}

} // namespace qarlo
