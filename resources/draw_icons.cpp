// Draws Qarlo's pictures: the application icon (a hand-held radio) at the usual icon sizes, the
// channel-file icon at the same sizes, and the toolbar strip of five 16 x 15 buttons. Run once; the
// PNGs it writes are committed beside it:  QT_QPA_PLATFORM=offscreen qarlo-draw-icons
// resources/icons
#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPainterPath>

#include <cstdio>

namespace {

const QColor Outline(30, 30, 30);
const QColor Body(52, 62, 80);
const QColor BodyLight(88, 102, 128);
const QColor Screen(150, 220, 120);
const QColor Knob(230, 120, 30);

// The radio in a 32 x 32 design grid.
void DrawRadio(QPainter& p) {
    p.setPen(QPen(Outline, 1.2));
    // antenna
    p.setBrush(QColor(40, 40, 40));
    p.drawRoundedRect(QRectF(8.0, 1.5, 3.0, 10.0), 1.2, 1.2);
    // knob
    p.setBrush(Knob);
    p.drawRoundedRect(QRectF(18.0, 5.0, 4.0, 4.0), 1.0, 1.0);
    // body
    QLinearGradient body(0, 0, 32, 0);
    body.setColorAt(0.0, BodyLight);
    body.setColorAt(1.0, Body);
    p.setBrush(body);
    p.drawRoundedRect(QRectF(6.5, 8.5, 19.0, 22.0), 3.0, 3.0);
    // display with a channel bar
    p.setBrush(Screen);
    p.drawRect(QRectF(9.5, 11.5, 13.0, 6.0));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(40, 80, 30));
    p.drawRect(QRectF(11.0, 13.5, 5.0, 2.0));
    p.drawRect(QRectF(17.5, 13.5, 3.5, 2.0));
    // speaker grille
    p.setPen(QPen(QColor(200, 205, 215), 1.3, Qt::SolidLine, Qt::RoundCap));
    for (int i = 0; i < 4; ++i)
        p.drawLine(QPointF(10.5, 21.0 + 2.3 * i), QPointF(21.5, 21.0 + 2.3 * i));
}

void DrawWaves(QPainter& p, QPointF centre, const QColor& colour) {
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(colour, 1.6, Qt::SolidLine, Qt::RoundCap));
    for (int r = 3; r <= 7; r += 4)
        p.drawArc(QRectF(centre.x() - r, centre.y() - r, 2.0 * r, 2.0 * r), -45 * 16, 90 * 16);
}

QImage AppIcon(int size) {
    QImage img(size, size, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 32.0, size / 32.0);
    DrawRadio(p);
    DrawWaves(p, QPointF(24.0, 6.0), QColor(30, 120, 220));
    return img;
}

QImage DocumentIcon(int size) {
    QImage img(size, size, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 32.0, size / 32.0);
    QPainterPath page;
    page.moveTo(5.5, 1.5);
    page.lineTo(20.5, 1.5);
    page.lineTo(27.5, 8.5);
    page.lineTo(27.5, 30.5);
    page.lineTo(5.5, 30.5);
    page.closeSubpath();
    p.setPen(QPen(Outline, 1.0));
    p.setBrush(Qt::white);
    p.drawPath(page);
    p.setBrush(QColor(220, 220, 220));
    p.drawPolygon(QPolygonF({QPointF(20.5, 1.5), QPointF(20.5, 8.5), QPointF(27.5, 8.5)}));
    // a channel table
    p.setPen(QPen(QColor(60, 110, 190), 1.2));
    for (int i = 0; i < 5; ++i)
        p.drawLine(QPointF(9.0, 13.0 + 3.5 * i), QPointF(24.0, 13.0 + 3.5 * i));
    p.setPen(QPen(QColor(200, 80, 40), 1.2));
    p.drawLine(QPointF(13.0, 11.5), QPointF(13.0, 28.0));
    return img;
}

// One 16 x 15 toolbar picture per function, drawn on a pixel grid.
void DrawNew(QPainter& p) {
    p.setPen(Outline);
    p.setBrush(Qt::white);
    p.drawPolygon(
        QPolygon({QPoint(3, 1), QPoint(9, 1), QPoint(12, 4), QPoint(12, 13), QPoint(3, 13)}));
    p.drawPolyline(QPolygon({QPoint(9, 1), QPoint(9, 4), QPoint(12, 4)}));
}

void DrawOpen(QPainter& p) {
    p.setPen(Outline);
    p.setBrush(QColor(240, 200, 60));
    p.drawPolygon(QPolygon(
        {QPoint(1, 3), QPoint(5, 3), QPoint(6, 4), QPoint(12, 4), QPoint(12, 12), QPoint(1, 12)}));
    p.setBrush(QColor(250, 225, 120));
    p.drawPolygon(QPolygon({QPoint(3, 7), QPoint(15, 7), QPoint(12, 12), QPoint(1, 12)}));
}

void DrawSave(QPainter& p) {
    p.setPen(Outline);
    p.setBrush(QColor(50, 90, 170));
    p.drawRect(1, 1, 13, 13);
    p.setBrush(Qt::white);
    p.drawRect(4, 1, 7, 5);
    p.setBrush(QColor(190, 190, 190));
    p.drawRect(4, 9, 7, 5);
}

void DrawSmallRadio(QPainter& p) {
    p.setPen(Outline);
    p.fillRect(2, 0, 1, 5, QColor(40, 40, 40));
    p.setBrush(Body);
    p.drawRect(1, 4, 6, 10);
    p.fillRect(2, 5, 5, 3, Screen);
    p.setPen(QColor(200, 205, 215));
    p.drawLine(3, 10, 5, 10);
    p.drawLine(3, 12, 5, 12);
}

void DrawArrow(QPainter& p, bool towardsRadio, const QColor& colour) {
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(colour);
    QPolygonF arrow;
    if (towardsRadio)
        arrow << QPointF(15.5, 6.0) << QPointF(12.0, 6.0) << QPointF(12.0, 3.0) << QPointF(8.0, 8.0)
              << QPointF(12.0, 13.0) << QPointF(12.0, 10.0) << QPointF(15.5, 10.0);
    else
        arrow << QPointF(8.5, 6.0) << QPointF(12.0, 6.0) << QPointF(12.0, 3.0) << QPointF(16.0, 8.0)
              << QPointF(12.0, 13.0) << QPointF(12.0, 10.0) << QPointF(8.5, 10.0);
    p.drawPolygon(arrow);
}

QImage ToolbarStrip() {
    QImage img(80, 15, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    QPainter p(&img);
    auto cell = [&](int index, auto draw) {
        p.save();
        p.translate(16 * index, 0);
        p.setClipRect(0, 0, 16, 15);
        draw();
        p.restore();
    };
    cell(0, [&] { DrawNew(p); });
    cell(1, [&] { DrawOpen(p); });
    cell(2, [&] { DrawSave(p); });
    cell(3, [&] {
        DrawSmallRadio(p);
        DrawArrow(p, false, QColor(30, 150, 60));
    });
    cell(4, [&] {
        DrawSmallRadio(p);
        DrawArrow(p, true, QColor(200, 50, 40));
    });
    return img;
}

bool Save(const QImage& img, const QString& path) {
    if (img.save(path)) return true;
    std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
    return false;
}

} // namespace

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    const QString out = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral(".");
    QDir().mkpath(out);
    bool ok = true;
    for (int size : {16, 22, 24, 32, 48, 64, 128, 256}) {
        ok &= Save(AppIcon(size), QStringLiteral("%1/qarlo-%2.png").arg(out).arg(size));
        ok &=
            Save(DocumentIcon(size), QStringLiteral("%1/qarlo-document-%2.png").arg(out).arg(size));
    }
    ok &= Save(ToolbarStrip(), out + QStringLiteral("/toolbar.png"));
    return ok ? 0 : 1;
}
