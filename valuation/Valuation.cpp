#include "Valuation.h"

#include <QDate>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

#include "Checkpoint.h"
#include "FatteningMonths.h"
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

using Amount = std::optional<qint64>;

Amount amountOf(const QVariant &v) {
    bool ok = false;
    const qint64 n = v.toLongLong(&ok);
    return v.isNull() || !ok ? Amount() : Amount(n);
}

QVariant toVariant(const Amount &a) {
    return a ? QVariant(*a) : QVariant();
}

bool fits(const Amount &a) {
    return !a || (*a >= INT32_MIN && *a <= INT32_MAX);
}

int monthOf(const QVariant &isoDate) {
    const QDate d = QDate::fromString(isoDate.toString(), Qt::ISODate);
    return d.isValid() ? d.month() : 0;
}

}  // namespace

bool Cal_Cow(YearFile &file, std::optional<qint32> perHeadMonth, QString *error) {
    if (!perHeadMonth) {
        *error = QStringLiteral(
            "１頭１月肥育が計算できないため、棚卸の計算ができません。\n"
            "経費と子牛の金額を確かめてください。");
        return false;
    }
    return file.transaction(
        [&](QString *err) {
            QSqlQuery read(file.db());
            read.setForwardOnly(true);
            if (!read.exec(QStringLiteral(
                    "SELECT rowid, No, Syori, Hiikutuki, I_Kingaku, Kisyu, I_Date, O_Date, "
                    "HiikuKingaku, Kimatu, F1, F2, F3, F4, F5, F6, F7, F8, F9, F10, F11, F12 "
                    "FROM T_Cow ORDER BY rowid"))) {
                *err = file.readFailure(read.lastError().text());
                return false;
            }
            struct Change {
                qint64 rowid;
                Amount hiiku, kimatu;
                std::array<QString, 12> marks;
                bool marksSet;
            };
            QList<Change> changes;
            while (read.next()) {
                const QVariant syoriValue = read.value(2);
                const int syori = syoriValue.isNull() ? 0 : syoriValue.toInt();
                const Amount months = amountOf(read.value(3));
                Change c{read.value(0).toLongLong(), {}, amountOf(read.value(9)), {}, false};
                if (months) c.hiiku = *months * *perHeadMonth;
                int markMonth = 0;
                switch (syori) {
                    case Dounyuu: {
                        const Amount base = amountOf(read.value(4));
                        c.kimatu = base && c.hiiku ? Amount(*base + *c.hiiku) : Amount();
                        markMonth = monthOf(read.value(6));
                        break;
                    }
                    case Hiiku: {
                        const Amount base = amountOf(read.value(5));
                        c.kimatu = base && c.hiiku ? Amount(*base + *c.hiiku) : Amount();
                        markMonth = 12;
                        break;
                    }
                    case Baikyaku:
                    case Sibou:
                        c.kimatu = 0;
                        markMonth = monthOf(read.value(7));
                        break;
                    default:
                        break;
                }
                if (!fits(c.hiiku) || !fits(c.kimatu)) {
                    *err = QStringLiteral(
                               "No %1 の子牛の肥育金額または期末棚卸高が、"
                               "計算できる範囲（±2,147,483,647円）を超えました。\n"
                               "棚卸の計算は行っていません。")
                               .arg(read.value(1).toString());
                    return false;
                }
                c.marksSet = syori >= Dounyuu && syori <= Sibou;
                if (c.marksSet) c.marks = SetMonthMark(markMonth, syori);

                bool same =
                    amountOf(read.value(8)) == c.hiiku && amountOf(read.value(9)) == c.kimatu;
                for (int m = 0; c.marksSet && m < 12; ++m)
                    same = same && read.value(10 + m).toString() == c.marks[m] &&
                           !read.value(10 + m).isNull();
                if (!same) changes << c;
            }
            read.finish();

            QSqlQuery value(file.db()), marked(file.db());
            value.prepare(
                QStringLiteral("UPDATE T_Cow SET HiikuKingaku = ?, Kimatu = ? WHERE rowid = ?"));
            marked.prepare(QStringLiteral(
                "UPDATE T_Cow SET HiikuKingaku = ?, Kimatu = ?, F1 = ?, F2 = ?, F3 = ?, F4 = ?, "
                "F5 = ?, F6 = ?, F7 = ?, F8 = ?, F9 = ?, F10 = ?, F11 = ?, F12 = ? WHERE rowid = "
                "?"));
            for (const Change &c : changes) {
                QSqlQuery &q = c.marksSet ? marked : value;
                q.addBindValue(toVariant(c.hiiku));
                q.addBindValue(toVariant(c.kimatu));
                for (int m = 0; c.marksSet && m < 12; ++m) q.addBindValue(c.marks[m]);
                q.addBindValue(c.rowid);
                if (!q.exec()) {
                    *err = file.failure(QStringLiteral("書き込み"), q.lastError().text());
                    return false;
                }
                MORIVA_CHECKPOINT("valuation: calf written");
            }
            return true;
        },
        error);
}
