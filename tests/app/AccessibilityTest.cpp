// What a screen reader finds in the window: a name on everything the user can operate, the
// form's controls named from their labels, the squelch as a value, the lists' selection, and no
// focus announced on a control the user is not on.
//
// The tree is walked in-process through QAccessible, which is what the AT-SPI bridge itself
// serves to a screen reader: no session bus is needed, so the test runs offscreen everywhere.
#include "AppFixture.h"

#include "app/CAboutDlg.h"

#include <QAccessible>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QToolButton>

#include <set>

namespace qarlo::test {
namespace {

using AccessibilityTest = AppFixture;

bool Interactive(QAccessible::Role role) {
    static const std::set<QAccessible::Role> roles = {
        QAccessible::PushButton,   QAccessible::ButtonMenu, QAccessible::CheckBox,
        QAccessible::RadioButton,  QAccessible::ComboBox,   QAccessible::SpinBox,
        QAccessible::EditableText, QAccessible::List,       QAccessible::ListItem,
        QAccessible::MenuItem,     QAccessible::Slider,     QAccessible::PageTab,
        QAccessible::Table,        QAccessible::Cell};
    return roles.count(role) > 0;
}

struct Walk {
    QStringList unnamed; // "role at path" for every interactive object without a name
    std::set<QObject*> reached;
};

void WalkBelow(QAccessibleInterface* iface, const QString& path, Walk& walk) {
    // Closed menus and hidden panes too: a screen reader reaches them once they open.
    if (!iface || !iface->isValid()) return;
    walk.reached.insert(iface->object());
    const QObject* object = iface->object();
    const QString here =
        path + QLatin1Char('/') + (object ? object->metaObject()->className() : "?");
    if (Interactive(iface->role()) && iface->text(QAccessible::Name).trimmed().isEmpty())
        walk.unnamed << here;
    for (int i = 0; i < iface->childCount(); ++i)
        WalkBelow(iface->child(i), here, walk);
}

Walk WalkFrom(QWidget* top) {
    Walk walk;
    WalkBelow(QAccessible::queryAccessibleInterface(top), QString(), walk);
    return walk;
}

QAccessibleInterface* Of(QObject* object) {
    return QAccessible::queryAccessibleInterface(object);
}

TEST_F(AccessibilityTest, EverythingTheUserCanOperateHasAName) {
    ASSERT_TRUE(Start());
    frame().show();
    // Menus with their items, toolbar, status bar, and the form with every list row.
    const Walk window = WalkFrom(&frame());
    EXPECT_EQ(window.unnamed.join(' ').toStdString(), "");
    for (QObject* deep : {static_cast<QObject*>(view().squelchSpin->upButton()),
                          static_cast<QObject*>(view().txCodeTableList),
                          static_cast<QObject*>(frame().action(ID_RADIO_READ))})
        EXPECT_EQ(window.reached.count(deep), 1u) << deep->objectName().toStdString();
    CAboutDlg about(&frame());
    about.show();
    const Walk dialog = WalkFrom(&about);
    EXPECT_EQ(dialog.unnamed.join(' ').toStdString(), "");
    EXPECT_EQ(dialog.reached.count(about.findChild<QObject*>(QStringLiteral("IDOK"))), 1u);
}

// A few names as a screen reader speaks them: the label with its group and unit, the copy
// buttons with their direction; each label is tied to the control it names.
TEST_F(AccessibilityTest, FormControlsAreNamedFromTheirLabels) {
    ASSERT_TRUE(Start());
    const struct {
        QWidget* control;
        const char* name;
        QAccessible::Role role;
    } named[] = {
        {view().rxFreqEdit, "接收 频率 MHz", QAccessible::EditableText},
        {view().txCodeTypeList, "发射 编码类型", QAccessible::List},
        {view().channelList, "频道选择", QAccessible::List},
        {view().squelchSpin, "静噪等级", QAccessible::SpinBox},
        {view().copyRxToTxButton, "接收设置复制到发射", QAccessible::PushButton},
        {view().copyTxToRxButton, "发射设置复制到接收", QAccessible::PushButton},
    };
    for (const auto& n : named) {
        QAccessibleInterface* iface = Of(n.control);
        ASSERT_NE(iface, nullptr) << n.name;
        EXPECT_EQ(iface->text(QAccessible::Name), U(n.name));
        EXPECT_EQ(iface->role(), n.role) << n.name;
        EXPECT_FALSE(n.control->toolTip().isEmpty()) << n.name;
    }
    // The caption itself stays as drawn.
    EXPECT_EQ(view().copyRxToTxButton->text(), U("复制到==>"));

    const struct {
        const char* label;
        int count;
        QWidget* buddy;
    } labels[] = {
        {"频    率", 1, view().rxFreqEdit},
        {"频   率", 1, view().txFreqEdit},
        {"静噪等级", 1, view().squelchEdit},
        {"到", 1, view().bandHighEdit},
        {"编码类型", 2, nullptr},
        {"频道宽/窄", 1, view().bandwidthList},
    };
    const QList<QLabel*> all = view().findChildren<QLabel*>();
    for (const auto& l : labels) {
        int found = 0;
        for (QLabel* label : all) {
            if (label->text() != U(l.label)) continue;
            ++found;
            EXPECT_EQ(label->buddy(), l.buddy ? l.buddy : label->buddy()) << l.label;
            EXPECT_NE(label->buddy(), nullptr) << l.label;
        }
        EXPECT_EQ(found, l.count) << l.label;
    }
}

// The squelch reports its level and range, and a level set by the screen reader is a user's
// step: it reaches the channel's byte through the form's own handler.
TEST_F(AccessibilityTest, TheSquelchSpinIsAValueWithItsRange) {
    ASSERT_TRUE(Start());
    frame().show();
    QAccessibleInterface* spin = Of(view().squelchSpin);
    ASSERT_NE(spin, nullptr);
    QAccessibleValueInterface* value = spin->valueInterface();
    ASSERT_NE(value, nullptr);
    EXPECT_EQ(value->minimumValue().toInt(), 0);
    EXPECT_EQ(value->maximumValue().toInt(), 9);
    const int before = view().squelchSpin->GetPos();
    const int wanted = before == 9 ? 8 : before + 1;
    value->setCurrentValue(wanted);
    EXPECT_EQ(value->currentValue().toInt(), wanted);
    EXPECT_EQ(spin->text(QAccessible::Value), QString::number(wanted));
    EXPECT_EQ(view().squelchEdit->text(), QString::number(wanted));
    EXPECT_TRUE(doc().IsModified());
}

// Picking a channel refills and reselects every list of the form; each list tells which row it
// stands on, and the keyboard stays on the list the user picked from.
TEST_F(AccessibilityTest, ListsExposeTheRowTheFormStandsOn) {
    CQarloDoc programmed = ProgrammedDoc({0, 3});
    ASSERT_TRUE(Start({WriteDoc(QStringLiteral("a.q02"), programmed)}));
    frame().show();
    frame().activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&frame()));
    view().channelList->setFocus();
    ClickRow(view().channelList, 3);
    EXPECT_EQ(QApplication::focusWidget(), view().channelList);

    for (ListBox* list : {view().channelList, view().programmedList, view().rxCodeTypeList,
                          view().txCodeTableList, view().bandwidthList}) {
        QAccessibleTableInterface* table = Of(list)->tableInterface();
        ASSERT_NE(table, nullptr) << list->objectName().toStdString();
        const int row = list->GetCurSel();
        EXPECT_EQ(table->selectedRows(), row < 0 ? QList<int>() : QList<int>{row})
            << list->objectName().toStdString();
    }
}

} // namespace
} // namespace qarlo::test
