// The window's language: chosen from the environment, and in English every text of the window
// translated while the Chinese stays the source.
#include "app/Language.h"
#include "AppFixture.h"

#include <QLabel>
#include <QMenuBar>
#include <QPushButton>
#include <QRegularExpression>

namespace qarlo::test {
namespace {

TEST(Language, TheFirstVariableSetDecides) {
    const struct {
        const char *language, *all, *messages, *lang;
        UiLanguage expected;
    } cases[] = {
        {"", "", "", "", UiLanguage::Chinese},
        {"", "", "", "en_US.UTF-8", UiLanguage::English},
        {"", "", "", "zh_CN.UTF-8", UiLanguage::Chinese},
        {"", "", "", "C", UiLanguage::Chinese},
        {"en:zh_CN", "", "", "zh_CN.UTF-8", UiLanguage::English},
        {"zh_CN:en", "", "", "en_US.UTF-8", UiLanguage::Chinese},
        {"", "C", "en_GB.UTF-8", "", UiLanguage::Chinese},
        {"", "", "en_GB.UTF-8", "zh_CN.UTF-8", UiLanguage::English},
        {"", "", "", "eo.UTF-8", UiLanguage::Chinese},
    };
    for (const auto& c : cases) {
        QProcessEnvironment env;
        const std::pair<const char*, const char*> vars[] = {{"LANGUAGE", c.language},
                                                            {"LC_ALL", c.all},
                                                            {"LC_MESSAGES", c.messages},
                                                            {"LANG", c.lang}};
        for (const auto& [name, value] : vars)
            if (*value) env.insert(QString::fromLatin1(name), QString::fromLatin1(value));
        EXPECT_EQ(LanguageFromEnvironment(env), c.expected) << c.language << c.messages << c.lang;
    }
}

using LanguageTest = AppFixture;

// In English no Chinese is left on the menus, the form and their prompts, but the language
// menu's own names; the Chinese texts are the keys, so a changed one would show here untranslated.
TEST_F(LanguageTest, EnglishWindowHasNoChineseLeft) {
    const Translations english(UiLanguage::English);
    ASSERT_TRUE(Start());
    QStringList titles, texts;
    for (QAction* menu : frame().menuBar()->actions()) {
        titles << menu->text();
        for (QAction* act : menu->menu()->actions())
            texts << act->text() << act->statusTip() << act->toolTip();
    }
    EXPECT_EQ(titles,
              QStringList({"&File", "&Edit", "&View", "&Serial Port", "&Operation", "&Help"}));
    for (QWidget* w : view().findChildren<QWidget*>()) {
        texts << w->accessibleName() << w->toolTip();
        if (auto* label = qobject_cast<QLabel*>(w)) texts << label->text();
    }
    for (ListBox* list : view().findChildren<ListBox*>())
        for (int row = 0; row < list->GetCount(); ++row)
            texts << list->GetText(row);
    texts << frame().displayedCaption() << view().copyRxToTxButton->text();
    texts.removeAll(U("语言 / Language"));
    texts.removeAll(U("中文"));
    for (const QString& text : texts)
        EXPECT_FALSE(text.contains(QRegularExpression(QStringLiteral("[\\x{4e00}-\\x{9fff}]"))))
            << text.toStdString();
    EXPECT_EQ(frame().displayedCaption(), "Untitled - Qarlo Radio Programmer");
}

} // namespace
} // namespace qarlo::test
