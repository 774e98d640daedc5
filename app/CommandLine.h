#pragma once
// The window's command line: `qarlo [--] [FILE.q02]`, with --help and --version.
#include <QStringList>

#include <optional>

namespace qarlo {

// "usage: qarlo ..." for --help or "qarlo VERSION" for --version, when `arguments` (program name
// first, Qt's own options still in) ask for one; nothing otherwise.
std::optional<QString> InformationRequested(const QStringList& arguments, const char* version);

// The file to open (none: a new document) from what QApplication left of the command line,
// program name first; nothing after a usage error, whose text is then in `error`.
std::optional<QStringList> FileArguments(const QStringList& arguments, QString& error);

} // namespace qarlo
