#pragma once
// Keeps a channel file of every image read from the radio and of every document about to be
// written to it, named by date, time and direction, and only the newest `keep` of them.
#include "memory/CQarloDoc.h"

#include <QDateTime>
#include <QString>
#include <QStringList>

namespace qarlo {

class BackupKeeper {
public:
    enum class Direction { Read, Write };
    static constexpr int DEFAULT_KEEP = 100;

    // `folder` is created when the first backup is kept.
    explicit BackupKeeper(QString folder, int keep = DEFAULT_KEEP);

    // The window's application data folder + "/backups", whichever program asks.
    static QString DefaultFolder();

    // Writes the backup into the folder, made private to the user (0700); returns an empty string
    // on success, else why it failed (in Chinese, for the status bar). Older backups beyond the
    // limit are removed after a successful write, never the one just written.
    QString Keep(const CQarloDoc& doc, Direction direction,
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
