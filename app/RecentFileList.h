#pragma once
// The recent-file list: at most a fixed number of paths, most recent first, kept with QSettings
// under "Recent File List" (File1..FileN) of the application's settings.
#include <QString>
#include <QStringList>

namespace qarlo {

class RecentFileList {
public:
    explicit RecentFileList(int maxEntries);

    void load();       // from QSettings; later entries beyond the size are dropped
    void save() const; // to QSettings, the unused keys removed

    // Puts `path` first (moving it up when already listed) and drops the oldest beyond the size.
    void add(const QString& path);
    void remove(const QString& path);

    const QStringList& files() const { return entries; }
    int maxSize() const { return size; }

private:
    int size;
    QStringList entries;
};

} // namespace qarlo
