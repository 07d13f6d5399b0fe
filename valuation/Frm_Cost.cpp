#include "Frm_Cost.h"

#include <QLineEdit>

#include "CurrentYear.h"
#include "Fields.h"
#include "YearFile.h"

using Binding::Kind;

Frm_Cost::Frm_Cost(CurrentYear &year, QWidget *parent)
    : LedgerWindow(year, QStringLiteral("Frm_Cost"), QStringLiteral("経費登録"),
                   QStringLiteral("T_Cost"), Fields::cost(), 10, parent) {}

void Frm_Cost::filled() {
    // The fee is the one the work totals subtract from the year's expenses, so the
    // record is saved with that figure rather than with whatever it held before. The
    // totals are the current year's: a window left open on an earlier year keeps the
    // fee of its own file, or saving would carry the new year's fee into the old one.
    const Frm_Wk *wk = year_.wk();
    if (wk && wk->file()->fileName() == fileName())
        field(QStringLiteral("Nidukuri"))->setText(Binding::display(wk->t_Tesuu, Kind::Amount));
}
