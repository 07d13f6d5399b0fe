#include "KeyNav.h"

#include <QAbstractButton>
#include <QKeyEvent>
#include <QLineEdit>
#include <QWidget>

namespace {

bool reachable(const QWidget *w) {
    return w->isVisibleTo(w->window()) && w->isEnabled();
}

}  // namespace

KeyNav::KeyNav(QObject *parent) : QObject(parent) {}

void KeyNav::add(QWidget *control, QHash<int, Rule> rules) {
    if (!rules_.contains(control)) {
        order_.append(control);
        control->installEventFilter(this);
    }
    rules_.insert(control, std::move(rules));
}

KeyNav &KeyNav::field(QWidget *control) {
    add(control, {{Qt::Key_Return, Action::Next},
                  {Qt::Key_Down, Action::Next},
                  {Qt::Key_Up, Action::Prev},
                  {Qt::Key_Left, Action::Pass},
                  {Qt::Key_Right, Action::Pass}});
    return *this;
}

KeyNav &KeyNav::button(QAbstractButton *control) {
    add(control, {{Qt::Key_Return, Action::Click},
                  {Qt::Key_Left, Action::Prev},
                  {Qt::Key_Up, Action::Prev},
                  {Qt::Key_Right, Action::Next},
                  {Qt::Key_Down, Action::Next}});
    return *this;
}

KeyNav &KeyNav::on(QWidget *control, std::initializer_list<int> keys, Action action) {
    if (!rules_.contains(control)) control->installEventFilter(this);
    for (int key : keys) rules_[control].insert(key, action);
    return *this;
}

KeyNav &KeyNav::on(QWidget *control, std::initializer_list<int> keys, Target target) {
    if (!rules_.contains(control)) control->installEventFilter(this);
    for (int key : keys) rules_[control].insert(key, target);
    return *this;
}

QWidget *KeyNav::next(QWidget *from) const {
    const qsizetype start = order_.indexOf(from);
    for (qsizetype step = 1; step < order_.size(); ++step) {
        QWidget *candidate = order_[(start + step) % order_.size()];
        if (reachable(candidate)) return candidate;
    }
    return nullptr;
}

QWidget *KeyNav::previous(QWidget *from) const {
    const qsizetype start = order_.indexOf(from);
    for (qsizetype step = 1; step < order_.size(); ++step) {
        const qsizetype at = start - step;
        // Up in a window's first field goes nowhere; button-only windows are cyclic.
        if (at < 0 && !qobject_cast<QAbstractButton *>(order_.first())) return nullptr;
        QWidget *candidate = order_[(at + order_.size()) % order_.size()];
        if (reachable(candidate)) return candidate;
    }
    return nullptr;
}

bool KeyNav::eventFilter(QObject *watched, QEvent *event) {
    if (event->type() != QEvent::KeyPress) return false;
    int key = static_cast<QKeyEvent *>(event)->key();
    if (key == Qt::Key_Enter) key = Qt::Key_Return;
    const auto rules = rules_.value(watched);
    const auto found = rules.constFind(key);
    if (found == rules.constEnd()) return false;

    auto *control = static_cast<QWidget *>(watched);
    QWidget *target = nullptr;
    if (const Target *fn = std::get_if<Target>(&*found)) {
        target = (*fn)();
    } else {
        switch (std::get<Action>(*found)) {
            case Action::Pass:
                return false;
            case Action::Click:
                if (auto *b = qobject_cast<QAbstractButton *>(control)) b->click();
                return true;
            case Action::Next:
                target = next(control);
                break;
            case Action::Prev:
                target = previous(control);
                break;
        }
    }
    if (target) {
        target->setFocus(Qt::OtherFocusReason);
        // Arriving by key, the farmer means to type the field anew, as one does after Tab;
        // a mouse click still places the caret.
        if (auto *edit = qobject_cast<QLineEdit *>(target)) edit->selectAll();
    }
    return true;
}
