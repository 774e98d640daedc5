#include "CAboutDlg.h"
#include "editor/UiText.h"

#include "editor/DialogUnits.h"

#include <QIcon>
#include <QLabel>
#include <QPushButton>

namespace qarlo {

CAboutDlg::CAboutDlg(QWidget* parent) : QDialog(parent) {
    setWindowTitle(UiText("关于 qarlo"));
    setModal(true);
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
    // 宋体 9 pt like the form, and laid out in the form's dialog units.
    setFont(FormFont());
    const DialogUnits dlu(font());

    iconLabel = new QLabel(this);
    iconLabel->setObjectName(QStringLiteral("IDR_MAINFRAME"));
    iconLabel->setPixmap(QIcon(QStringLiteral(":/icons/qarlo-32.png")).pixmap(32, 32));
    iconLabel->setGeometry(dlu.x(11), dlu.y(17), 32, 32);

    versionLabel = new QLabel(UiText("qarlo 1.0 版"), this);
    versionLabel->setObjectName(QStringLiteral("IDC_STATIC_VERSION"));
    versionLabel->setTextFormat(Qt::PlainText);
    versionLabel->setGeometry(dlu.rect(40, 10, 119, 8));

    noteLabel = new QLabel(UiText("16 频道对讲机写频软件"), this);
    noteLabel->setObjectName(QStringLiteral("IDC_STATIC_NOTE"));
    noteLabel->setTextFormat(Qt::PlainText);
    noteLabel->setGeometry(dlu.rect(40, 25, 119, 8));

    okButton = new QPushButton(UiText("确定"), this);
    okButton->setObjectName(QStringLiteral("IDOK"));
    okButton->setDefault(true);
    okButton->setGeometry(dlu.rect(178, 7, 50, 14));
    connect(okButton, &QPushButton::clicked, this, &QDialog::accept);

    setFixedSize(dlu.x(235), dlu.y(55));
}

} // namespace qarlo
