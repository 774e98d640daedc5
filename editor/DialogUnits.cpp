#include "DialogUnits.h"

#include <QFontMetrics>
#include <QStringList>

#include <cstdlib>

namespace qarlo {

DialogUnits::DialogUnits(const QFont& font) {
    const QFontMetrics metrics(font);
    const int width = metrics.horizontalAdvance(
        QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    baseX = (width / 26 + 1) / 2;
    baseY = metrics.height();
}

int DialogUnits::scale(int du, int base, int divisor) {
    const long long product = static_cast<long long>(du) * base;
    const long long half = divisor / 2;
    const long long rounded =
        product >= 0 ? (product + half) / divisor : -((-product + half) / divisor);
    return static_cast<int>(rounded);
}

QRect DialogUnits::rect(int left, int top, int width, int height) const {
    // Position and size are each mapped on their own, so a control's right edge may differ by a
    // pixel from its neighbour's left edge, as the template's controls are drawn.
    return {x(left), y(top), x(width), y(height)};
}

QFont FormFont() {
    QFont font;
    // Named first: Debian's Song face has SimSun's 9 pt metrics (6 x 12 px dialog base units),
    // and setFamilies takes the first family installed without consulting fontconfig's aliases.
    font.setFamilies({QStringLiteral("AR PL UMing CN"), QStringLiteral("SimSun"),
                      QStringLiteral("Noto Sans CJK SC"), QStringLiteral("Noto Serif CJK SC")});
    font.setPointSize(9);
    return font;
}

} // namespace qarlo
