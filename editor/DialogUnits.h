#pragma once
// Dialog units to pixels, as the form template's rectangles are meant: horizontal units are a
// quarter of the font's average character width, vertical units an eighth of its height.
#include <QFont>
#include <QRect>
#include <QSize>

namespace qarlo {

class DialogUnits {
public:
    explicit DialogUnits(const QFont& font);
    DialogUnits(int averageCharWidth, int charHeight)
        : baseX(averageCharWidth), baseY(charHeight) {}

    int x(int du) const { return scale(du, baseX, 4); }
    int y(int du) const { return scale(du, baseY, 8); }
    QRect rect(int left, int top, int width, int height) const;
    QSize size(int width, int height) const { return {x(width), y(height)}; }

    int baseX;
    int baseY;

private:
    // du * base / divisor rounded to the nearest pixel, halves away from zero.
    static int scale(int du, int base, int divisor);
};

// The form's font: SimSun 9 pt, its Song equal "AR PL UMing CN", or another CJK font.
QFont FormFont();

} // namespace qarlo
