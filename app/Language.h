#pragma once
// The window's language: English when the user's UI language is English, Chinese otherwise, or
// what the user chose under 查看 → 语言 / Language (kept in the settings, used from the next
// start).
#include <QProcessEnvironment>
#include <QString>

#include <memory>
#include <vector>

class QTranslator;

namespace qarlo {

enum class UiLanguage { Chinese, English };

// The first of LANGUAGE (its first entry), LC_ALL, LC_MESSAGES and LANG that is set decides.
UiLanguage LanguageFromEnvironment(const QProcessEnvironment& environment);
// The choice kept in the settings, else the environment's.
UiLanguage ChosenLanguage();
void KeepLanguageChoice(UiLanguage language);

// The window's own texts and Qt's dialogs in `language`, for as long as this object lives.
class Translations {
public:
    explicit Translations(UiLanguage language);
    ~Translations();
    Translations(const Translations&) = delete;
    Translations& operator=(const Translations&) = delete;

private:
    std::vector<std::unique_ptr<QTranslator>> installed;
};

} // namespace qarlo
