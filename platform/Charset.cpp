#include "platform/Charset.h"

#include <algorithm>
#include <cctype>

namespace qarlo {

namespace {

bool IsPassThrough(std::string name) {
    std::string plain;
    for (const char c : name)
        if (c != '-' && c != '_') plain += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return plain.empty() || plain == "UTF8" || plain == "ASCII" || plain == "ANSIX3.41968" ||
           plain == "USASCII" || plain == "C" || plain == "POSIX";
}

unsigned char At(std::string_view s, std::size_t i) {
    return static_cast<unsigned char>(s[i]);
}

// A byte carried as U+DC80..U+DCFF: ED B2 80 .. ED B3 BF.
bool IsEscapedByte(std::string_view s, std::size_t i) {
    return i + 2 < s.size() && At(s, i) == 0xED && (At(s, i + 1) == 0xB2 || At(s, i + 1) == 0xB3) &&
           (At(s, i + 2) & 0xC0) == 0x80;
}

void AppendEscaped(unsigned char byte, std::string& out) {
    const unsigned code = 0xDC00u + byte;
    out += static_cast<char>(0xE0 | (code >> 12));
    out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (code & 0x3F));
}

constexpr int CUT_OFF = -1;

// The length of the valid UTF-8 character at `i` (surrogates are not valid), 0 when there is
// none, CUT_OFF when the text ends inside one that was valid so far.
int CharacterAt(std::string_view s, std::size_t i) {
    const unsigned char lead = At(s, i);
    if (lead < 0x80) return 1;
    int length = 0;
    unsigned low = 0x80, high = 0xBF; // the second byte's range
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        if (lead == 0xE0) low = 0xA0;
        if (lead == 0xED) high = 0x9F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        if (lead == 0xF0) low = 0x90;
        if (lead == 0xF4) high = 0x8F;
    } else {
        return 0;
    }
    for (int k = 1; k < length; ++k) {
        if (i + static_cast<std::size_t>(k) >= s.size()) return CUT_OFF;
        const unsigned c = At(s, i + static_cast<std::size_t>(k));
        if (k == 1 ? (c < low || c > high) : (c & 0xC0) != 0x80) return 0;
    }
    return length;
}

} // namespace

Charset::Charset(std::string name) : charsetName(std::move(name)), passThrough(IsPassThrough(charsetName)) {}

const Charset& Charset::User() {
    static const Charset user(charset_detail::UserCharsetName());
    return user;
}

std::string Charset::FromUtf8(std::string_view utf8, std::size_t* held) const {
    if (held != nullptr) *held = 0;
    if (passThrough) return std::string(utf8);
    std::string out;
    std::size_t i = 0;
    while (i < utf8.size()) {
        std::size_t end = i;
        int length = 0;
        while (end < utf8.size() && !IsEscapedByte(utf8, end) &&
               (length = CharacterAt(utf8, end)) > 0)
            end += static_cast<std::size_t>(length);
        // A charset the system cannot convert to leaves the text as it is, readable or not.
        if (end > i && !charset_detail::EncodeRun(charsetName, utf8.substr(i, end - i), out))
            out.append(utf8.substr(i, end - i));
        if (end == utf8.size()) break;
        if (IsEscapedByte(utf8, end)) {
            out += static_cast<char>(0x80 | ((At(utf8, end + 1) & 0x01) << 6) | (At(utf8, end + 2) & 0x3F));
            i = end + 3;
        } else if (CharacterAt(utf8, end) == CUT_OFF && held != nullptr) {
            *held = utf8.size() - end;
            break;
        } else {
            out += utf8[end];
            i = end + 1;
        }
    }
    return out;
}

std::string Charset::ToUtf8(std::string_view bytes) const {
    if (passThrough) return std::string(bytes);
    std::string out;
    std::size_t i = 0;
    while (i < bytes.size()) {
        i += charset_detail::DecodeSome(charsetName, bytes.substr(i), out);
        if (i >= bytes.size()) break;
        const unsigned char stray = At(bytes, i++);
        if (stray < 0x80)
            out += static_cast<char>(stray);
        else
            AppendEscaped(stray, out);
    }
    return out;
}

} // namespace qarlo
