#include "SaleData.h"

#include <QSqlError>
#include <QSqlQuery>

#include "EraDate.h"
#include "FatteningMonths.h"
#include "Judgement.h"
#include "YearFile.h"

const QStringList &SaleData::columns() {
    static const QStringList names = {"S_Kingaku", "S_Hinsyu", "S_Touroku",
                                      "S_Saki",    "S_Jika",   "S_Birth"};
    return names;
}

namespace {

QDate dateOf(const QVariant &stored) {
    return stored.isNull() ? QDate() : QDate::fromString(stored.toString(), Qt::ISODate);
}

}  // namespace

bool SaleData::load(const YearFile &file, std::vector<Row> *rows, QString *error) {
    rows->clear();
    QSqlQuery q(file.db());
    q.setForwardOnly(true);
    bool present = false;
    if (q.exec(QStringLiteral("SELECT 1 FROM pragma_table_info('T_Cow') WHERE name = 'S_Kingaku'")))
        present = q.next();
    q.finish();
    QStringList fields;
    for (const QString &c : columns()) fields << (present ? c : QStringLiteral("NULL AS ") + c);
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
        for (int f = 0; f < FieldCount; ++f)
            r.stored << (q.isNull(6 + f) ? QVariant() : q.value(6 + f));
        SoldHead &h = r.head;
        h.no = q.value(1).toInt();
        h.name = q.value(2).toString();
        h.bought = dateOf(q.value(3));
        h.sold = dateOf(q.value(4));
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
    h->price.reset();
    if (!stored[Kingaku].isNull()) h->price = stored[Kingaku].toLongLong();
    h->breed = SoldHead::Breed(stored[Hinsyu].toInt());
    h->registered = stored[Touroku].toInt() == 1;
    h->place = SoldHead::Place(stored[Saki].toInt());
    h->homeBred = stored[Jika].toInt() == 1;
    h->born = dateOf(stored[Birth]);
}

QString SaleData::refusal(const SoldHead &head, const QVariantList &stored) {
    SoldHead h = head;
    apply(stored, &h);
    switch (Judgement::dates(h)) {
        case Judgement::Dates::BornAfterSold:
            return QStringLiteral("「生年月日」が売却日（%1）より後になっています。")
                .arg(EraDate::format(h.sold));
        case Judgement::Dates::BornAfterBought:
            return QStringLiteral(
                       "「生年月日」が導入日（%1）より後になっています。\n"
                       "自家産の子牛なら「自家産」を 1（はい）にしてください。")
                .arg(EraDate::format(h.bought));
        case Judgement::Dates::SoldBeforeBought:
        case Judgement::Dates::Agree:
            break;
    }
    return {};
}

bool SaleData::save(YearFile &file, qint64 rowid, const QVariantList &stored, QString *error) {
    QStringList sets;
    for (const QString &c : columns()) sets << c + QStringLiteral(" = ?");
    return file.transaction(
        [&](QString *err) {
            QSqlQuery q(file.db());
            q.prepare(QStringLiteral("UPDATE T_Cow SET %1 WHERE rowid = ?")
                          .arg(sets.join(QStringLiteral(", "))));
            for (int f = 0; f < FieldCount; ++f) q.addBindValue(stored.value(f));
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
