#pragma once

#include <QList>
#include <QString>
#include <QVariant>
#include <QVariantMap>
#include <optional>

class DataSource;
class QLineEdit;

// How a visible entry field stands for a stored field: the one conversion between
// what the user reads and types and what the year file holds.
namespace Binding {

enum class Kind {
    Text,    // as typed; empty is stored empty
    Count,   // 16-bit whole number, shown plain
    Amount,  // whole yen, shown "#,##0"
    Date,    // ISO text in the file, shown "ge/m/d"
};

struct Field {
    QString column;   // field of the record
    QLineEdit *edit;  // the visible field the user types into
    Kind kind;
    QString caption;  // names the field in messages
};

// The visible text of a stored value; dates use dateSep ("H13/4/1" or, in grids and
// reports, "H13.4.1").
QString display(const QVariant &stored, Kind kind, QChar dateSep = QLatin1Char('/'));

// The text on one line: every line break and tab becomes a space (a CR LF pair one
// space). Names are printed in one-line boxes, and a break would spill into the next row.
QString oneLine(QString text);

// The value to store for a typed text (texts on one line): null for empty text, nullopt when the
// text is not of its kind (then *error is a Japanese message naming the caption).
std::optional<QVariant> toStored(const QString &typed, Kind kind, const QString &caption,
                                 QString *error);

// Fills every visible field from the source's current record.
void fill(const QList<Field> &fields, const DataSource &source);

struct Collected {
    QVariantMap values;        // column -> value to store, when every field converts
    QLineEdit *bad = nullptr;  // otherwise the first field that did not
    QString error;
};
// Converts every visible field, in order, without writing anything.
Collected collect(const QList<Field> &fields);

}  // namespace Binding
