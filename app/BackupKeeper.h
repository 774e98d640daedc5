#pragma once
// The window's backups: the shared folder of channel files, a failure said in the window's
// language for the status bar and the box after the transfer.
#include "memory/ChannelFile.h"
#include "platform/qt/BackupStore.h"

namespace qarlo {

// The window's words for a backup that could not be kept; empty when it was.
QString BackupProblemText(const BackupResult& result);

class BackupKeeper : public BackupStore {
public:
    using BackupStore::BackupStore;

    // An empty string on success, else why it failed.
    QString Keep(const CQarloDoc& doc, Direction direction,
                 const QDateTime& when = QDateTime::currentDateTime()) {
        return BackupProblemText(BackupStore::Keep(ChannelFileBytes(doc), direction, when));
    }
};

} // namespace qarlo
