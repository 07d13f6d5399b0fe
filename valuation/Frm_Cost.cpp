#include "Frm_Cost.h"

#include <QLineEdit>

#include "Fields.h"
#include "Frm_Wk.h"
#include "YearFile.h"

using Binding::Kind;

namespace {

// The record's fields in table order, named as the catalogue names them.
QList<LedgerWindow::Item> items() {
    QList<LedgerWindow::Item> list;
    for (const Fields::Field &f : Fields::cost()) list.append({f.name, f.caption, f.kind});
    return list;
}

}  // namespace

Frm_Cost::Frm_Cost(QWidget *parent)
    : LedgerWindow(QStringLiteral("Frm_Cost"), QStringLiteral("経費登録"), QStringLiteral("T_Cost"),
                   items(), 10, parent) {}

void Frm_Cost::filled() {
    // The fee is the one the work totals subtract from the year's expenses, so the
    // record is saved with that figure rather than with whatever it held before. The
    // totals are the current year's: a window left open on an earlier year keeps the
    // fee of its own file, or saving would carry the new year's fee into the old one.
    const Frm_Wk *wk = Frm_Wk::instance();
    if (wk && wk->file()->fileName() == fileName())
        field(QStringLiteral("Nidukuri"))->setText(Binding::display(wk->t_Tesuu, Kind::Amount));
}

void Frm_Cost::saved() {
    if (Frm_Wk *wk = Frm_Wk::instance())
        wk->refresh({Frm_Wk::Data_Cost_Ikusei, Frm_Wk::Data_Cost_Konsiryou,
                     Frm_Wk::Data_Cost_Zensiryou, Frm_Wk::Data_Cost2, Frm_Wk::Data_CostCal,
                     Frm_Wk::Data_CowCal1});
}

void Frm_Cost::closing() {
    if (Frm_Wk *wk = Frm_Wk::instance()) wk->refresh({Frm_Wk::Data_CostCal, Frm_Wk::Data_Cost2});
}
