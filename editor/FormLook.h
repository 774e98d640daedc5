#pragma once
// How the form's controls show what they hold: the copy buttons' caption lines and the colours
// of a list's selected row with and without the keyboard.
#include <QColor>
#include <QStringList>

namespace qarlo {

// The lines a narrow button's caption is drawn in: a line ends where the script changes or at a
// space, so "复制到==>" reads "复制到" over "==>" and the arrow is never split.
QStringList CaptionLines(const QString& caption);

// A list that has the keyboard marks its row dark with white text; one without it, light with
// black text. Both keep text at a contrast of at least 4.5:1.
inline constexpr QRgb FOCUSED_ROW = 0x1f5fa6;
inline constexpr QRgb RESTING_ROW = 0xc8d7ea;

} // namespace qarlo
