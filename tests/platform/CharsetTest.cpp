// Messages leave in the terminal's charset and the system's bytes come back as they were.
#include "platform/Charset.h"

#include <gtest/gtest.h>

#include <string>

using qarlo::Charset;

namespace {

std::string Bytes(std::initializer_list<int> values) {
    std::string s;
    for (const int v : values) s += static_cast<char>(v);
    return s;
}

} // namespace

TEST(Charset, Gb18030TakesOurTextAndKeepsStrayBytes) {
    const Charset gb("GB18030");
    ASSERT_FALSE(gb.passesThrough());
    struct Case {
        std::string utf8, expected;
    } cases[] = {
        {"01频道: 频段值必须在100MHz－480MHz内",
         "01" + Bytes({0xC6, 0xB5, 0xB5, 0xC0}) + ": " +
             Bytes({0xC6, 0xB5, 0xB6, 0xCE, 0xD6, 0xB5, 0xB1, 0xD8, 0xD0, 0xEB, 0xD4, 0xDA}) +
             "100MHz" + Bytes({0xA3, 0xAD}) + "480MHz" + Bytes({0xC4, 0xDA})},
        {"\u0080", Bytes({0x81, 0x30, 0x81, 0x30})},          // two-byte UTF-8, four-byte GB
        {"\u00a4", Bytes({0xA1, 0xE8})},                      // the first two-byte character
        {"😀", Bytes({0x94, 0x39, 0xFC, 0x36})},               // beyond the BMP
        {"\xF4\x8F\xBF\xBF", Bytes({0xE3, 0x32, 0x9A, 0x35})},  // the last character
        {"bad\xED\xB2\x80\xED\xB3\xBF.q02", "bad\x80\xFF.q02"}, // bytes carried as U+DC80..
        {"a\xFF" "b\xC0\xAF" "c", "a\xFF" "b\xC0\xAF" "c"},   // no UTF-8: as they are
        {"\xED\xA0\x80", "\xED\xA0\x80"},                     // a surrogate is no character
        {"\xE0\x80\x80\xF4\x90\x80\x80", "\xE0\x80\x80\xF4\x90\x80\x80"}, // overlong, too high
        {"\xE4\xB8", "\xE4\xB8"}, // cut off at the end with nowhere to hold it
        {"", ""},
    };
    for (const Case& c : cases) EXPECT_EQ(gb.FromUtf8(c.utf8), c.expected) << c.utf8;
}

TEST(Charset, EveryByteComesBackAsItWas) {
    const Charset gb("GB18030");
    std::string all;
    for (int b = 0; b < 256; ++b) all += static_cast<char>(b);
    const std::string samples[] = {
        all,
        Bytes({0xC6, 0xB5, 0xB5, 0xC0, 0x81}),             // "频道" and a lone lead byte
        Bytes({0x81, 0x30, 0x81}),                         // a four-byte sequence cut short
        Bytes({0xFF, 0x81, 0x30, 0x81, 0x30, 0xD6, 0xD0}), // stray, U+0080, "中"
    };
    for (const std::string& bytes : samples) {
        const std::string utf8 = gb.ToUtf8(bytes);
        EXPECT_EQ(gb.FromUtf8(utf8), bytes);
    }
    EXPECT_EQ(gb.ToUtf8(Bytes({0xD6, 0xD0, 0xFF})), "中\xED\xB3\xBF");
    EXPECT_EQ(gb.ToUtf8(Bytes({0x80})), "\xED\xB2\x80");
}

TEST(Charset, ACharacterCutOffIsHeldForTheNextPiece) {
    const Charset gb("GB18030");
    std::size_t held = 99;
    EXPECT_EQ(gb.FromUtf8("ab\xE4\xB8", &held), "ab");
    EXPECT_EQ(held, 2u);
    EXPECT_EQ(gb.FromUtf8("\xF0\x9F\x98", &held), "");
    EXPECT_EQ(held, 3u);
    EXPECT_EQ(gb.FromUtf8("x\xFF", &held), "x\xFF");
    EXPECT_EQ(held, 0u);
    EXPECT_EQ(gb.FromUtf8("\xE4\xB8\xAD", &held), Bytes({0xD6, 0xD0}));
    EXPECT_EQ(held, 0u);
}

TEST(Charset, WhatACharsetLacksBecomesAQuestionMark) {
    const Charset latin("ISO-8859-1");
    EXPECT_EQ(latin.FromUtf8("a中b😀c\u00e9"), "a?b?c\xE9");
    EXPECT_EQ(latin.ToUtf8("\xE9"), "\u00e9");
}

TEST(Charset, Utf8AsciiAndUnknownCharsetsLeaveEveryByte) {
    const std::string text = "\xFF频\xED\xB3\xBF";
    for (const char* name : {"UTF-8", "utf8", "ANSI_X3.4-1968", "ASCII", ""}) {
        const Charset c(name);
        EXPECT_TRUE(c.passesThrough()) << name;
        EXPECT_EQ(c.FromUtf8(text), text) << name;
        EXPECT_EQ(c.ToUtf8(text), text) << name;
    }
    const Charset unknown("NO-SUCH-CHARSET");
    EXPECT_FALSE(unknown.passesThrough());
    EXPECT_EQ(unknown.FromUtf8("频道"), "频道");
    EXPECT_EQ(unknown.ToUtf8("\xC6\xB5"), "\xC6\xB5");
}
