#pragma once
// Input into the editor form as a user gives it: text typed over an edit's whole text, a list
// row clicked with the mouse.
#include "editor/ListBox.h"

#include <QLineEdit>
#include <QTest>

#include <gtest/gtest.h>

namespace qarlo::test {

// Replaces the whole text the way a user does: select it all, then type.
inline void TypeInto(QLineEdit* edit, const QString& text) {
    edit->setFocus();
    edit->selectAll();
    QTest::keyClicks(edit, text);
}

inline void ClickRow(ListBox* list, int row) {
    ASSERT_GE(row, 0);
    ASSERT_LT(row, list->count());
    list->scrollToItem(list->item(row));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                      list->visualItemRect(list->item(row)).center());
}

inline void ClickRowWithText(ListBox* list, const QString& text) {
    const auto found = list->findItems(text, Qt::MatchExactly);
    ASSERT_EQ(found.size(), 1) << text.toStdString();
    ClickRow(list, list->row(found.first()));
}

} // namespace qarlo::test
