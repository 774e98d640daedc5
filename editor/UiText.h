#pragma once
// The window's texts are written in Chinese and shown in the user's language: each passes through
// Qt's translations here, under one context, on its way to a widget. Without a translation
// installed the Chinese comes back unchanged.
#include <QCoreApplication>
#include <QString>

namespace qarlo {

inline QString UiText(const char* chinese) {
    return QCoreApplication::translate("Qarlo", chinese);
}

inline QString UiText(const QString& chinese) {
    const QByteArray source = chinese.toUtf8();
    return QCoreApplication::translate("Qarlo", source.constData());
}

} // namespace qarlo
