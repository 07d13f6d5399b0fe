#include "Calves.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QStringList>
#include <algorithm>

#include "Checkpoint.h"
#include "FatteningMonths.h"
#include "YearFile.h"

namespace Calves {

namespace {

QDate dateOf(const QVariant &stored) {
    return stored.isNull() ? QDate() : QDate::fromString(stored.toString(), Qt::ISODate);
}

// The columns as a select list. A file of an earlier version, opened only to be read, lacks
// the columns added since: they read as empty.
QString selectList(const YearFile &file, const Columns &columns) {
    QStringList present;
    if (std::any_of(columns.cbegin(), columns.cend(),
                    [](const Fields::Field *f) { return f->since > 1; })) {
        QSqlQuery q(file.db());
        q.setForwardOnly(true);
        if (q.exec(QStringLiteral("SELECT name FROM pragma_table_info('T_Cow')")))
            while (q.next()) present << q.value(0).toString();
        q.finish();
    }
    QStringList list;
    for (const Fields::Field *f : columns)
        list << (f->since == 1 || present.contains(f->name) ? f->name
                                                            : QStringLiteral("NULL AS ") + f->name);
    return list.join(QStringLiteral(", "));
}

bool prepareRows(const YearFile &file, const Columns &columns, QSqlQuery *q, QString *error) {
    q->setForwardOnly(true);
    if (q->prepare(
            QStringLiteral("SELECT %1 FROM T_Cow ORDER BY rowid").arg(selectList(file, columns))))
        return true;
    *error = file.readFailure(q->lastError().text());
    return false;
}

// The new values of one row, as SQL over its columns: what the rule says per status.
struct Valued {
    QString hiiku, kimatu, marks[12];
};

Valued valuedColumns(qint64 perHeadMonth) {
    Valued v;
    v.hiiku = QStringLiteral("(Hiikutuki * %1)").arg(perHeadMonth);
    v.kimatu = QStringLiteral(
                   "(CASE Syori WHEN %2 THEN I_Kingaku + %1 WHEN %3 THEN Kisyu + %1 WHEN %4 THEN "
                   "0 WHEN %5 THEN 0 ELSE Kimatu END)")
                   .arg(v.hiiku)
                   .arg(Dounyuu)
                   .arg(Hiiku)
                   .arg(Baikyaku)
                   .arg(Sibou);
    // The month marked: purchase for status 1, sale or death for 3 and 4; status 2 marks
    // nothing. Dates are ISO text, checked by the schema.
    const QString month =
        QStringLiteral(
            "CAST(strftime('%m', CASE Syori WHEN %1 THEN I_Date ELSE O_Date END) AS "
            "INTEGER)")
            .arg(Dounyuu);
    for (int m = 1; m <= 12; ++m)
        v.marks[m - 1] =
            QStringLiteral(
                "(CASE WHEN Syori IN (%2, %3, %4) AND %1 = %5 THEN CASE Syori WHEN %2 THEN '買' "
                "WHEN %3 THEN '売' ELSE '死' END WHEN Syori BETWEEN %2 AND %4 THEN '' ELSE F%5 "
                "END)")
                .arg(month)
                .arg(Dounyuu)
                .arg(Baikyaku)
                .arg(Sibou)
                .arg(m);
    return v;
}

// The assignments the valuation makes and the condition under which a row changes, from
// the same expressions, so that counting the stale rows can never disagree with writing
// them.
struct Update {
    QString set, changed;
};

Update updateOf(const Valued &v) {
    QStringList set, changed;
    set << QStringLiteral("HiikuKingaku = ") + v.hiiku << QStringLiteral("Kimatu = ") + v.kimatu;
    changed << QStringLiteral("HiikuKingaku IS NOT ") + v.hiiku
            << QStringLiteral("Kimatu IS NOT ") + v.kimatu;
    for (int m = 0; m < 12; ++m) {
        set << QStringLiteral("F%1 = %2").arg(m + 1).arg(v.marks[m]);
        changed << QStringLiteral("F%1 IS NOT %2").arg(m + 1).arg(v.marks[m]);
    }
    return {set.join(QStringLiteral(", ")), changed.join(QStringLiteral(" OR "))};
}

Columns saleColumns() {
    Columns list;
    for (int c = 0; c < Fields::SaleCount; ++c) list << &Fields::field(Fields::Sale(c));
    return list;
}

}  // namespace

std::optional<Summary> summary(const YearFile &file, QString *error) {
    QSqlQuery q(file.db());
    q.setForwardOnly(true);
    // max() of two columns is NULL when either is: each falls back to '' first.
    if (!q.exec(QStringLiteral("SELECT count(*), max(coalesce(max(I_Date), ''), "
                               "coalesce(max(O_Date), '')) FROM T_Cow")) ||
        !q.next()) {
        *error = file.failure(QStringLiteral("読み込み"), q.lastError().text());
        return std::nullopt;
    }
    Summary s{q.value(0).toLongLong(), dateOf(q.value(1))};
    q.finish();
    return s;
}

bool readable(const YearFile &file, const Columns &columns, QString *error) {
    QSqlQuery q(file.db());
    return prepareRows(file, columns, &q, error);
}

bool each(const YearFile &file, const Columns &columns,
          const std::function<void(const QVariantList &row)> &row, QString *error) {
    QSqlQuery q(file.db());
    if (!prepareRows(file, columns, &q, error)) return false;
    if (!q.exec()) {
        *error = file.readFailure(q.lastError().text());
        return false;
    }
    QVariantList values(columns.size());  // one list, refilled for every row
    while (q.next()) {
        for (int c = 0; c < values.size(); ++c) values[c] = q.value(c);
        row(values);
    }
    if (q.lastError().isValid()) {
        *error = file.readFailure(q.lastError().text());
        return false;
    }
    // An unfinished SELECT can fail another connection's COMMIT.
    q.finish();
    return true;
}

bool numbers(const YearFile &file, QSet<int> *numbers, QString *error) {
    QSqlQuery q(file.db());
    q.setForwardOnly(true);
    if (!q.exec(QStringLiteral("SELECT No FROM T_Cow WHERE No IS NOT NULL"))) {
        *error = file.failure(QStringLiteral("読み込み"), q.lastError().text());
        return false;
    }
    numbers->clear();
    while (q.next()) numbers->insert(q.value(0).toInt());
    q.finish();
    return true;
}

bool import(YearFile &file, const QList<QVariantMap> &calves, QString *error,
            const Progress &progress) {
    QStringList fields, marks;
    for (const Fields::Field &f : Fields::cow())
        if (!f.csv.isEmpty()) {
            fields << f.name;
            marks << QStringLiteral("?");
        }
    const QString sql = QStringLiteral("INSERT INTO T_Cow (%1) VALUES (%2)")
                            .arg(fields.join(QLatin1Char(',')), marks.join(QLatin1Char(',')));
    const bool done = file.transaction(
        [&](QString *err) {
            QSqlQuery q(file.db());
            if (!q.prepare(sql)) {
                *err = file.failure(QStringLiteral("取り込み"), q.lastError().text());
                return false;
            }
            for (qsizetype i = 0; i < calves.size(); ++i) {
                for (int f = 0; f < fields.size(); ++f) q.bindValue(f, calves[i].value(fields[f]));
                if (!q.exec()) {
                    *err = file.failure(QStringLiteral("取り込み"), q.lastError().text());
                    return false;
                }
                if (i == 0) MORIVA_CHECKPOINT("csv import: first calf inserted");
                if (progress && (i + 1) % 1000 == 0) progress(i + 1, calves.size());
            }
            if (progress) progress(calves.size(), calves.size());
            return true;
        },
        error);
    if (done) file.announce(YearFile::Change::Calves);
    return done;
}

// Set-based: one statement finds a calf whose values would leave the 32-bit range, one
// writes the rows whose values change. Reading every row into C++ and writing it back
// one UPDATE at a time took 2.4–3.6 times as long (bench/README.md).
bool firstBeyondRange(const YearFile &file, qint64 perHeadMonth, std::optional<QVariant> *beyond,
                      QString *error) {
    const Valued v = valuedColumns(perHeadMonth);
    QSqlQuery q(file.db());
    q.setForwardOnly(true);
    const QString outside = QStringLiteral("NOT BETWEEN -2147483648 AND 2147483647");
    if (!q.exec(QStringLiteral("SELECT No FROM T_Cow WHERE %1 %3 OR %2 %3 ORDER BY rowid LIMIT 1")
                    .arg(v.hiiku, v.kimatu, outside))) {
        *error = file.readFailure(q.lastError().text());
        return false;
    }
    *beyond = q.next() ? std::optional<QVariant>(q.value(0)) : std::nullopt;
    q.finish();
    return true;
}

bool value(YearFile &file, qint64 perHeadMonth, QString *error) {
    const Update u = updateOf(valuedColumns(perHeadMonth));
    QSqlQuery q(file.db());
    if (q.exec(QStringLiteral("UPDATE T_Cow SET %1 WHERE %2").arg(u.set, u.changed))) return true;
    *error = file.failure(QStringLiteral("書き込み"), q.lastError().text());
    return false;
}

std::optional<qint64> stale(const YearFile &file, qint64 perHeadMonth, QString *error) {
    QSqlQuery q(file.db());
    q.setForwardOnly(true);
    if (!q.exec(QStringLiteral("SELECT count(*) FROM T_Cow WHERE ") +
                updateOf(valuedColumns(perHeadMonth)).changed) ||
        !q.next()) {
        *error = file.readFailure(q.lastError().text());
        return std::nullopt;
    }
    const qint64 n = q.value(0).toLongLong();
    q.finish();  // an open read would hold up a commit on another connection
    return n;
}

bool sold(const YearFile &file, std::vector<Sold> *calves, QString *error) {
    calves->clear();
    QSqlQuery q(file.db());
    q.setForwardOnly(true);
    if (!q.exec(QStringLiteral("SELECT rowid, No, Name, I_Date, O_Date, "
                               "coalesce(Kisyu, 0) + coalesce(I_Kingaku, 0) + "
                               "coalesce(HiikuKingaku, 0), %1 FROM T_Cow WHERE Syori = %2 "
                               "ORDER BY rowid")
                    .arg(selectList(file, saleColumns()))
                    .arg(Baikyaku))) {
        *error = file.readFailure(q.lastError().text());
        return false;
    }
    while (q.next()) {
        Sold s;
        s.rowid = q.value(0).toLongLong();
        s.no = q.value(1).toInt();
        s.name = q.value(2).toString();
        s.bought = dateOf(q.value(3));
        s.sold = dateOf(q.value(4));
        s.cost = q.value(5).toLongLong();
        for (int f = 0; f < Fields::SaleCount; ++f)
            s.sale << (q.isNull(6 + f) ? QVariant() : q.value(6 + f));
        calves->push_back(std::move(s));
    }
    q.finish();
    return true;
}

bool saveSale(YearFile &file, qint64 rowid, const QVariantList &sale, QString *error) {
    QStringList sets;
    for (const Fields::Field *f : saleColumns()) sets << f->name + QStringLiteral(" = ?");
    const bool saved = file.transaction(
        [&](QString *err) {
            QSqlQuery q(file.db());
            q.prepare(QStringLiteral("UPDATE T_Cow SET %1 WHERE rowid = ?")
                          .arg(sets.join(QStringLiteral(", "))));
            for (int f = 0; f < Fields::SaleCount; ++f) q.addBindValue(sale.value(f));
            q.addBindValue(rowid);
            if (!q.exec()) {
                *err = file.failure(QStringLiteral("保存"), q.lastError().text());
                return false;
            }
            if (q.numRowsAffected() == 1) return true;
            *err = file.failure(QStringLiteral("保存"),
                                QStringLiteral("この子牛はほかの画面で削除されています。"));
            return false;
        },
        error);
    if (saved) file.announce(YearFile::Change::SaleData);
    return saved;
}

}  // namespace Calves
