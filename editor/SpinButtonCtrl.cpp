#include "SpinButtonCtrl.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QSignalBlocker>
#include <QToolButton>

#include <algorithm>

namespace qarlo {

SpinButtonCtrl::SpinButtonCtrl(QWidget* parent)
    : QWidget(parent), up(new QToolButton(this)), down(new QToolButton(this)) {
    for (QToolButton* b : {up, down}) {
        b->setAutoRepeat(true);
        b->setFocusPolicy(Qt::NoFocus);
        b->setIconSize(QSize(6, 4));
    }
    up->setArrowType(Qt::UpArrow);
    down->setArrowType(Qt::DownArrow);
    up->setObjectName(QStringLiteral("up"));
    down->setObjectName(QStringLiteral("down"));
    connect(up, &QToolButton::clicked, this, [this] { step(1); });
    connect(down, &QToolButton::clicked, this, [this] { step(-1); });
    setFocusPolicy(Qt::NoFocus);
}

void SpinButtonCtrl::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    const int h = height();
    const int top = h / 2;
    up->setGeometry(0, 0, width(), top);
    down->setGeometry(0, top, width(), h - top);
}

void SpinButtonCtrl::SetBuddy(QLineEdit* edit, Align align) {
    if (buddy) buddy->removeEventFilter(this);
    buddy = edit;
    if (!buddy) return;
    buddy->installEventFilter(this);
    showPos();
    if (align == Align::Right && buddy->parentWidget() == parentWidget()) {
        QRect narrowed = buddy->geometry();
        narrowed.setWidth(std::max(0, narrowed.width() - width()));
        buddy->setGeometry(narrowed);
        setGeometry(narrowed.right() + 1, narrowed.top(), width(), narrowed.height());
    }
}

void SpinButtonCtrl::SetRange(int lower, int upper) {
    low = std::min(lower, upper);
    high = std::max(lower, upper);
    SetPos(position);
}

void SpinButtonCtrl::SetPos(int pos) {
    position = std::clamp(pos, low, high);
    showPos();
}

void SpinButtonCtrl::showPos() {
    if (!buddy) return;
    const QString text = QString::number(position);
    if (buddy->text() != text) {
        const QSignalBlocker block(buddy);
        buddy->setText(text);
    }
}

void SpinButtonCtrl::step(int delta) {
    int result = 0;
    emit deltaPos(delta, &result);
    if (result != 0) return;
    // Summed in 64 bits so no step can overflow before it is brought into the range.
    const long long target = std::clamp(static_cast<long long>(position) + delta,
                                        static_cast<long long>(low), static_cast<long long>(high));
    SetPos(static_cast<int>(target));
}

bool SpinButtonCtrl::eventFilter(QObject* watched, QEvent* event) {
    if (watched == buddy && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Up) {
            step(1);
            return true;
        }
        if (key->key() == Qt::Key_Down) {
            step(-1);
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void SpinButtonCtrl::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Up) {
        step(1);
    } else if (event->key() == Qt::Key_Down) {
        step(-1);
    } else {
        QWidget::keyPressEvent(event);
    }
}

} // namespace qarlo
