#include "platform/Charset.h"

#include <iconv.h>
#include <langinfo.h>
#include <unistd.h>

#include <cerrno>
#include <clocale>
#include <memory>

namespace qarlo {

namespace charset_detail {

namespace {

struct Converter {
    Converter(const std::string& to, const std::string& from)
        : cd(::iconv_open(to.c_str(), from.c_str())) {}
    ~Converter() {
        if (ok()) ::iconv_close(cd);
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;
    bool ok() const { return cd != reinterpret_cast<iconv_t>(-1); }
    iconv_t cd;
};

// Converts from `in` until the input ends or iconv stops at a sequence it cannot take (the
// error is left in errno); returns the bytes taken.
std::size_t Convert(const Converter& c, std::string_view in, std::string& out) {
    char* from = const_cast<char*>(in.data());
    std::size_t left = in.size();
    char buffer[1024];
    for (;;) {
        char* to = buffer;
        std::size_t room = sizeof buffer;
        const std::size_t done = ::iconv(c.cd, left > 0 ? &from : nullptr, &left, &to, &room);
        const int error = errno;
        out.append(buffer, static_cast<std::size_t>(to - buffer));
        if (done != static_cast<std::size_t>(-1)) {
            if (left == 0) {
                // the shift state back to the initial one, for charsets that keep one
                to = buffer;
                room = sizeof buffer;
                ::iconv(c.cd, nullptr, nullptr, &to, &room);
                out.append(buffer, static_cast<std::size_t>(to - buffer));
                return in.size();
            }
            continue;
        }
        if (error == E2BIG) continue;
        errno = error;
        return in.size() - left;
    }
}

} // namespace

bool EncodeRun(const std::string& charset, std::string_view utf8, std::string& out) {
    const Converter c(charset, "UTF-8");
    if (!c.ok()) return false;
    while (!utf8.empty()) {
        const std::size_t taken = Convert(c, utf8, out);
        if (taken >= utf8.size()) break;
        // a character the charset lacks: one '?' for the whole character
        std::size_t length = 1;
        while (taken + length < utf8.size() &&
               (static_cast<unsigned char>(utf8[taken + length]) & 0xC0) == 0x80)
            ++length;
        out += '?';
        utf8.remove_prefix(taken + length);
    }
    return true;
}

std::size_t DecodeSome(const std::string& charset, std::string_view bytes, std::string& out) {
    const Converter c("UTF-8", charset);
    if (!c.ok()) {
        out.append(bytes);
        return bytes.size();
    }
    return Convert(c, bytes, out);
}

std::string UserCharsetName() {
    const char* current = std::setlocale(LC_CTYPE, nullptr);
    const std::string before = current != nullptr ? current : "C";
    std::string name;
    if (std::setlocale(LC_CTYPE, "") != nullptr) {
        const char* codeset = ::nl_langinfo(CODESET);
        if (codeset != nullptr) name = codeset;
    }
    std::setlocale(LC_CTYPE, before.c_str());
    return name;
}

} // namespace charset_detail

namespace {

// Standard output or error, with what a cut-off character left for the next write.
struct ConvertingSink {
    int fd;
    std::string held;
};

ssize_t WriteConverted(void* cookie, const char* data, std::size_t size) {
    auto* sink = static_cast<ConvertingSink*>(cookie);
    std::string text = sink->held;
    text.append(data, size);
    std::size_t heldBack = 0;
    const std::string out = Charset::User().FromUtf8(text, &heldBack);
    sink->held = text.substr(text.size() - heldBack);
    std::size_t written = 0;
    while (written < out.size()) {
        const ssize_t n = ::write(sink->fd, out.data() + written, out.size() - written);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return -1;
        written += static_cast<std::size_t>(n);
    }
    return static_cast<ssize_t>(size);
}

std::FILE* OpenConverting(int fd) {
    auto sink = std::make_unique<ConvertingSink>(ConvertingSink{fd, {}});
    std::FILE* stream = ::fopencookie(sink.get(), "w", {nullptr, WriteConverted, nullptr, nullptr});
    if (stream != nullptr) sink.release(); // lives as long as the program
    return stream;
}

std::FILE* dataOutput = nullptr;

} // namespace

void SpeakUserCharset() {
    if (dataOutput != nullptr || Charset::User().passesThrough()) return;
    std::FILE* out = OpenConverting(STDOUT_FILENO);
    std::FILE* err = OpenConverting(STDERR_FILENO);
    if (out == nullptr || err == nullptr) {
        if (out != nullptr) std::fclose(out);
        if (err != nullptr) std::fclose(err);
        return; // UTF-8 it stays
    }
    std::fflush(stdout);
    std::fflush(stderr);
    std::setvbuf(out, nullptr, ::isatty(STDOUT_FILENO) == 1 ? _IOLBF : _IOFBF, BUFSIZ);
    std::setvbuf(err, nullptr, _IONBF, 0);
    dataOutput = stdout;
    stdout = out;
    stderr = err;
}

std::FILE* DataOutput() {
    if (dataOutput == nullptr) return stdout;
    std::fflush(stdout);
    return dataOutput;
}

} // namespace qarlo
