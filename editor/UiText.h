#pragma once
// The window's texts are written in Chinese and shown in the user's language: each passes through
// Qt's translations here, under one context, on its way to a widget. Without a translation
// installed the Chinese comes back unchanged.
#include <QCoreApplication>
#include <QString>

#include <string_view>

namespace qarlo {

// Our texts are UTF-8 (std::string from the Qt-free layers).
inline QString FromUtf8(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

inline QString UiText(const char* chinese) {
    return QCoreApplication::translate("Qarlo", chinese);
}

inline QString UiText(const QString& chinese) {
    const QByteArray source = chinese.toUtf8();
    return QCoreApplication::translate("Qarlo", source.constData());
}

} // namespace qarlo
