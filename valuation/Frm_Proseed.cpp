#include "Frm_Proseed.h"

#include "Fields.h"

Frm_Proseed::Frm_Proseed(CurrentYear &year, QWidget *parent)
    : LedgerWindow(year, QStringLiteral("Frm_Proseed"), QStringLiteral("収入登録"),
                   QStringLiteral("T_Proseed"), Fields::proseed(), 4, parent) {}
