#pragma once
// While a transfer runs, the message pane shows its step and bytes ("正在写入对讲机… 64/256")
// and a bar in the status bar fills; at its end the pane returns to "就绪" and the bar hides.
#include <QObject>
#include <QString>

class QProgressBar;
class QStatusBar;

namespace qarlo {

class RadioLink;

class TransferProgress : public QObject {
    Q_OBJECT
public:
    TransferProgress(QStatusBar& statusBar, RadioLink& link, QObject* parent = nullptr);

private:
    QStatusBar& bar;
    QProgressBar* meter;
    QString shown; // the pane's text while a transfer runs
};

} // namespace qarlo
