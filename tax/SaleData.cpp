#include "SaleData.h"

#include <QSqlError>
#include <QSqlQuery>

#include "EraDate.h"
#include "FatteningMonths.h"
#include "Judgement.h"
#include "YearFile.h"

using namespace Fields;

namespace {

const QString &nameOf(int column) {
    return field(Sale(column)).name;
}

QDate dateOf(const QVariant &stored) {
    return stored.isNull() ? QDate() : QDate::fromString(stored.toString(), Qt::ISODate);
}

}  // namespace

bool SaleData::load(const YearFile &file, std::vector<Row> *rows, QString *error) {
    rows->clear();
    QSqlQuery q(file.db());
    q.setForwardOnly(true);
    QStringList present;
    if (q.exec(QStringLiteral("SELECT name FROM pragma_table_info('T_Cow')")))
        while (q.next()) present << q.value(0).toString();
    q.finish();
    QStringList fields;
    for (int c = 0; c < SaleCount; ++c)
        fields << (present.contains(nameOf(c)) ? nameOf(c)
                                               : QStringLiteral("NULL AS ") + nameOf(c));
    if (!q.exec(QStringLiteral("SELECT rowid, No, Name, I_Date, O_Date, "
                               "coalesce(Kisyu, 0) + coalesce(I_Kingaku, 0) + "
                               "coalesce(HiikuKingaku, 0), %1 FROM T_Cow WHERE Syori = %2 "
                               "ORDER BY rowid")
                    .arg(fields.join(QStringLiteral(", ")))
                    .arg(Baikyaku))) {
        *error = file.readFailure(q.lastError().text());
        return false;
    }
    while (q.next()) {
        Row r;
        r.rowid = q.value(0).toLongLong();
        for (int f = 0; f < SaleCount; ++f)
            r.stored << (q.isNull(6 + f) ? QVariant() : q.value(6 + f));
        SoldHead &h = r.head;
        h.No = q.value(1).toInt();
        h.Name = q.value(2).toString();
        h.I_Date = dateOf(q.value(3));
        h.O_Date = dateOf(q.value(4));
        h.cost = q.value(5).toLongLong();
        apply(r.stored, &h);
        rows->push_back(std::move(r));
    }
    q.finish();
    return true;
}

bool SaleData::load(const YearFile &file, std::vector<SoldHead> *heads, QString *error) {
    std::vector<Row> rows;
    heads->clear();
    if (!load(file, &rows, error)) return false;
    for (Row &r : rows) heads->push_back(std::move(r.head));
    return true;
}

void SaleData::apply(const QVariantList &stored, SoldHead *h) {
    h->S_Kingaku.reset();
    if (!stored[S_Kingaku].isNull()) h->S_Kingaku = stored[S_Kingaku].toLongLong();
    h->S_Hinsyu = Hinsyu(stored[S_Hinsyu].toInt());
    h->S_Touroku = stored[S_Touroku].toInt() == 1;
    h->S_Saki = Saki(stored[S_Saki].toInt());
    h->S_Jika = stored[S_Jika].toInt() == 1;
    h->S_Birth = dateOf(stored[S_Birth]);
}

QString SaleData::refusal(const SoldHead &head, const QVariantList &stored) {
    SoldHead h = head;
    apply(stored, &h);
    switch (Judgement::dates(h)) {
        case Judgement::Dates::BornAfterSold:
            return QStringLiteral("「%1」が売却日（%2）より後になっています。")
                .arg(field(S_Birth).caption, EraDate::format(h.O_Date));
        case Judgement::Dates::BornAfterBought: {
            const Field &jika = field(S_Jika);
            return QStringLiteral(
                       "「%1」が導入日（%2）より後になっています。\n"
                       "%3の子牛なら「%3」を %4（%5）にしてください。")
                .arg(field(S_Birth).caption, EraDate::format(h.I_Date), jika.caption)
                .arg(1)
                .arg(jika.word(1));
        }
        case Judgement::Dates::SoldBeforeBought:
        case Judgement::Dates::Agree:
            break;
    }
    return {};
}

bool SaleData::save(YearFile &file, qint64 rowid, const QVariantList &stored, QString *error) {
    QStringList sets;
    for (int c = 0; c < SaleCount; ++c) sets << nameOf(c) + QStringLiteral(" = ?");
    return file.transaction(
        [&](QString *err) {
            QSqlQuery q(file.db());
            q.prepare(QStringLiteral("UPDATE T_Cow SET %1 WHERE rowid = ?")
                          .arg(sets.join(QStringLiteral(", "))));
            for (int f = 0; f < SaleCount; ++f) q.addBindValue(stored.value(f));
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
}
