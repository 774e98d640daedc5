#include "DataExchange.h"
#include "editor/UiText.h"

#include "editor/MessageSink.h"

#include <QLineEdit>
#include <QSignalBlocker>

#include <array>
#include <charconv>
#include <cmath>
#include <string>

namespace qarlo {

namespace {
bool isBlank(QChar c) {
    return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n' || c == u'\v' || c == u'\f';
}

class RunningScope {
public:
    explicit RunningScope(bool& flag) : ref(flag), previous(flag) { ref = true; }
    ~RunningScope() { ref = previous; }
    RunningScope(const RunningScope&) = delete;
    RunningScope& operator=(const RunningScope&) = delete;

private:
    bool& ref;
    bool previous;
};
} // namespace

std::optional<double> ParseNumber(const QString& text) {
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && isBlank(text[begin]))
        ++begin;
    while (end > begin && isBlank(text[end - 1]))
        --end;
    if (begin == end) return std::nullopt;

    // Only the characters of a decimal number are accepted, so "inf", "nan" and hexadecimal
    // forms are not numbers here.
    std::string ascii;
    ascii.reserve(static_cast<std::size_t>(end - begin));
    for (qsizetype i = begin; i < end; ++i) {
        const char16_t c = text[i].unicode();
        const bool allowed = (c >= u'0' && c <= u'9') || c == u'.' || c == u'+' || c == u'-' ||
                             c == u'e' || c == u'E';
        if (!allowed) return std::nullopt;
        ascii.push_back(static_cast<char>(c));
    }
    const char* first = ascii.data();
    const char* last = first + ascii.size();
    bool negative = false;
    if (*first == '+' || *first == '-') {
        negative = *first == '-';
        ++first;
        // from_chars takes no sign of its own; a second sign is junk.
        if (first == last || *first == '+' || *first == '-') return std::nullopt;
    }
    double value = 0.0;
    const auto [ptr, ec] = std::from_chars(first, last, value, std::chars_format::general);
    if (ec != std::errc() || ptr != last || !std::isfinite(value)) return std::nullopt;
    return negative ? -value : value;
}

QString FormatNumber(double value) {
    std::array<char, 64> buffer{};
    const auto [ptr, ec] = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value,
                                         std::chars_format::general, 15);
    if (ec != std::errc()) return QString();
    return QString::fromLatin1(buffer.data(), ptr - buffer.data());
}

QString DataExchange::NotANumberPrompt() {
    return UiText("请输入一个数字。");
}

void DataExchange::bind(QLineEdit* edit, double* value) {
    bindings.push_back({edit, value});
}

bool DataExchange::UpdateData(bool saveAndValidate) {
    const RunningScope scope(running);
    for (const Binding& b : bindings) {
        if (saveAndValidate) {
            const std::optional<double> number = ParseNumber(b.edit->text());
            if (!number) {
                messages.ShowMessage(NotANumberPrompt());
                b.edit->setFocus(Qt::OtherFocusReason);
                b.edit->selectAll();
                return false;
            }
            *b.value = *number;
        } else {
            const QString text = FormatNumber(*b.value);
            if (b.edit->text() != text) {
                const QSignalBlocker block(b.edit);
                b.edit->setText(text);
            }
        }
    }
    return true;
}

} // namespace qarlo
