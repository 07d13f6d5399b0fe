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

// Messages name the problem in Japanese first; the technical detail from Qt or SQLite,
// when there is one, goes on a last line after "詳細：".
QString withDetail(const QString &text, const QString &detail);
// Adds a line to a message made by withDetail(), keeping the detail last.
QString beforeDetail(const QString &message, const QString &line);

// A file name as a message shows it: a long one is cut in the middle, so that a damaged
// pointer line cannot stretch the box across the screen.
QString fileLabel(const QString &name);

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
