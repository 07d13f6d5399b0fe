#pragma once

#include <QList>
#include <QString>

class QWidget;

// The one way the program speaks to the user: a Japanese text, a title and OK or
// OK/Cancel. Tests queue the answer to the next box instead of running its modal loop.
namespace MsgBox {

enum class Buttons { Ok, OkCancel };
enum class Answer { Ok, Cancel };

Answer show(QWidget *parent, const QString &text, const QString &title = QStringLiteral("Moriva"),
            Buttons buttons = Buttons::Ok);

// A window that refills its fields when it becomes active asks this in its activation
// handler: true when the activation only means one of our message boxes closed over it.
bool returningFromBox();

// --- test seam ---
struct Shown {
    QString text;
    QString title;
    Buttons buttons;
};
// From now on no box is shown: each takes the next queued answer, or OK when none is.
void setHeadless(bool on);
void queueAnswer(Answer answer);
// Every box asked for since the last clearShown(), oldest first.
const QList<Shown> &shown();
void clearShown();

}  // namespace MsgBox
