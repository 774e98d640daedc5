#pragma once
// Keeps a channel file of every image read from the radio and of every document about to be
// written to it, named by date, time and direction, and only the newest `keep` of them. Both
// programs keep them in one folder; each says a failure in its own words.
#include <QDateTime>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <span>

namespace qarlo {

// How keeping a backup went.
struct BackupResult {
    enum class Failure {
        None,
        NoDataFolder,  // the system names no folder for the user's data
        FolderNotMade, // `path`: the folder that could not be created
        NotWritten,    // `path`: the backup that could not be written; `reason`: the system's
    };
    Failure failure = Failure::None;
    QString path;
    QString reason;
    bool ok() const { return failure == Failure::None; }
};

class BackupStore {
public:
    enum class Direction { Read, Write };
    static constexpr int DEFAULT_KEEP = 100;

    // `folder` is created when the first backup is kept.
    explicit BackupStore(QString folder, int keep = DEFAULT_KEEP);

    // The window's application data folder + "/backups", whichever program asks.
    static QString DefaultFolder();

    // Writes the backup (a channel file's bytes) into the folder, made private to the user (0700).
    // Older backups beyond the limit are removed after a successful write, never the one just
    // written.
    BackupResult Keep(std::span<const std::uint8_t> channelFile, Direction direction,
                      const QDateTime& when = QDateTime::currentDateTime());

    // "2026-12-06_213000_read.q02": the name a backup made at `when` gets (before any suffix
    // that keeps two backups of the same second apart).
    static QString FileNameFor(const QDateTime& when, Direction direction);

    // The backups in the folder, oldest first.
    QStringList Backups() const;

    const QString& folder() const { return dir; }
    // The path of the backup the last successful Keep wrote.
    const QString& lastKept() const { return kept; }

private:
    void Prune(const QString& justKept);

    QString dir;
    QString kept;
    int limit;
};

} // namespace qarlo
