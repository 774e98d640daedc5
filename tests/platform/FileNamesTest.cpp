// File names as bytes through QString, as both programs take them from argv.
#include "platform/qt/FileNames.h"

#include <gtest/gtest.h>

namespace qarlo {
namespace {

// A name is bytes: whatever is no UTF-8 (a lone byte, a sequence cut at the end) reaches open()
// as it came from argv, and the user sees such a byte as "\xFF".
TEST(FileNames, BytesFromArgvKeptToOpenAndShownEscaped) {
    const struct {
        QByteArray bytes;
        const char* shown;
    } cases[] = {
        {"radio.q02", "radio.q02"},
        {"\xE9\xA2\x91\xE9\x81\x93.q02", "\xE9\xA2\x91\xE9\x81\x93.q02"}, // 频道: UTF-8 as it is
        {"bad\xFF.q02", "bad\\xFF.q02"},
        {"\x80\xBF", "\\x80\\xBF"}, // the first and last continuation bytes
        {"cut\xE4", "cut\\xE4"},
        {"\xE4\xB8", "\\xE4\\xB8"},
        // the first character of each length, the last one, and the bytes just outside
        {"\xC2\x80\xE0\xA0\x80\xF0\x90\x80\x80\xF4\x8F\xBF\xBF",
         "\xC2\x80\xE0\xA0\x80\xF0\x90\x80\x80\xF4\x8F\xBF\xBF"},
        {"\xC1\xBF\xE0\x9F\xBF", "\\xC1\\xBF\\xE0\\x9F\\xBF"},
        {"\xF4\x90\x80\x80\xF5", "\\xF4\\x90\\x80\\x80\\xF5"},
    };
    for (const auto& c : cases) {
        char* argv[] = {const_cast<char*>("qarlo"), const_cast<char*>(c.bytes.constData())};
        const QStringList arguments = ArgumentsFromArgv(2, argv);
        ASSERT_EQ(arguments.size(), 1);
        EXPECT_EQ(FileNameBytes(arguments[0]), c.bytes);
        EXPECT_EQ(FileNamePath(arguments[0]).native(), c.bytes.toStdString());
        EXPECT_EQ(DisplayFileName(arguments[0]), QString::fromUtf8(c.shown)) << c.shown;
    }
}

} // namespace
} // namespace qarlo
