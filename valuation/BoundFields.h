#pragma once

#include <QList>
#include <QVariantMap>

#include "Binding.h"

class DataSource;
class QLineEdit;

// The entry fields of a window bound to the record it edits, through the conversions of
// Binding.h.
namespace Binding {

struct Field {
    QString column;   // field of the record
    QLineEdit *edit;  // the visible field the user types into
    Kind kind;
    QString caption;  // names the field in messages
};

// Fills every visible field from the source's current record.
void fill(const QList<Field> &fields, const DataSource &source);

// Readies the visible fields: a text field says its limit in its tooltip and takes any
// length, since QLineEdit would cut a longer paste silently, even inside a character.
void prepare(const QList<Field> &fields);

struct Collected {
    QVariantMap values;        // column -> value to store, when every field converts
    QLineEdit *bad = nullptr;  // otherwise the first field that did not
    QString error;
    qsizetype fits = -1;  // of a text too long: how much of it the field holds
};
// Converts every visible field, in order, without writing anything.
Collected collect(const QList<Field> &fields);

// After the message: puts the caret in the refused field, and selects what of a too long
// text does not fit, so that one key removes it and nothing typed is lost unseen.
void markBad(const Collected &in);

}  // namespace Binding
