#pragma once

#include <QString>
#include <QVariant>
#include <optional>

// How a visible entry field stands for a stored field: the one conversion between
// what the user reads and types and what the year file holds. The fields themselves
// are bound where the windows are (BoundFields.h).
namespace Binding {

enum class Kind {
    Text,    // as typed; empty is stored empty
    Count,   // 16-bit whole number, shown plain
    Amount,  // whole yen, shown "#,##0"
    Date,    // ISO text in the file, shown "ge/m/d"
    Price,   // a price paid or received: whole yen from 1, shown as an amount
};

// The visible text of a stored value; dates use dateSep ("H13/4/1" or, in grids and
// reports, "H13.4.1").
QString display(const QVariant &stored, Kind kind, QChar dateSep = QLatin1Char('/'));

// The text on one line: every line break and tab becomes a space (a CR LF pair one
// space). Names are printed in one-line boxes, and a break would spill into the next row.
QString oneLine(QString text);

// The most characters a stored text holds, counted as the year file's CHECK counts them
// (code points): every text column of the schema has this limit.
constexpr int MaxText = 255;

// A text as it is stored and shown: on one line, without the characters that make a name
// read other than it is stored (direction overrides and marks, zero-width spaces, other
// invisible format and control characters) and without half a surrogate pair, which
// SQLite would store as bytes that are not UTF-8. Joiners stay: emoji are built with them.
QString plainText(const QString &text);

// How much of typed (in QString units) fits in maxChars characters of plain text, ending
// between two characters as the reader sees them: never inside a surrogate pair or
// between a letter and its combining marks.
qsizetype fitting(const QString &typed, int maxChars = MaxText);

// The start of a text quoted in a message: plain, trimmed, at most maxChars characters.
QString excerpt(const QString &text, int maxChars = 40);

// The value to store for a typed text (texts as plainText): null for empty text, nullopt when
// the text is not of its kind or longer than MaxText (then *error is a Japanese message
// naming the caption).
std::optional<QVariant> toStored(const QString &typed, Kind kind, const QString &caption,
                                 QString *error);

}  // namespace Binding
