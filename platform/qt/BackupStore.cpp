#include "platform/qt/BackupStore.h"

#include "platform/Charset.h"
#include "platform/SaveFile.h"
#include "platform/qt/FileNames.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStandardPaths>

#include <algorithm>

namespace qarlo {

namespace {
// Only files that look like our own backups are ever counted or removed.
const QRegularExpression& BackupPattern() {
    static const QRegularExpression re(
        QStringLiteral(R"(^\d{4}-\d{2}-\d{2}_\d{6}_(read|write)(-\d+)?\.q02$)"));
    return re;
}

// Name order is time order; a "-N" suffix sorts after the plain name of the same second.
QString SortKey(const QString& name) {
    QString key = name;
    key.chop(4); // ".q02"
    const qsizetype dash = key.lastIndexOf(QLatin1Char('-'));
    const qsizetype under = key.lastIndexOf(QLatin1Char('_'));
    QString number = QStringLiteral("0");
    if (dash > under) {
        number = key.mid(dash + 1);
        key.truncate(dash);
    }
    // Date and time first, then the tie-breaking number, then the direction.
    const QString stamp = key.left(17);
    const QString direction = key.mid(18);
    return stamp + QLatin1Char('|') + number.rightJustified(6, QLatin1Char('0')) +
           QLatin1Char('|') + direction;
}
} // namespace

BackupStore::BackupStore(QString folder, int keep)
    : dir(std::move(folder)), limit(keep > 0 ? keep : 1) {}

QString BackupStore::DefaultFolder() {
    // Spelled out rather than the application's data folder, so qarlo-cli, whose application
    // name differs, keeps its backups in the same place as the window (named "qarlo").
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
           QStringLiteral("/Local AppWizard-Generated Applications/qarlo/backups");
}

QString BackupStore::FileNameFor(const QDateTime& when, Direction direction) {
    return when.toString(QStringLiteral("yyyy-MM-dd_HHmmss")) +
           (direction == Direction::Read ? QStringLiteral("_read.q02")
                                         : QStringLiteral("_write.q02"));
}

BackupResult BackupStore::Keep(std::span<const std::uint8_t> channelFile, Direction direction,
                               const QDateTime& when) {
    using Failure = BackupResult::Failure;
    kept.clear();
    if (dir.isEmpty()) return {Failure::NoDataFolder, {}, {}};
    if (!QDir().mkpath(dir)) return {Failure::FolderNotMade, dir, {}};
    // The backups hold the user's channels: for the user's eyes only. A folder given as a link
    // is someone's choice of place (perhaps one shared, perhaps /tmp): its mode stays theirs.
    if (!QFileInfo(dir).isSymLink())
        QFile::setPermissions(dir, QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                       QFileDevice::ExeOwner);

    const QString base = FileNameFor(when, direction);
    QString name = base;
    for (int n = 2; QFile::exists(dir + QLatin1Char('/') + name); ++n) {
        name = base;
        name.insert(name.size() - 4, QStringLiteral("-%1").arg(n));
    }
    const QString path = dir + QLatin1Char('/') + name;
    const FileResult result = SaveFileBytes(FileNamePath(path), channelFile);
    if (!result.ok()) return {Failure::NotWritten, path, QString::fromStdString(Charset::User().ToUtf8(result.reason))};
    kept = path;
    Prune(name);
    return {};
}

QStringList BackupStore::Backups() const {
    QStringList names;
    const QStringList all = QDir(dir).entryList(QDir::Files);
    for (const QString& name : all)
        if (BackupPattern().match(name).hasMatch()) names.append(name);
    std::sort(names.begin(), names.end(),
              [](const QString& a, const QString& b) { return SortKey(a) < SortKey(b); });
    return names;
}

void BackupStore::Prune(const QString& justKept) {
    // A backup dated after the one just written was written before it, under a clock that was
    // ahead: those go first, so the newest `limit` by writing always hold the one just made.
    const QString now = SortKey(justKept);
    QStringList byWriting, ahead;
    for (const QString& name : Backups())
        (SortKey(name) > now ? ahead : byWriting).append(name);
    byWriting = ahead + byWriting;
    for (qsizetype i = 0; i + limit < byWriting.size(); ++i)
        QFile::remove(dir + QLatin1Char('/') + byWriting[i]);
}

} // namespace qarlo
