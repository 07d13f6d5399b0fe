#pragma once

#include <QHash>
#include <QList>
#include <QObject>
#include <functional>
#include <initializer_list>
#include <variant>

class QAbstractButton;
class QWidget;

// Enter and the arrow keys move through a window's controls in one fixed order; Enter
// on a button performs it. Every window hands its order to one KeyNav and states its
// exceptions with on(). Shift, Ctrl and Alt are not looked at. A text field reached by
// a key has its whole text selected, so that typing replaces it.
class KeyNav : public QObject {
    Q_OBJECT
  public:
    enum class Action {
        Next,   // focus to the next visible, enabled control (the order wraps)
        Prev,   // focus to the previous one; from a first field nowhere, from a first button wrap
        Click,  // perform the button exactly as a mouse click would
        Pass,   // leave the key to the control
    };
    using Target = std::function<QWidget *()>;  // nullptr: the focus stays

    explicit KeyNav(QObject *parent);

    // Entry fields and option buttons: Enter or Down next, Up previous, Left/Right pass.
    KeyNav &field(QWidget *control);
    // Buttons: Enter performs, Left or Up previous, Right or Down next.
    KeyNav &button(QAbstractButton *control);
    // Per-window exceptions. Keys are Qt::Key values; Qt::Key_Return stands for both
    // Enter keys. A control not added by field() or button() gets only these rules and
    // stays out of the order.
    KeyNav &on(QWidget *control, std::initializer_list<int> keys, Action action);
    KeyNav &on(QWidget *control, std::initializer_list<int> keys, Target target);

    QWidget *next(QWidget *from) const;
    QWidget *previous(QWidget *from) const;

  protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

  private:
    using Rule = std::variant<Action, Target>;
    void add(QWidget *control, QHash<int, Rule> rules);

    QList<QWidget *> order_;
    QHash<QObject *, QHash<int, Rule>> rules_;
};
