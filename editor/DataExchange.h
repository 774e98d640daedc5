#pragma once
// The form's data exchange between its numeric edits and the view's double members: read all
// edits in their fixed order, stopping at the first that is not a number, or write all members
// back formatted with 15 significant digits.
#include <QString>

#include <optional>
#include <vector>

class QLineEdit;

namespace qarlo {

class MessageSink;

// The number a whole edit text stands for: surrounding blanks allowed, then a plain decimal number
// in the C locale (sign, digits, point, exponent). Empty text, anything left over, or a value too
// large for a double is not a number.
std::optional<double> ParseNumber(const QString& text);

// %.15g in the C locale: 5.0 as "5", 145.0125 as "145.0125".
QString FormatNumber(double value);

class DataExchange {
public:
    // The "enter a number" prompt goes to `messages`.
    explicit DataExchange(MessageSink& sink) : messages(sink) {}

    void bind(QLineEdit* edit, double* value);

    // true: parse every edit into its member in binding order; at the first edit that is not a
    // number, show the prompt, move the focus there and return false, leaving that member and all
    // after it unchanged. false: write every member into its edit, leaving an edit that already
    // reads the formatted text alone.
    bool UpdateData(bool saveAndValidate);

    // While an exchange runs, edit notifications must not reach the handlers.
    bool isRunning() const { return running; }

    static QString NotANumberPrompt();

private:
    struct Binding {
        QLineEdit* edit;
        double* value;
    };
    MessageSink& messages;
    std::vector<Binding> bindings;
    bool running = false;
};

} // namespace qarlo
