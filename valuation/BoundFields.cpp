#include "BoundFields.h"

#include <QLineEdit>

#include "DataSource.h"

void Binding::prepare(const QList<Field> &fields) {
    for (const Field &f : fields) {
        if (f.kind != Kind::Text) continue;
        f.edit->setMaxLength(32767);  // QLineEdit's default, and its most
        f.edit->setToolTip(QStringLiteral("%1 文字まで").arg(MaxText));
    }
}

void Binding::fill(const QList<Field> &fields, const DataSource &source) {
    for (const Field &f : fields) f.edit->setText(display(source.value(f.column), f.kind));
}

Binding::Collected Binding::collect(const QList<Field> &fields) {
    Collected result;
    for (const Field &f : fields) {
        const auto value = toStored(f.edit->text(), f.kind, f.caption, &result.error);
        if (!value) {
            result.bad = f.edit;
            if (f.kind == Kind::Text) result.fits = fitting(f.edit->text());
            result.values.clear();
            return result;
        }
        result.values.insert(f.column, *value);
    }
    return result;
}

void Binding::markBad(const Collected &in) {
    in.bad->setFocus();
    if (in.fits >= 0) in.bad->setSelection(int(in.fits), int(in.bad->text().size() - in.fits));
}
