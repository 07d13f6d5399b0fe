#pragma once

#include <QDate>
#include <QList>
#include <QSet>
#include <QString>
#include <QVariant>
#include <QVariantList>
#include <QVariantMap>
#include <functional>
#include <optional>
#include <vector>

#include "Fields.h"

class YearFile;

// T_Cow beyond the record binding: the register read and written whole, by what its
// callers need. Messages are Japanese and name the file.
namespace Calves {

// How many calves the year holds, and the latest date any of them holds (null when none).
struct Summary {
    qint64 heads = 0;
    QDate latest;
};
std::optional<Summary> summary(const YearFile &file, QString *error);

// The calves in stored order, a row at a time, forward only, so that no more than the row
// at hand is held: the values of columns, in their order, null when empty. A column an
// earlier version's file lacks reads empty. Nothing stays open once it returns.
using Columns = QList<const Fields::Field *>;
bool each(const YearFile &file, const Columns &columns,
          const std::function<void(const QVariantList &row)> &row, QString *error);
// Whether each could read them, without reading a row.
bool readable(const YearFile &file, const Columns &columns, QString *error);

// The calf numbers the register holds.
bool numbers(const YearFile &file, QSet<int> *numbers, QString *error);

// Called now and then with how many of total calves are done.
using Progress = std::function<void(qint64 done, qint64 total)>;
// Adds calves brought in from a file (field name -> value, every field with a CSV column)
// in one transaction: all of them, or none when anything fails.
bool import(YearFile &file, const QList<QVariantMap> &calves, QString *error,
            const Progress &progress);

// The valuation at a cost per head and month, inside a transaction the caller holds. A
// calf's fattening amount is its months times the cost; its closing value and month marks
// follow its status (FatteningMonths.h), as SetMonthMark says them.
//
// *beyond: the No of the first calf, in stored order, whose values would leave the 32-bit
// range; nullopt when none would. False when the register cannot be read.
bool firstBeyondRange(const YearFile &file, qint64 perHeadMonth, std::optional<QVariant> *beyond,
                      QString *error);
// Writes the values of the rows they change; says nothing to the file's follower, the
// valuation's caller reading the totals again itself.
bool value(YearFile &file, qint64 perHeadMonth, QString *error);
// How many rows value would change; nothing is written.
std::optional<qint64> stale(const YearFile &file, qint64 perHeadMonth, QString *error);

// A calf of status 売却 with its sale fields.
struct Sold {
    qint64 rowid = 0;
    int no = 0;
    QString name;
    QDate bought, sold;  // I_Date, O_Date
    qint64 cost = 0;     // Kisyu + I_Kingaku + HiikuKingaku, an empty one counting 0
    QVariantList sale;   // by Fields::Sale; null when not entered
};
// Every sold calf in stored order; a file of a version before some sale fields shows them
// empty.
bool sold(const YearFile &file, std::vector<Sold> *calves, QString *error);
// Writes one calf's sale fields (by Fields::Sale, null for empty) in one transaction.
bool saveSale(YearFile &file, qint64 rowid, const QVariantList &sale, QString *error);

}  // namespace Calves
