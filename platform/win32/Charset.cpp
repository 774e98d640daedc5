#include "platform/Charset.h"

#include <windows.h>

#include <cctype>
#include <string>

namespace qarlo {

namespace charset_detail {

namespace {

// "GB18030" -> 54936, "CP936" -> 936; 0 for a name Windows has no code page for here.
UINT CodePageOf(const std::string& charset) {
    std::string upper;
    for (const char c : charset)
        upper += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    if (upper == "GB18030") return 54936;
    if (upper == "UTF-8" || upper == "UTF8") return CP_UTF8;
    if (upper.rfind("CP", 0) == 0 && upper.size() > 2) {
        UINT page = 0;
        for (std::size_t i = 2; i < upper.size(); ++i) {
            if (!std::isdigit(static_cast<unsigned char>(upper[i])) || page > 100000) return 0;
            page = page * 10 + static_cast<UINT>(upper[i] - '0');
        }
        return page;
    }
    return 0;
}

std::wstring Wide(UINT page, std::string_view bytes, DWORD flags) {
    if (bytes.empty()) return {};
    const int size = static_cast<int>(bytes.size());
    const int n = ::MultiByteToWideChar(page, flags, bytes.data(), size, nullptr, 0);
    if (n <= 0) return {};
    std::wstring wide(static_cast<std::size_t>(n), L'\0');
    ::MultiByteToWideChar(page, flags, bytes.data(), size, wide.data(), n);
    return wide;
}

void AppendNarrow(UINT page, const std::wstring& wide, std::string& out) {
    if (wide.empty()) return;
    const int size = static_cast<int>(wide.size());
    const char* fallback = page == CP_UTF8 || page == 54936 ? nullptr : "?";
    const int n = ::WideCharToMultiByte(page, 0, wide.data(), size, nullptr, 0, fallback, nullptr);
    if (n <= 0) return;
    std::string narrow(static_cast<std::size_t>(n), '\0');
    ::WideCharToMultiByte(page, 0, wide.data(), size, narrow.data(), n, fallback, nullptr);
    out += narrow;
}

} // namespace

bool EncodeRun(const std::string& charset, std::string_view utf8, std::string& out) {
    const UINT page = CodePageOf(charset);
    if (page == 0) return false;
    AppendNarrow(page, Wide(CP_UTF8, utf8, 0), out);
    return true;
}

// Windows does not say where a text stops decoding: a text that does not decode whole is taken
// up to its last ASCII byte before the first byte that may not, and the caller keeps the rest.
std::size_t DecodeSome(const std::string& charset, std::string_view bytes, std::string& out) {
    const UINT page = CodePageOf(charset);
    if (page == 0) {
        out.append(bytes);
        return bytes.size();
    }
    const std::wstring whole = Wide(page, bytes, MB_ERR_INVALID_CHARS);
    if (!whole.empty()) {
        AppendNarrow(CP_UTF8, whole, out);
        return bytes.size();
    }
    std::size_t ascii = 0;
    while (ascii < bytes.size() && static_cast<unsigned char>(bytes[ascii]) < 0x80) ++ascii;
    out.append(bytes.substr(0, ascii));
    return ascii;
}

// The console is told to take UTF-8 (SpeakUserCharset), so the program's own text stays as it is.
std::string UserCharsetName() {
    return "UTF-8";
}

} // namespace charset_detail

void SpeakUserCharset() {
    ::SetConsoleOutputCP(CP_UTF8);
}

std::FILE* DataOutput() {
    return stdout;
}

} // namespace qarlo
