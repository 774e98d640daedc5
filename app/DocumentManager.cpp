#include "DocumentManager.h"

#include "Resources.h"

#include "editor/UiText.h"
#include "platform/Charset.h"
#include "platform/FileLock.h"
#include "platform/qt/FileNames.h"

namespace qarlo {

namespace {
// The system's words, in the user's charset (Qt would take them for UTF-8).
QString Reason(const FileResult& result) {
    return QString::fromStdString(Charset::User().ToUtf8(result.reason));
}
} // namespace

DocumentManager::DocumentManager(CQarloDoc& document) : doc(document) {}

QString DocumentManager::title() const {
    return path.isEmpty() ? UntitledName() : DisplayFileName(FileNameOnly(path));
}

bool DocumentManager::NewDocument() {
    if (!doc.OnNewDocument()) return false;
    path.clear();
    return true;
}

FileResult DocumentManager::OpenDocument(const QString& file) {
    const FileResult result = LoadChannelFile(doc, FileNamePath(file));
    switch (result.error) {
    case FileError::None:
        path = AbsoluteFileName(file);
        break;
    case FileError::InvalidFormat:
        // The loader has already reset the document; it must not keep the bad file's name.
        path.clear();
        break;
    default: // not read at all: the document and its name stay
        break;
    }
    return result;
}

FileResult DocumentManager::SaveDocument(const QString& file) {
    const std::filesystem::path target = FileNamePath(file);
    const FileLock lock(target); // a qarlo-cli import into the file meanwhile is not lost
    if (lock.busy()) return {FileError::Busy, target, {}};
    const FileResult result = StoreChannelFile(doc, target);
    if (result.ok()) path = AbsoluteFileName(file);
    return result;
}

QString DocumentManager::OpenFailureMessage(const FileResult& result) {
    const QString name = DisplayFileName(FileNameFromPath(result.file));
    switch (result.error) {
    case FileError::InvalidFormat:
        return UiText("无法打开文件 %1：文件格式不正确。").arg(name);
    case FileError::NotRegularFile:
        return UiText("无法打开文件 %1：它不是普通文件。").arg(name);
    default:
        break;
    }
    if (result.reason.empty()) return UiText("无法打开文件 %1。").arg(name);
    return UiText("无法打开文件 %1。\n原因：%2").arg(name, Reason(result));
}

QString DocumentManager::SaveFailureMessage(const FileResult& result) {
    const QString name = DisplayFileName(FileNameFromPath(result.file));
    if (result.error == FileError::ReadOnly)
        return UiText("无法保存文件 %1：文件是只读的，您没有写入它的权限。").arg(name);
    if (result.error == FileError::NotRegularFile)
        return UiText("无法保存文件 %1：它不是普通文件，不能被替换。").arg(name);
    if (result.error == FileError::Busy)
        return UiText("无法保存文件 %1：另一个程序正在修改它，请稍后再试。").arg(name);
    if (result.reason.empty()) return UiText("无法保存文件 %1。").arg(name);
    return UiText("无法保存文件 %1。\n原因：%2").arg(name, Reason(result));
}

} // namespace qarlo
