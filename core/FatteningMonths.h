#pragma once

#include <QDate>
#include <QtGlobal>

// Calf status codes of the register.
enum Syori : qint16 { Dounyuu = 1, Hiiku = 2, Baikyaku = 3, Sibou = 4 };

// Months of the fiscal (calendar) year in which a calf was fattened: only the month of
// the relevant date counts. An invalid date where the status needs one counts 0.
qint16 FatteningMonths(const QDate &start, const QDate &end, qint16 status);
