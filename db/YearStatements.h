#pragma once

#include <QString>

class YearFile;

// The statements of the year's end and of the data clear, each set-based and run inside a
// transaction the caller holds on file, so that a rollover or a data clear commits all of
// them or none. A failure's message says which step failed and, when the farmer can do
// something about it, why (a full disk, a folder that cannot be written).
namespace YearStatements {

// Calves whose Kimatu is 0 are dropped; the rest are numbered 1, 2, 3 … in stored order,
// with Kisyu from Kimatu (an empty Kimatu gives an empty Kisyu), I_Kingaku 0, and held all
// the new year: Syori 2 (肥育中), Hiikutuki 12.
bool carryOverCalves(YearFile &file, QString *error);
// Every expense amount 0 and every item name empty; the feed stocks stay.
bool clearExpenses(YearFile &file, QString *error);
// Every income amount 0 and every item name empty.
bool clearIncome(YearFile &file, QString *error);
bool deleteAllCalves(YearFile &file, QString *error);

}  // namespace YearStatements
