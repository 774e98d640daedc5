#pragma once
// File names are bytes, and not every name is UTF-8 ("bad\xFF.q02"). A QString carries each byte
// that is no part of UTF-8 as a lone surrogate U+DC80..U+DCFF, so a name keeps its bytes from
// argv through the recent-file list to open(); the user sees such a byte as "\xFF".
#include <QByteArray>
#include <QString>
#include <QStringList>

#include <filesystem>

namespace qarlo {

QString FileNameFromBytes(const QByteArray& bytes);
QByteArray FileNameBytes(const QString& name);

std::filesystem::path FileNamePath(const QString& name);
QString FileNameFromPath(const std::filesystem::path& path);

// `name` made absolute and tidied ("a/./b" -> "a/b") with its bytes kept; QFileInfo would turn
// a byte that is no UTF-8 into U+FFFD and the file saved would be another one.
QString AbsoluteFileName(const QString& name);
// The last part of `name`, bytes kept.
QString FileNameOnly(const QString& name);

// For captions, menus and messages.
QString DisplayFileName(const QString& name);

// The command line after the program's name, every argument with its bytes kept.
QStringList ArgumentsFromArgv(int argc, char** argv);

} // namespace qarlo
