// The yardstick for qarlo's start-up: a plain Qt main window with qarlo's menu titles, a toolbar
// and a status bar, whose centre shows the form's Chinese texts in the form's font at the form's
// size, so loading the CJK font counts on both sides and the ratio is Qarlo's own work. It
// reports the moment it is painted and its peak memory the same way qarlo does.
#include "ReportShown.h"

#include "editor/CQarloView.h"
#include "editor/DialogUnits.h"

#include <QApplication>
#include <QLabel>
#include <QMainWindow>
#include <QMenuBar>
#include <QScreen>
#include <QScrollArea>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>

namespace {
const char* const MenuTitles[] = {"文件(&F)", "查看(&V)", "串口选择(&S)", "操作选择(&O)",
                                  "帮助(&H)"};
// Every caption of the form and a channel name: the glyphs qarlo draws at start-up.
const char* const FormTexts =
    "整机设置  频  段  到  MHz  TOT限时  分  频道功能  频道宽/窄  静噪等级  级\n"
    "频道选择  已设置频道  01频道  02频道  03频道  16频道\n"
    "接收  频    率  编码类型  (QT/DQT)  编码表  复制到==>  复制到<==\n"
    "发射  频   率  编码类型  (QT/DQT)  编码表  25KHz  12.5KHz  无  QT  DQT";
} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QMainWindow window;
    for (const char* title : MenuTitles)
        window.menuBar()->addMenu(QString::fromUtf8(title))->addAction(QStringLiteral("-"));
    window.addToolBar(QStringLiteral("Tools"))->addAction(QStringLiteral("New"));
    auto* form = new QLabel(QString::fromUtf8(FormTexts));
    form->setFont(qarlo::FormFont());
    form->setAlignment(Qt::AlignCenter);
    form->setFixedSize(
        qarlo::DialogUnits(form->font()).size(qarlo::FORM_WIDTH_DU, qarlo::FORM_HEIGHT_DU));
    auto* scroller = new QScrollArea(&window);
    scroller->setWidget(form);
    window.setCentralWidget(scroller);
    window.statusBar()->showMessage(QStringLiteral("就绪"));
    window.resize(window.sizeHint().boundedTo(window.screen()->availableSize()));
    window.show();
    window.repaint();
    QTimer::singleShot(0, &window, [] {
        ReportShown();
        QApplication::exit(0);
    });
    return app.exec();
}
