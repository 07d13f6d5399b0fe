#include "SaleData.h"

#include "Calves.h"
#include "EraDate.h"
#include "Judgement.h"
#include "YearFile.h"

using namespace Fields;

namespace {

QDate dateOf(const QVariant &stored) {
    return stored.isNull() ? QDate() : QDate::fromString(stored.toString(), Qt::ISODate);
}

}  // namespace

bool SaleData::load(const YearFile &file, std::vector<Row> *rows, QString *error) {
    rows->clear();
    std::vector<Calves::Sold> sold;
    if (!Calves::sold(file, &sold, error)) return false;
    for (Calves::Sold &s : sold) {
        Row r;
        r.rowid = s.rowid;
        r.stored = std::move(s.sale);
        SoldHead &h = r.head;
        h.No = s.no;
        h.Name = std::move(s.name);
        h.I_Date = s.bought;
        h.O_Date = s.sold;
        h.cost = s.cost;
        apply(r.stored, &h);
        rows->push_back(std::move(r));
    }
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
    h->S_Zei = stored[S_Zei].toLongLong();
    h->S_Hokyu = stored[S_Hokyu].toLongLong();
    h->S_Hinsyu = Hinsyu(stored[S_Hinsyu].toInt());
    h->S_Touroku = stored[S_Touroku].toInt() == 1;
    h->S_Uriba = Saki(stored[S_Uriba].toInt());
    h->S_Jika = stored[S_Jika].toInt() == 1;
    h->S_Birth = dateOf(stored[S_Birth]);
    h->S_Kotai = stored[S_Kotai].toString();
    h->S_Aite = stored[S_Aite].toString();
}

QString SaleData::warning(const SoldHead &head, const QVariantList &stored) {
    SoldHead h = head;
    apply(stored, &h);
    QStringList said;
    // Live cattle bear 10 %; more is likely the price typed into the wrong field.
    if (h.S_Kingaku && h.S_Zei * 10 > *h.S_Kingaku)
        said << QStringLiteral("「%1」が「%2」の 10 % を超えています。")
                    .arg(field(S_Zei).caption, field(S_Kingaku).caption);
    if (h.S_Kingaku && h.S_Hokyu > *h.S_Kingaku)
        said << QStringLiteral("「%1」が「%2」を超えています。")
                    .arg(field(S_Hokyu).caption, field(S_Kingaku).caption);
    if (const QString id = Judgement::idWarning(h.S_Kotai); !id.isEmpty()) said << id;
    if (said.isEmpty()) return {};
    return said.join(QLatin1Char('\n')) +
           QStringLiteral("\n入力のとおり保存しました。売却証明書と見比べてください。");
}

QString SaleData::refusal(const SoldHead &head, const QVariantList &stored, Sale *at) {
    SoldHead h = head;
    apply(stored, &h);
    for (Sale amount : {S_Zei, S_Hokyu})
        if (stored[amount].toLongLong() < 0) {
            *at = amount;
            return QStringLiteral("「%1」は 0 円以上で入力してください。")
                .arg(field(amount).caption);
        }
    *at = S_Birth;
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
    return Calves::saveSale(file, rowid, stored, error);
}
