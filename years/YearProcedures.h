#pragma once

#include <QString>
#include <optional>

class CurrentYear;
class YearFile;

// The year procedures without their windows: the year switch, the year-end rollover
// and the data clear, each all or nothing. Every function returns true on success and
// otherwise leaves the files, cowdb.inf and the current year as they were, with a
// Japanese message in *error.
namespace YearProcedures {

// The year a year field holds, as it names the file ("8" and "８" give "08"); empty
// with the message to show when the text is no year.
QString typedYear(const QString &text, QString *message);

// The table steps. Each is set-based SQL that runs inside a transaction the caller
// holds on file, so that a rollover or a data clear commits all of them or none.
// Calves whose Kimatu is 0 are dropped; the rest are numbered 1, 2, 3 … in stored
// order, with Kisyu from Kimatu (an empty Kimatu gives an empty Kisyu), I_Kingaku 0,
// and held all the new year: Syori 2 (肥育中), Hiikutuki 12.
bool CarryOverCalves(YearFile &file, QString *error);
// Every expense amount 0 and every item name empty; the feed stocks stay.
bool ClearExpenses(YearFile &file, QString *error);
// Every income amount 0 and every item name empty.
bool ClearIncome(YearFile &file, QString *error);
bool DeleteAllCalves(YearFile &file, QString *error);

// Makes the existing year file fileName current: cowdb.inf and a work window on it.
// The year files are only read. A refusal names the year that stays current: the work
// window's, or current's before there is one (a start-up that opens a given year).
bool switchYear(CurrentYear &year, const QString &fileName, QString *error,
                const QString &current = QString());

// Before the rollover to fileName: how many calves of the current year the valuation
// would change now, worked out as the print window values them (every total read
// again), nothing written. nullopt with the rollover's refusal when it cannot be.
std::optional<qint64> calvesToValue(CurrentYear &year, const QString &fileName, QString *error);
// Values the current year as the print window does before printing, so that the
// rollover to fileName carries fresh closing values; the refusal names fileName.
bool valueCalves(CurrentYear &year, const QString &fileName, QString *error);

// Makes fileName, which must not exist yet, from the current year file: a snapshot
// under a temporary name, CarryOverCalves, ClearExpenses and ClearIncome in one
// transaction, an integrity check and row counts, a sync and the rename; then switches
// to it. The current year file is never written.
bool rollOver(CurrentYear &year, const QString &fileName, QString *error);

// Backs the current year file up and then, in one transaction, deletes every calf and
// clears the ledgers; the work window re-reads its seven sources. A backup that cannot
// be made stops it before anything changes.
bool clearData(CurrentYear &year, QString *error);

}  // namespace YearProcedures
