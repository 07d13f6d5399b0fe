#include "MsgBox.h"

#include <QApplication>
#include <QEvent>
#include <QFontMetrics>
#include <QGridLayout>
#include <QMessageBox>
#include <QPushButton>
#include <QQueue>

#include "MsgText.h"

namespace {

bool headless = false;
QQueue<MsgBox::Answer> answers;
QList<MsgBox::Shown> shownBoxes;

// Qt re-activates a window when a message box over it closes. Windows that refill
// their fields on activation must not take that for the user coming back, or a
// refused save would wipe what was typed. Deactivation of the box reaches this
// filter just before the activation of the window below it.
class BoxReturnWatcher : public QObject {
  public:
    bool boxJustClosed = false;
    bool returning = false;

  protected:
    bool eventFilter(QObject *watched, QEvent *event) override {
        if (event->type() == QEvent::WindowDeactivate && qobject_cast<QMessageBox *>(watched)) {
            boxJustClosed = true;
        } else if (event->type() == QEvent::WindowActivate && watched->isWidgetType() &&
                   static_cast<QWidget *>(watched)->isWindow() &&
                   !qobject_cast<QMessageBox *>(watched)) {
            returning = boxJustClosed;
            boxJustClosed = false;
        }
        return false;
    }
};

// Messages composed below the windows arrive here in any program that shows boxes.
[[maybe_unused]] const bool told =
    (MsgText::setTeller([](const QString &text) { MsgBox::show(nullptr, text); }), true);

BoxReturnWatcher *watcher() {
    static BoxReturnWatcher *w = [] {
        auto *created = new BoxReturnWatcher;
        created->setParent(qApp);
        qApp->installEventFilter(created);
        return created;
    }();
    return w;
}

}  // namespace

MsgBox::Answer MsgBox::show(QWidget *parent, const QString &text, const QString &title,
                            Buttons buttons) {
    shownBoxes.append({text, title, buttons});
    if (headless) return answers.isEmpty() ? Answer::Ok : answers.dequeue();

    watcher();
    QMessageBox box(parent);
    box.setWindowTitle(title);
    box.setText(text);
    box.setIcon(QMessageBox::NoIcon);
    if (buttons == Buttons::OkCancel) {
        box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
        box.button(QMessageBox::Cancel)->setText(QStringLiteral("キャンセル"));
        box.setEscapeButton(QMessageBox::Cancel);
    } else {
        box.setStandardButtons(QMessageBox::Ok);
    }
    box.setDefaultButton(QMessageBox::Ok);
    // The frame draws the title within the box's width: a box sized to a short text
    // shows "初期化" as "初…". A box sizes itself to its layout's minimum, so a spacer as
    // wide as the title and the frame's icon and buttons (each about two lines high)
    // widens it.
    if (auto *grid = qobject_cast<QGridLayout *>(box.layout())) {
        QFont titleFont = box.font();
        titleFont.setBold(true);
        const QFontMetrics metrics(titleFont);
        const int width = metrics.horizontalAdvance(title) + 10 * metrics.height();
        grid->addItem(new QSpacerItem(width, 0, QSizePolicy::Fixed, QSizePolicy::Minimum),
                      grid->rowCount(), 0, 1, grid->columnCount());
    }
    return box.exec() == QMessageBox::Ok ? Answer::Ok : Answer::Cancel;
}

bool MsgBox::returningFromBox() {
    return watcher()->returning;
}

void MsgBox::setHeadless(bool on) {
    headless = on;
}
void MsgBox::queueAnswer(Answer answer) {
    answers.enqueue(answer);
}
const QList<MsgBox::Shown> &MsgBox::shown() {
    return shownBoxes;
}
void MsgBox::clearShown() {
    shownBoxes.clear();
}
