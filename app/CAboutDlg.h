#pragma once
// The about box "关于 qarlo": the icon, the version line, one more line and "确定".
#include <QDialog>

class QLabel;
class QPushButton;

namespace qarlo {

class CAboutDlg : public QDialog {
    Q_OBJECT
public:
    explicit CAboutDlg(QWidget* parent = nullptr);

    QLabel* iconLabel = nullptr;
    QLabel* versionLabel = nullptr;
    QLabel* noteLabel = nullptr;
    QPushButton* okButton = nullptr;
};

} // namespace qarlo
