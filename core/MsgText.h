#pragma once

#include <QString>

// The texts of messages, without the box that shows them: the year files and their
// procedures compose what went wrong below the windows, which show it.
namespace MsgText {

// Messages name the problem in Japanese first; the technical detail from Qt or SQLite,
// when there is one, goes on a last line after "詳細：".
QString withDetail(const QString &text, const QString &detail);
// Adds a line to a message made by withDetail(), keeping the detail last.
QString beforeDetail(const QString &message, const QString &line);

// A file name as a message shows it: a long one is cut in the middle, so that a damaged
// pointer line cannot stretch the box across the screen.
QString fileLabel(const QString &name);

// Tells the user something no window asked about (a day's backup that could not be made):
// shown as a message box once the program's boxes are linked in, else logged.
void tell(const QString &text);
// The message box module hands itself here when the program starts.
void setTeller(void (*teller)(const QString &text));

}  // namespace MsgText
