#include "platform/qt/LockKeys.h"

#include <QDir>
#include <QFile>

namespace qarlo {

namespace {
// Any keyboard with the lock's LED lit means the lock is on.
std::optional<bool> ReadLed(const QDir& root, const QString& suffix) {
    const QStringList leds = root.entryList({QStringLiteral("*::") + suffix},
                                            QDir::Dirs | QDir::NoDotAndDotDot | QDir::System);
    std::optional<bool> state;
    for (const QString& led : leds) {
        QFile file(root.filePath(led + QStringLiteral("/brightness")));
        if (!file.open(QIODevice::ReadOnly)) continue;
        const QByteArray value = file.read(16).trimmed();
        bool ok = false;
        const int level = value.toInt(&ok);
        if (!ok) continue;
        state = state.value_or(false) || level > 0;
    }
    return state;
}
} // namespace

LockKeyState ReadLockKeys(const QString& ledRoot) {
    const QDir root(ledRoot);
    if (!root.exists()) return {};
    return {ReadLed(root, QStringLiteral("capslock")), ReadLed(root, QStringLiteral("numlock")),
            ReadLed(root, QStringLiteral("scrolllock"))};
}

} // namespace qarlo
