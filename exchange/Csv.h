#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

// RFC 4180 text as spreadsheet programs in Japan read and write it, through libcsv.
namespace Csv {

// A UTF-8 byte-order mark: without it a Japanese spreadsheet program reads the file as
// Shift_JIS and garbles every name.
QByteArray bom();

// One record, CRLF-terminated; a cell is quoted only when it holds a comma, a quote, a
// line break or blanks at either end.
QByteArray line(const QStringList &cells);

// A text cell as a spreadsheet is to show it: one that begins with =, +, -, @, a tab or
// a CR would be run as a formula, and gets a leading '. So does one that begins with '
// and then one of those or another ', so that readText() gives back exactly the text.
// Never for numbers or dates: "-500" stays a number.
QString textCell(const QString &text);
// The text of a text cell: one leading ' dropped, but only where textCell() adds one. A
// name such as 'abc from a file of an earlier version, which added none, stays.
QString readText(const QString &cell);

// Text of a file in UTF-8 (with or without a byte-order mark) or Shift_JIS (CP932),
// whichever reads without error, in that order; a marked file is UTF-8 only. False with
// a Japanese message when the bytes are not such text. *encoding names what was used.
bool decode(const QByteArray &bytes, QString *text, QString *encoding, QString *error);

struct Record {
    int line;  // the physical line the record starts on, from 1
    QStringList cells;
};

// Every record of the text, blank records (no cell with anything in it) left out.
// False with a Japanese message naming the line when the quoting is broken.
bool parse(const QString &text, QList<Record> *records, QString *error);

}  // namespace Csv
