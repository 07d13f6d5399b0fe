#pragma once

#include <QDate>
#include <QString>
#include <optional>
#include <utility>

// Japanese era dates as the farm's papers write them: one era letter, the era year
// without leading zero, then month and day ("H12/4/1", "R8.4.1").
namespace EraDate {

// "ge/m/d" when sep is '/', "ge.m.d" when sep is '.'. A null date gives "".
// Dates before the first era (1868-09-08) are written in the Western form y/m/d.
QString format(const QDate &date, QChar sep = QLatin1Char('/'));
// As a sentence writes it: "令和8年12月31日", "令和元年5月1日"; "" for no date.
QString written(const QDate &date);

// Reads a typed date: the era form (letter M, T, S, H or R in either case, "/" or "."
// between the parts, 元 for the era's first year) or the Western form ("2001/4/1",
// "2001-04-01"). Full-width digits, letters and separators are read like ASCII;
// surrounding blanks are ignored. Anything that is not a real date of that era
// (H13/2/29, H31/5/1, 13th months, trailing text) gives nullopt, never a rolled-over
// date. A real calendar date that its era does not cover (H31/5/1, R1/4/30) also sets
// *outsideEra to a Japanese sentence saying so and naming the era's span.
std::optional<QDate> parse(const QString &text, QString *outsideEra = nullptr);

// The era letter of a date, or a null QChar before 1868-09-08.
QChar eraLetter(const QDate &date);

// The era year of a date (1 for the era's first year), or 0 before 1868-09-08.
int eraYear(const QDate &date);

// One year of an era, as the farmer names it: "平成31", "令和元", "令和2".
struct EraYear {
    int era = 0;      // the era's place in time, 0 for 明治
    int year = 0;     // 1 for the era's first year
    int western = 0;  // the Western year it falls in
    QString name() const;
    // In time; 平成31 and 令和元 share 2019, and 平成31 comes first.
    bool operator<(const EraYear &other) const {
        return std::pair(western, era) < std::pair(other.western, other.era);
    }
};

// The year that the digits of a year file's name stand for. The digits do not say their
// era: 01 is 平成元 or 令和元. The reading whose Western year is nearest the latest date
// the file holds wins; a file holding no date (latest null) takes the newest reading
// that is not after today. nullopt when no era has such a year (0).
std::optional<EraYear> yearOfDigits(int digits, const QDate &latest, const QDate &today);

}  // namespace EraDate
