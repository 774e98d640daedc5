#include "RecentFileList.h"

#include "platform/qt/FileNames.h"

#include <QSettings>

namespace qarlo {

namespace {
const QString Section = QStringLiteral("Recent File List");

QString keyOf(int index) {
    return QStringLiteral("File%1").arg(index + 1);
}

// Two spellings of one file are one entry.
QString normalised(const QString& path) {
    return AbsoluteFileName(path);
}
} // namespace

RecentFileList::RecentFileList(int maxEntries) : size(maxEntries > 0 ? maxEntries : 1) {}

void RecentFileList::load() {
    entries.clear();
    QSettings settings;
    settings.beginGroup(Section);
    for (int i = 0; i < size; ++i) {
        const QString path = settings.value(keyOf(i)).toString();
        if (!path.isEmpty() && !entries.contains(path)) entries.append(path);
    }
    settings.endGroup();
}

void RecentFileList::save() const {
    QSettings settings;
    settings.beginGroup(Section);
    settings.remove(QString()); // the whole group: stale keys of a longer list go too
    for (int i = 0; i < entries.size(); ++i)
        settings.setValue(keyOf(i), entries[i]);
    settings.endGroup();
    settings.sync();
}

void RecentFileList::add(const QString& path) {
    if (path.isEmpty()) return;
    const QString file = normalised(path);
    entries.removeAll(file);
    entries.prepend(file);
    while (entries.size() > size)
        entries.removeLast();
}

void RecentFileList::remove(const QString& path) {
    entries.removeAll(path);
    entries.removeAll(normalised(path));
}

} // namespace qarlo
