#include "platform/qt/FileNames.h"

#include <QDir>

namespace qarlo {

namespace {

constexpr char16_t ESCAPE_BASE = 0xDC00; // lone low surrogates: never the result of real UTF-8

bool isContinuation(unsigned char b) {
    return (b & 0xC0) == 0x80;
}

// The length of the valid UTF-8 sequence at `i` (shortest form, no surrogates, at most
// U+10FFFF), 0 when the byte there starts none.
int validSequence(const QByteArray& bytes, qsizetype i, char32_t& codePoint) {
    const auto lead = static_cast<unsigned char>(bytes[i]);
    int length = lead < 0x80                   ? 1
                 : lead >= 0xC2 && lead < 0xE0 ? 2
                 : lead >= 0xE0 && lead < 0xF0 ? 3
                 : lead >= 0xF0 && lead < 0xF5 ? 4
                                               : 0;
    if (length == 0 || i + length > bytes.size()) return 0;
    char32_t cp = length == 1 ? lead : lead & (0x7F >> length);
    for (int k = 1; k < length; ++k) {
        const auto b = static_cast<unsigned char>(bytes[i + k]);
        if (!isContinuation(b)) return 0;
        cp = cp << 6 | (b & 0x3F);
    }
    const char32_t smallest[] = {0, 0, 0x80, 0x800, 0x10000};
    if (cp < smallest[length] || cp > 0x10FFFF || (cp >= 0xD800 && cp < 0xE000)) return 0;
    codePoint = cp;
    return length;
}

} // namespace

QString FileNameFromBytes(const QByteArray& bytes) {
    QString name;
    for (qsizetype i = 0; i < bytes.size();) {
        char32_t cp = 0;
        const int length = validSequence(bytes, i, cp);
        if (length == 0) {
            name += QChar(char16_t(ESCAPE_BASE + static_cast<unsigned char>(bytes[i])));
            ++i;
            continue;
        }
        name += QString::fromUcs4(&cp, 1);
        i += length;
    }
    return name;
}

QByteArray FileNameBytes(const QString& name) {
    QByteArray bytes;
    for (qsizetype i = 0; i < name.size(); ++i) {
        const char16_t u = name[i].unicode();
        const bool pair = QChar::isHighSurrogate(u) && i + 1 < name.size() &&
                          QChar::isLowSurrogate(name[i + 1].unicode());
        if (!pair && u >= ESCAPE_BASE + 0x80 && u <= ESCAPE_BASE + 0xFF) {
            bytes += static_cast<char>(u - ESCAPE_BASE);
            continue;
        }
        bytes += name.mid(i, pair ? 2 : 1).toUtf8();
        if (pair) ++i;
    }
    return bytes;
}

std::filesystem::path FileNamePath(const QString& name) {
    return std::filesystem::path(FileNameBytes(name).toStdString());
}

QString FileNameFromPath(const std::filesystem::path& path) {
    return FileNameFromBytes(QByteArray::fromStdString(path.string()));
}

QString AbsoluteFileName(const QString& name) {
    std::error_code ec;
    const std::filesystem::path absolute = std::filesystem::absolute(FileNamePath(name), ec);
    return ec ? name : FileNameFromPath(absolute.lexically_normal());
}

QString FileNameOnly(const QString& name) {
    return FileNameFromPath(FileNamePath(name).filename());
}

QString DisplayFileName(const QString& name) {
    QString shown;
    for (const QChar c : name) {
        const char16_t u = c.unicode();
        if (u >= ESCAPE_BASE + 0x80 && u <= ESCAPE_BASE + 0xFF)
            shown += QStringLiteral("\\x") + QString::number(u - ESCAPE_BASE, 16).toUpper();
        else
            shown += c;
    }
    return QDir::toNativeSeparators(shown);
}

QStringList ArgumentsFromArgv(int argc, char** argv) {
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments.append(FileNameFromBytes(QByteArray(argv[i])));
    return arguments;
}

} // namespace qarlo
