#pragma once
// Our messages are UTF-8; a terminal in another charset (zh_CN.GB18030) reads them in its own.
// A byte that is no text on the way (a stray byte of a file name) keeps its value both ways:
// decoding carries it as U+DC80..U+DCFF, as file names do, and encoding gives the byte back.
#include <cstdio>
#include <string>
#include <string_view>

namespace qarlo {

class Charset {
public:
    // A name as the system knows it ("GB18030", "UTF-8"); UTF-8 and ASCII (the C locale) leave
    // every byte as it is.
    explicit Charset(std::string name);

    // The charset of the user's locale (LC_ALL, LC_CTYPE, LANG), read once.
    static const Charset& User();

    const std::string& name() const { return charsetName; }
    bool passesThrough() const { return passThrough; }

    // UTF-8 -> this charset; a character the charset lacks becomes '?'. With `held`, a
    // character cut off at the end is left out and its length stored there, for the next piece.
    std::string FromUtf8(std::string_view utf8, std::size_t* held = nullptr) const;
    // This charset -> UTF-8.
    std::string ToUtf8(std::string_view bytes) const;

private:
    std::string charsetName;
    bool passThrough;
};

// From here on the program's messages on standard output and error are in the user's charset
// (nothing changes where that is UTF-8 or ASCII).
void SpeakUserCharset();
// The standard output for data that is UTF-8 whatever the terminal (CSV, JSON), after what
// was printed before it.
std::FILE* DataOutput();

namespace charset_detail {
// The bodies' one job: convert text that is all valid UTF-8 (decoding: all valid in the
// charset up to where it stops), the rest is shared.
bool EncodeRun(const std::string& charset, std::string_view utf8, std::string& out);
// Appends what decodes from the start of `bytes`; returns how many bytes it took (fewer than
// all when it met a byte that is no text in the charset).
std::size_t DecodeSome(const std::string& charset, std::string_view bytes, std::string& out);
std::string UserCharsetName();
} // namespace charset_detail

} // namespace qarlo
