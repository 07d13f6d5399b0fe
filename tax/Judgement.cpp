#include "Judgement.h"

namespace Judgement {

namespace {

// Each breed's price the sale must stay under (strictly) to be exempt.
qint64 limitOf(SoldHead::Breed breed) {
    switch (breed) {
        case SoldHead::Breed::Beef:
            return 1'000'000;
        case SoldHead::Breed::Cross:
            return 800'000;
        case SoldHead::Breed::Dairy:
            return 500'000;
        default:
            return 0;
    }
}

Verdict outside(const char *reason) {
    return {Result::Outside, QString::fromUtf8(reason)};
}

}  // namespace

QDate lastDate() {
    return QDate(2026, 12, 31);
}

QString label(Result result) {
    switch (result) {
        case Result::Outside:
            return QStringLiteral("特例の対象外");
        case Result::Exempt:
            return QStringLiteral("免税対象飼育牛");
        case Result::Taxed:
            break;
    }
    return QStringLiteral("免税対象外");
}

Dates dates(const SoldHead &h) {
    if (h.born.isValid() && h.sold.isValid() && h.born > h.sold) return Dates::BornAfterSold;
    if (h.born.isValid() && h.bought.isValid() && !h.homeBred && h.born > h.bought)
        return Dates::BornAfterBought;
    if (h.bought.isValid() && h.sold.isValid() && h.sold < h.bought) return Dates::SoldBeforeBought;
    return Dates::Agree;
}

Verdict judge(const SoldHead &h) {
    // Periods are counted in calendar months, as the civil code counts them: bought on
    // 1 March, the head has been kept two months on 1 May, not on 30 April.
    if (!h.sold.isValid()) return outside("売却日が未入力");
    // An entry slip, not a short keep or a young calf: judged on such dates the head
    // could pass for either.
    switch (dates(h)) {
        case Dates::BornAfterSold:
            return outside("日付が合わない（生年月日が売却日より後）");
        case Dates::BornAfterBought:
            return outside("日付が合わない（生年月日が導入日より後）");
        case Dates::SoldBeforeBought:
            return outside("日付が合わない（売却日が導入日より前）");
        case Dates::Agree:
            break;
    }
    if (h.sold > lastDate()) return outside("特例の期間外");
    switch (h.place) {
        case SoldHead::Place::Unset:
            return outside("売却先が未入力");
        case SoldHead::Place::Other:
            return outside("売却先がその他");
        case SoldHead::Place::Consigned:
            if (!h.born.isValid()) return outside("農協への委託で生年月日が未入力");
            if (h.born.addYears(1) <= h.sold) return outside("農協への委託で生後1年以上");
            break;
        case SoldHead::Place::Market:
            break;
    }
    if (h.breed == SoldHead::Breed::Outside) return outside("特例の対象外の牛");
    // The law says "飼育した"; the two months kept are the administrative reading, and a
    // head bred on the farm has been kept all its life.
    if (!h.homeBred) {
        if (!h.bought.isValid()) return outside("導入日が未入力");
        if (h.bought.addMonths(2) > h.sold) return outside("飼育2か月未満");
    }
    // An exemption is claimed only where the entries show it: a head whose breed or price
    // is missing stays among those taxed until it is entered.
    if (h.breed == SoldHead::Breed::Unset)
        return {Result::Taxed, QStringLiteral("品種区分が未入力")};
    if (!h.price) return {Result::Taxed, QStringLiteral("売却価額が未入力")};
    // Refused when typed, but a file of an earlier version may hold one: it would pass
    // under every limit.
    if (*h.price <= 0) return {Result::Taxed, QStringLiteral("売却価額が0円以下")};
    const bool registered = h.breed == SoldHead::Breed::Beef && h.registered;
    if (!registered && *h.price >= limitOf(h.breed))
        return {Result::Taxed, QStringLiteral("価額が基準以上")};
    return {Result::Exempt, {}};
}

}  // namespace Judgement
