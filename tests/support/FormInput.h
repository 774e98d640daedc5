#pragma once
// Input into the editor form as a user gives it, and the form's lists read back as shown.
#include "editor/ListBox.h"
#include "memory/CQarloDoc.h"

#include <QLineEdit>
#include <QTest>

#include <gtest/gtest.h>

#include <vector>

namespace qarlo::test {

inline QString U(const char* utf8) {
    return QString::fromUtf8(utf8);
}

// Replaces the whole text the way a user does: select it all, then type.
inline void TypeInto(QLineEdit* edit, const QString& text) {
    edit->setFocus();
    edit->selectAll();
    QTest::keyClicks(edit, text);
}

inline void ClickRow(ListBox* list, int row, Qt::KeyboardModifiers keys = {}) {
    ASSERT_GE(row, 0);
    ASSERT_LT(row, list->count());
    list->scrollToItem(list->item(row));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, keys,
                      list->visualItemRect(list->item(row)).center());
}

inline void ClickRowWithText(ListBox* list, const QString& text) {
    const auto found = list->findItems(text, Qt::MatchExactly);
    ASSERT_EQ(found.size(), 1) << text.toStdString();
    ClickRow(list, list->row(found.first()));
}

inline QStringList Rows(const ListBox* list) {
    QStringList out;
    for (int i = 0; i < list->count(); ++i)
        out << list->GetText(i);
    return out;
}

inline QString SelectedText(const ListBox* list) {
    const int sel = list->GetCurSel();
    return sel < 0 ? QString() : list->GetText(sel);
}

// "01频道" ... for the given channel indices.
inline QStringList Names(const std::vector<int>& channels) {
    QStringList out;
    for (int ch : channels)
        out << QString::fromUtf8(ChannelName(ch).data(), qsizetype(ChannelName(ch).size()));
    return out;
}

} // namespace qarlo::test
