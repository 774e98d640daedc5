#include "SpinButtonCtrl.h"
#include "editor/UiText.h"

#include <QAccessibleWidget>
#include <QKeyEvent>
#include <QLineEdit>
#include <QSignalBlocker>
#include <QToolButton>

#include <algorithm>

namespace qarlo {

namespace {

// What a screen reader learns of the control: a spin box with its position and range, which it
// may also set, as a user's step.
class SpinAccessible : public QAccessibleWidget, public QAccessibleValueInterface {
public:
    explicit SpinAccessible(SpinButtonCtrl* spin) : QAccessibleWidget(spin, QAccessible::SpinBox) {}

    void* interface_cast(QAccessible::InterfaceType type) override {
        if (type == QAccessible::ValueInterface)
            return static_cast<QAccessibleValueInterface*>(this);
        return QAccessibleWidget::interface_cast(type);
    }
    QString text(QAccessible::Text t) const override {
        if (t == QAccessible::Value) return QString::number(spin()->GetPos());
        return QAccessibleWidget::text(t);
    }
    QVariant currentValue() const override { return spin()->GetPos(); }
    void setCurrentValue(const QVariant& value) override {
        bool ok = false;
        const int wanted = value.toInt(&ok);
        if (ok) spin()->step(wanted - spin()->GetPos());
    }
    QVariant maximumValue() const override { return spin()->upper(); }
    QVariant minimumValue() const override { return spin()->lower(); }
    QVariant minimumStepSize() const override { return 1; }

private:
    SpinButtonCtrl* spin() const { return static_cast<SpinButtonCtrl*>(widget()); }
};

QAccessibleInterface* MakeSpinAccessible(const QString& className, QObject* object) {
    if (className != QLatin1String("qarlo::SpinButtonCtrl") || !object->isWidgetType())
        return nullptr;
    return new SpinAccessible(static_cast<SpinButtonCtrl*>(object));
}

} // namespace

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
    up->setAccessibleName(UiText("增大"));
    down->setAccessibleName(UiText("减小"));
    static const bool factoryInstalled = (QAccessible::installFactory(MakeSpinAccessible), true);
    Q_UNUSED(factoryInstalled);
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
    const int before = position;
    position = std::clamp(pos, low, high);
    showPos();
    if (position != before && QAccessible::isActive()) {
        QAccessibleValueChangeEvent event(this, position);
        QAccessible::updateAccessibility(&event);
    }
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
