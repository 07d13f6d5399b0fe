#include "Valuation.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QStringList>
#include <QVariant>

#include "Checkpoint.h"
#include "FatteningMonths.h"
#include "Frm_Wk.h"
#include "MsgText.h"
#include "YearFile.h"

std::array<QString, 12> SetMonthMark(int month, int status) {
    std::array<QString, 12> marks;
    marks.fill(QLatin1String(""));  // empty text, not NULL
    if (month < 1 || month > 12) return marks;
    switch (status) {
        case Dounyuu:
            marks[month - 1] = QStringLiteral("買");
            break;
        case Baikyaku:
            marks[month - 1] = QStringLiteral("売");
            break;
        case Sibou:
            marks[month - 1] = QStringLiteral("死");
            break;
        default:
            break;
    }
    return marks;
}

namespace {

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

// The assignments Cal_Cow makes and the condition under which a row changes, from the
// same expressions, so that counting the stale rows can never disagree with writing them.
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

QString noPerHeadCost() {
    return QStringLiteral(
        "１頭１月肥育が計算できないため、棚卸の計算ができません。\n"
        "経費と子牛の金額を確かめてください。");
}

// Every work total read again: a total that could not be read must never be valued
// as 0. An empty １頭１月肥育 means it could not be computed; Cal_Cow refuses it.
bool freshPerHead(Frm_Wk &wk, std::optional<qint64> *perHead, QString *error) {
    QString why;
    if (!wk.refresh({Frm_Wk::Data_CowCal1, Frm_Wk::Data_CostCal, Frm_Wk::Data_Cost2,
                     Frm_Wk::Data_ProseedCal1, Frm_Wk::Data_Cost_Zensiryou,
                     Frm_Wk::Data_Cost_Konsiryou, Frm_Wk::Data_Cost_Ikusei},
                    &why)) {
        *error = MsgText::withDetail(
            QStringLiteral("集計を読み込めないため、棚卸の計算ができません。"), why);
        return false;
    }
    *perHead = wk.value(&Frm_Wk::t_TukiHiiku);
    return true;
}

}  // namespace

// Set-based: one statement finds a calf whose values would leave the 32-bit range, one
// writes the rows whose values change. Reading every row into C++ and writing it back
// one UPDATE at a time took 2.4–3.6 times as long (bench/README.md).
bool Cal_Cow(YearFile &file, std::optional<qint64> perHeadMonth, QString *error) {
    if (!perHeadMonth) {
        *error = noPerHeadCost();
        return false;
    }
    const Valued v = valuedColumns(*perHeadMonth);
    return file.transaction(
        [&](QString *err) {
            QSqlQuery q(file.db());
            q.setForwardOnly(true);
            const QString outside = QStringLiteral("NOT BETWEEN -2147483648 AND 2147483647");
            if (!q.exec(QStringLiteral("SELECT No FROM T_Cow WHERE %1 %3 OR %2 %3 ORDER BY rowid "
                                       "LIMIT 1")
                            .arg(v.hiiku, v.kimatu, outside))) {
                *err = file.readFailure(q.lastError().text());
                return false;
            }
            if (q.next()) {
                *err = QStringLiteral(
                           "No %1 の子牛の肥育金額または期末棚卸高が、"
                           "計算できる範囲（±2,147,483,647円）を超えました。\n"
                           "棚卸の計算は行っていません。")
                           .arg(q.value(0).toString());
                return false;
            }
            q.finish();
            const Update u = updateOf(v);
            if (!q.exec(QStringLiteral("UPDATE T_Cow SET %1 WHERE %2").arg(u.set, u.changed))) {
                *err = file.failure(QStringLiteral("書き込み"), q.lastError().text());
                return false;
            }
            MORIVA_CHECKPOINT("valuation: calf written");  // written, not yet committed
            return true;
        },
        error);
}

std::optional<qint64> Cal_Cow_Changes(YearFile &file, std::optional<qint64> perHeadMonth,
                                      QString *error) {
    if (!perHeadMonth) {
        *error = noPerHeadCost();
        return std::nullopt;
    }
    QSqlQuery q(file.db());
    q.setForwardOnly(true);
    if (!q.exec(QStringLiteral("SELECT count(*) FROM T_Cow WHERE ") +
                updateOf(valuedColumns(*perHeadMonth)).changed) ||
        !q.next()) {
        *error = file.readFailure(q.lastError().text());
        return std::nullopt;
    }
    const qint64 n = q.value(0).toLongLong();
    q.finish();  // an open read would hold up a commit on another connection
    return n;
}

bool valueRegister(Frm_Wk &wk, YearFile &file, QString *error) {
    std::optional<qint64> perHead;
    return freshPerHead(wk, &perHead, error) && Cal_Cow(file, perHead, error) &&
           wk.refresh({Frm_Wk::Data_CowCal1}, error);
}

std::optional<qint64> staleCalves(Frm_Wk &wk, YearFile &file, QString *error) {
    std::optional<qint64> perHead;
    if (!freshPerHead(wk, &perHead, error)) return std::nullopt;
    return Cal_Cow_Changes(file, perHead, error);
}
