// The window's language: chosen from the environment, and in English every text of the window
// translated while the Chinese stays the source.
#include "app/Language.h"
#include "AppFixture.h"
#include "app/DocumentManager.h"
#include "editor/ChannelSheet.h"
#include "editor/TransferTexts.h"
#include "memory/Diff.h"

#include <QLabel>
#include <QMenuBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QXmlStreamReader>

namespace qarlo::test {
namespace {

bool HasChinese(const QString& text) {
    return text.contains(QRegularExpression(QStringLiteral("[\\x{4e00}-\\x{9fff}]")));
}

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
        EXPECT_FALSE(HasChinese(text)) << text.toStdString();
    EXPECT_EQ(frame().displayedCaption(), "Untitled - Qarlo Radio Programmer");
}

// The .ts holds exactly the window's Chinese texts, in order, so an edit of a translation cannot
// change what a Chinese window shows; every translation is finished and takes the same parts.
TEST(Language, TranslationsKeepTheChineseAndItsParts) {
    QFile table(QStringLiteral(QARLO_CHINESE_TEXTS)), ts(QStringLiteral(QARLO_TS_FILE));
    ASSERT_TRUE(table.open(QIODevice::ReadOnly) && ts.open(QIODevice::ReadOnly));
    QStringList expected, sources;
    for (QString line : QString::fromUtf8(table.readAll()).split(u'\n', Qt::SkipEmptyParts))
        if (!line.startsWith(u'#')) expected << line.replace("\\n", "\n").replace("\\t", "\t");
    const auto parts = [](const QString& text) {
        QStringList found;
        for (const auto& match : QRegularExpression(QStringLiteral("%\\d")).globalMatch(text))
            found << match.captured();
        found.sort();
        found.removeDuplicates();
        return found;
    };
    QXmlStreamReader xml(&ts);
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement) continue;
        if (xml.name() == u"source") sources << xml.readElementText();
        if (xml.name() != u"translation") continue;
        const bool unfinished = xml.attributes().hasAttribute(QStringLiteral("type"));
        const QString english = xml.readElementText();
        EXPECT_FALSE(unfinished || english.isEmpty()) << sources.last().toStdString();
        EXPECT_EQ(parts(english), parts(sources.last())) << sources.last().toStdString();
    }
    EXPECT_FALSE(xml.hasError());
    ASSERT_EQ(sources.size(), expected.size());
    for (qsizetype i = 0; i < sources.size(); ++i)
        EXPECT_EQ(sources[i].toStdString(), expected[i].toStdString()) << "entry " << i;
}

// Messages with parts: in Chinese as before, in English whole sentences (a port's reason in
// qarlo-cli's words), whatever the parts hold.
TEST(Language, MessagesWithPartsAreTranslatedAroundThem) {
    using Why = OpenFailure::Why;
    const auto failure = [](Why why, std::optional<PortHolder> holder = {}, std::string group = {},
                            unsigned uid = 0, std::string owner = {}) {
        return OpenFailure{why, "/dev/ttyUSB%1",  std::move(holder),      std::move(group),
                           uid, std::move(owner), "Input/output %2 error"};
    };
    const OpenFailure failures[] = {
        failure(Why::NoSuchDevice),
        failure(Why::HeldBy),
        failure(Why::HeldBy, PortHolder{812, "ModemManager"}),
        failure(Why::HeldBy, PortHolder{77, ""}),
        failure(Why::Permission, {}, "dialout"),
        failure(Why::Permission),
        failure(Why::Permission, {}, "", 1000, "ann"),
        failure(Why::Permission, {}, "", 1001),
        failure(Why::NotSerialDevice),
        failure(Why::Other),
    };
    CQarloDoc radio = ProgrammedDoc({0, 2});
    CQarloDoc doc = radio;
    radio.setFlags(0, radio.flags(0) | FLAG_RX_CODED | FLAG_RX_CTCSS);
    radio.setRxFreq(5, kHz(431000));
    radio.setTxFreq(5, kHz(431000));
    radio.setSquelch(2, 7);
    radio.record(2)[11] = 1;
    radio.record(20)[3] = 0xA5;
    radio.setTotTenths(25);
    radio.setBandHigh(440 * 25000);
    radio.record(SETTINGS_ROW)[9] = 2;
    radio.RebuildProgrammedList();
    TransferOutcome compared = TransferOutcome::Of(TransferOutcome::Kind::CompareDone);
    compared.differences = DiffDocuments(doc, radio, DiffScope::File);
    QString chinese = QString::fromUtf8(OutcomeMessage(compared).data());
    for (const std::string& line : DifferenceLinesByRow(compared.differences))
        chinese += QStringLiteral("\n") + QString::fromStdString(line);
    ASSERT_EQ(compared.differences.size(), 10u) << chinese.toStdString();
    EXPECT_EQ(TransferReportText(compared), chinese);
    for (const OpenFailure& f : failures)
        EXPECT_EQ(OpenFailureReasonText(f).toStdString(), OpenFailureReasonChinese(f));

    const Translations english(UiLanguage::English);
    for (const OpenFailure& f : failures)
        EXPECT_EQ(OpenFailureReasonText(f).toStdString(), OpenFailureReason(f));
    const QStringList report = TransferReportText(compared).split(u'\n');
    EXPECT_EQ(report.value(1), "CH 01: RX code None → QT 67");
    EXPECT_EQ(report.value(3), "CH 06: Programmed no → yes; RX frequency 0.000 → 431.000 MHz; "
                               "TX frequency 0.000 → 431.000 MHz");
    QStringList texts = report + SheetHeader() + SheetRow(radio, 0);
    texts << SheetBandLine(radio) << SheetTotLine(radio)
          << TransferProgressText(TransferStep::Image, 1, 2);
    for (FileError error : {FileError::CannotOpen, FileError::InvalidFormat, FileError::CannotWrite,
                            FileError::NotRegularFile, FileError::ReadOnly, FileError::Busy})
        for (const char* reason : {"", "Permission denied"})
            texts << DocumentManager::OpenFailureMessage({error, "ch.q02", reason})
                  << DocumentManager::SaveFailureMessage({error, "ch.q02", reason});
    for (const QString& text : texts)
        EXPECT_FALSE(HasChinese(text)) << text.toStdString();
}

} // namespace
} // namespace qarlo::test
