#include "BackupKeeper.h"

#include "editor/UiText.h"
#include "platform/qt/FileNames.h"

#include <QDir>

namespace qarlo {

QString BackupProblemText(const BackupResult& result) {
    switch (result.failure) {
    case BackupResult::Failure::None:
        return {};
    case BackupResult::Failure::NoDataFolder:
        return UiText("备份失败：找不到应用程序数据文件夹");
    case BackupResult::Failure::FolderNotMade:
        return UiText("备份失败：无法建立文件夹 %1").arg(QDir::toNativeSeparators(result.path));
    case BackupResult::Failure::NotWritten:
        break;
    }
    return UiText("备份失败：无法写入 %1（%2）").arg(DisplayFileName(result.path), result.reason);
}

} // namespace qarlo
