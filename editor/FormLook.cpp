#include "FormLook.h"

namespace qarlo {

namespace {
bool IsWide(QChar ch) {
    // CJK and full-width forms begin at the radicals; surrogates only occur for wide ideographs.
    return ch.unicode() >= 0x2E80 || ch.isSurrogate();
}
} // namespace

QStringList CaptionLines(const QString& caption) {
    QStringList lines;
    QString line;
    for (const QChar ch : caption) {
        const bool breaks =
            ch == QLatin1Char(' ') || (!line.isEmpty() && IsWide(ch) != IsWide(line.back()));
        if (breaks && !line.isEmpty()) {
            lines.append(line);
            line.clear();
        }
        if (ch != QLatin1Char(' ')) line.append(ch);
    }
    if (!line.isEmpty()) lines.append(line);
    return lines;
}

} // namespace qarlo
