#include "Frm_Proseed.h"

#include "Fields.h"
#include "Frm_Wk.h"

namespace {

// The record's fields in table order, named as the catalogue names them.
QList<LedgerWindow::Item> items() {
    QList<LedgerWindow::Item> list;
    for (const Fields::Field &f : Fields::proseed()) list.append({f.name, f.caption, f.kind});
    return list;
}

}  // namespace

Frm_Proseed::Frm_Proseed(QWidget *parent)
    : LedgerWindow(QStringLiteral("Frm_Proseed"), QStringLiteral("収入登録"),
                   QStringLiteral("T_Proseed"), items(), 4, parent) {}

void Frm_Proseed::saved() {
    if (Frm_Wk *wk = Frm_Wk::instance()) wk->refresh({Frm_Wk::Data_ProseedCal1});
}

void Frm_Proseed::closing() {
    if (Frm_Wk *wk = Frm_Wk::instance()) wk->refresh({Frm_Wk::Data_ProseedCal1});
}
