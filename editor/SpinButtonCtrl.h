#pragma once
// An up-down control: two arrow buttons that step an integer position within a range and write
// it into a buddy edit. Before every user step it announces the step through deltaPos(); a
// handler that sets *result to non-zero stops the move. Positions set by the program announce
// nothing.
#include <QWidget>

class QLineEdit;
class QToolButton;

namespace qarlo {

class SpinButtonCtrl : public QWidget {
    Q_OBJECT
public:
    explicit SpinButtonCtrl(QWidget* parent = nullptr);

    enum class Align { None, Right };
    // The buddy shows the position; the arrow keys in it step the control. Aligned right, the
    // control moves to the buddy's right edge, takes the buddy's height, and the buddy gives up
    // the control's width: the arrows sit inside the edit's right end, as one control.
    void SetBuddy(QLineEdit* edit, Align align = Align::None);
    void SetRange(int lower, int upper);
    int lower() const { return low; }
    int upper() const { return high; }
    // Positions outside the range are brought to its nearer end.
    void SetPos(int pos);
    int GetPos() const { return position; }

    QToolButton* upButton() const { return up; }
    QToolButton* downButton() const { return down; }

    // A user step by `delta`, as from an arrow button or an arrow key.
    void step(int delta);

signals:
    // Sent before the position moves, with the position still the old one.
    void deltaPos(int delta, int* result);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void showPos();

    QToolButton* up;
    QToolButton* down;
    QLineEdit* buddy = nullptr;
    int low = 0;
    int high = 100;
    int position = 0;
};

} // namespace qarlo
