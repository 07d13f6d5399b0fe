#include "EraDate.h"

#include <QList>
#include <QRegularExpression>
#include <algorithm>
#include <array>
#include <cstdlib>

namespace {

// The era form reads at most three digits of era year.
constexpr int MaxEraYear = 999;

struct Era {
    char letter;
    QDate start;  // first day of the era, Gregorian
    const char16_t *name;
};

// Meiji starts where ICU's Japanese calendar starts it, so both name every day alike. Japan used
// the Gregorian calendar only from 1873, so the first Meiji years merely need to be consistent.
const std::array<Era, 5> &eras() {
    static const std::array<Era, 5> table = {{
        {'M', QDate(1868, 9, 8), u"明治"},
        {'T', QDate(1912, 7, 30), u"大正"},
        {'S', QDate(1926, 12, 25), u"昭和"},
        {'H', QDate(1989, 1, 8), u"平成"},
        {'R', QDate(2019, 5, 1), u"令和"},
    }};
    return table;
}

// Index into eras() of the era containing date, or -1 before the first era.
int eraIndex(const QDate &date) {
    if (!date.isValid()) return -1;
    const auto &table = eras();
    for (int i = int(table.size()) - 1; i >= 0; --i) {
        if (date >= table[i].start) return i;
    }
    return -1;
}

// The era's end is the day before the next era starts; the last era has no end yet.
bool withinEra(int index, const QDate &date) {
    const auto &table = eras();
    if (date < table[index].start) return false;
    return index + 1 >= int(table.size()) || date < table[index + 1].start;
}

QString japanese(const QDate &date) {
    return QStringLiteral("%1年%2月%3日").arg(date.year()).arg(date.month()).arg(date.day());
}

// Names the era's span, so that the farmer sees which era the date belongs to instead.
QString outside(int index, int year, int month, int day) {
    const auto &table = eras();
    const QString name = QString::fromUtf16(table[index].name);
    QString span = QStringLiteral("%1は%2から").arg(name, japanese(table[index].start));
    if (index + 1 < int(table.size()))
        span += QStringLiteral("%1まで").arg(japanese(table[index + 1].start.addDays(-1)));
    return QStringLiteral("%1%2年%3月%4日は%1の期間外です（%5です）。")
        .arg(name)
        .arg(year)
        .arg(month)
        .arg(day)
        .arg(span);
}

}  // namespace

namespace EraDate {

QString format(const QDate &date, QChar sep) {
    if (!date.isValid()) return QString();
    const int index = eraIndex(date);
    const QString tail = sep + QString::number(date.month()) + sep + QString::number(date.day());
    if (index < 0) return QString::number(date.year()) + tail;
    return QLatin1Char(eras()[index].letter) + QString::number(eraYear(date)) + tail;
}

std::optional<QDate> parse(const QString &text, QString *outsideEra) {
    // [0-9] rather than \d: \d would also take digits of other scripts that NFKC leaves alone.
    static const QRegularExpression eraForm(QRegularExpression::anchoredPattern(
        QStringLiteral("([MTSHRmtshr])([0-9]{1,3}|元)[/.]([0-9]{1,2})[/.]([0-9]{1,2})")));
    static const QRegularExpression westernForm(QRegularExpression::anchoredPattern(
        QStringLiteral("([0-9]{4})([/-])([0-9]{1,2})\\2([0-9]{1,2})")));

    const QString input = text.normalized(QString::NormalizationForm_KC).trimmed();
    if (input.isEmpty()) return std::nullopt;

    if (const auto m = eraForm.match(input); m.hasMatch()) {
        const char letter = m.captured(1).at(0).toUpper().toLatin1();
        // 元 names the first year of an era, as written on papers ("R元/5/1").
        const int year = m.captured(2) == u"元" ? 1 : m.captured(2).toInt();
        if (year < 1) return std::nullopt;
        const auto &table = eras();
        for (int i = 0; i < int(table.size()); ++i) {
            if (table[i].letter != letter) continue;
            const QDate date(table[i].start.year() + year - 1, m.captured(3).toInt(),
                             m.captured(4).toInt());
            if (!date.isValid()) return std::nullopt;
            if (!withinEra(i, date)) {
                if (outsideEra) *outsideEra = outside(i, year, date.month(), date.day());
                return std::nullopt;
            }
            return date;
        }
        return std::nullopt;
    }

    if (const auto m = westernForm.match(input); m.hasMatch()) {
        const QDate date(m.captured(1).toInt(), m.captured(3).toInt(), m.captured(4).toInt());
        // A date its era form cannot show (after R999) would not read back once shown.
        if (!date.isValid() || date < eras().front().start || eraYear(date) > MaxEraYear)
            return std::nullopt;
        return date;
    }
    return std::nullopt;
}

QChar eraLetter(const QDate &date) {
    const int index = eraIndex(date);
    return index < 0 ? QChar() : QChar(QLatin1Char(eras()[index].letter));
}

int eraYear(const QDate &date) {
    const int index = eraIndex(date);
    return index < 0 ? 0 : date.year() - eras()[index].start.year() + 1;
}

QString written(const QDate &date) {
    if (!date.isValid()) return {};
    const int index = eraIndex(date);
    if (index < 0) return japanese(date);
    return QStringLiteral("%1年%2月%3日")
        .arg(EraYear{index, eraYear(date), date.year()}.name())
        .arg(date.month())
        .arg(date.day());
}

QString EraYear::name() const {
    return QString::fromUtf16(eras()[era].name) +
           (year == 1 ? QStringLiteral("元") : QString::number(year));
}

std::optional<EraYear> yearOfDigits(int digits, const QDate &latest, const QDate &today) {
    const auto &table = eras();
    QList<EraYear> readings;
    for (int i = 0; i < int(table.size()); ++i) {
        const int western = table[i].start.year() + digits - 1;
        // An era's last year is the one the next era starts in (平成31 is 2019).
        const bool within = i + 1 == int(table.size()) || western <= table[i + 1].start.year();
        if (digits >= 1 && within) readings.append({i, digits, western});
    }
    if (readings.isEmpty()) return std::nullopt;
    if (latest.isValid()) {
        // Readings lie decades apart: the file's dates are near its own year, whichever
        // calves it still holds from earlier ones.
        return *std::min_element(readings.begin(), readings.end(), [&](auto &a, auto &b) {
            return std::abs(a.western - latest.year()) < std::abs(b.western - latest.year());
        });
    }
    for (auto r = readings.rbegin(); r != readings.rend(); ++r)
        if (r->western <= today.year()) return *r;
    return readings.first();
}

}  // namespace EraDate
