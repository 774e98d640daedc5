// The frame on a real X server under a window manager (run by under_window_manager.sh): with its
// title bar and borders inside the screen's available area, the form scrolled only along a side
// the screen is too short for.
#include "AppFixture.h"

#include <QGuiApplication>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QTest>

#include <algorithm>
#include <iostream>

namespace qarlo::test {
namespace {

using UnderWindowManager = AppFixture;

TEST_F(UnderWindowManager, FrameFitsTheAvailableAreaAndScrollsOnlyWhereItMust) {
    ASSERT_EQ(QGuiApplication::platformName(), "xcb");
    ASSERT_TRUE(Start());
    CMainFrame& f = frame();
    // Decorated by the window manager, then fitted once more with them counted.
    EXPECT_TRUE(QTest::qWaitFor([&] { return f.frameGeometry().top() < f.geometry().top(); }));
    // Under load the fit may come late: wait until the frame has stayed put for half a second.
    for (int look = 0; look < 30; ++look) {
        const QRect before = f.frameGeometry();
        QTest::qWait(500);
        if (f.frameGeometry() == before) break;
    }
    const QScreen* screen = f.screen();
    const QRect avail = screen->availableGeometry();
    const int panel = qEnvironmentVariableIntValue("QARLO_FIT_PANEL");
    // The panel's room is kept free, in the screen's own pixels.
    EXPECT_NEAR((screen->geometry().height() - avail.height()) * screen->devicePixelRatio(), panel,
                1.0);
    EXPECT_TRUE(avail.contains(f.frameGeometry()))
        << f.frameGeometry().x() << "," << f.frameGeometry().y() << " " << f.frameGeometry().width()
        << "x" << f.frameGeometry().height() << " in " << avail.width() << "x" << avail.height();

    const auto* scroller = static_cast<const QScrollArea*>(f.centralWidget());
    const QSize form = view().size();
    const QSize shown = scroller->viewport()->size();
    const QSize decorations = f.frameGeometry().size() - f.size();
    const QSize chrome = f.size() - scroller->size();
    const QSize needed = form + chrome + decorations;
    std::cout << "screen " << screen->geometry().width() << "x" << screen->geometry().height()
              << " at " << screen->devicePixelRatio() << ": frame " << f.frameGeometry().width()
              << "x" << f.frameGeometry().height() << ", needs " << needed.width() << "x"
              << needed.height() << ", available " << avail.width() << "x" << avail.height()
              << "\n";
    // A side with room shows the whole form and no bar; a side without room fills the screen. The
    // form gives up blank below its controls, never a control; a HiDPI screen has room for all.
    const bool wide = needed.width() <= avail.width(), tall = needed.height() <= avail.height();
    EXPECT_GE(form.height(), view().childrenRect().bottom() + 1);
    if (screen->devicePixelRatio() > 1) {
        EXPECT_TRUE(wide && tall);
    }
    EXPECT_EQ(scroller->horizontalScrollBar()->isVisible(), !wide);
    EXPECT_EQ(scroller->verticalScrollBar()->isVisible(), !tall);
    if (wide && tall) {
        EXPECT_EQ(shown, form);
    }
    if (!tall) {
        EXPECT_EQ(f.frameGeometry().height(), avail.height());
    }
    // Every part of the form can be scrolled to.
    EXPECT_EQ(scroller->verticalScrollBar()->maximum(),
              std::max(0, form.height() - shown.height()));
}

} // namespace
} // namespace qarlo::test
