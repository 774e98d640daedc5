#include "Language.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QSettings>
#include <QTranslator>

namespace qarlo {

namespace {
constexpr const char* LANGUAGE_KEY = "Settings/Language";
constexpr const char* ENGLISH = "en";
constexpr const char* CHINESE = "zh_CN";

bool NamesEnglish(const QString& locale) {
    return locale == QLatin1String("en") || locale.startsWith(QLatin1String("en_")) ||
           locale.startsWith(QLatin1String("en.")) || locale.startsWith(QLatin1String("en@"));
}
} // namespace

UiLanguage LanguageFromEnvironment(const QProcessEnvironment& environment) {
    for (const char* name : {"LANGUAGE", "LC_ALL", "LC_MESSAGES", "LANG"}) {
        const QString value =
            environment.value(QString::fromLatin1(name)).section(QLatin1Char(':'), 0, 0);
        if (!value.isEmpty())
            return NamesEnglish(value) ? UiLanguage::English : UiLanguage::Chinese;
    }
    return UiLanguage::Chinese;
}

UiLanguage ChosenLanguage() {
    const QString kept = QSettings().value(QLatin1String(LANGUAGE_KEY)).toString();
    if (kept == QLatin1String(ENGLISH)) return UiLanguage::English;
    if (kept == QLatin1String(CHINESE)) return UiLanguage::Chinese;
    return LanguageFromEnvironment(QProcessEnvironment::systemEnvironment());
}

void KeepLanguageChoice(UiLanguage language) {
    QSettings().setValue(QLatin1String(LANGUAGE_KEY),
                         QLatin1String(language == UiLanguage::English ? ENGLISH : CHINESE));
}

Translations::Translations(UiLanguage language) {
    // English is Qt's own source language: only the window's texts need a translation then.
    const QString qtFolder = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    const std::pair<const char*, QString> chinese[] = {{"qtbase_zh_CN", qtFolder},
                                                       {"qtserialport_zh_CN", qtFolder}};
    const std::pair<const char*, QString> english[] = {{"qarlo_en", QStringLiteral(":/i18n")}};
    const auto load = [this](const auto& files) {
        for (const auto& [name, folder] : files) {
            auto translator = std::make_unique<QTranslator>();
            if (!translator->load(QString::fromLatin1(name), folder)) continue;
            QCoreApplication::installTranslator(translator.get());
            installed.push_back(std::move(translator));
        }
    };
    if (language == UiLanguage::English) {
        load(english);
    } else {
        load(chinese);
    }
}

Translations::~Translations() = default; // each translator leaves the application as it goes

} // namespace qarlo
