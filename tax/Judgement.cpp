#include "Judgement.h"

#include <algorithm>

namespace Judgement {

namespace {

// Each breed's price the sale must stay under (strictly) to be exempt.
qint64 limitOf(SoldHead::Hinsyu hinsyu) {
    switch (hinsyu) {
        case SoldHead::Hinsyu::Beef:
            return 1'000'000;
        case SoldHead::Hinsyu::Cross:
            return 800'000;
        case SoldHead::Hinsyu::Dairy:
            return 500'000;
        default:
            return 0;
    }
}

Verdict outside(const char *reason) {
    return {Result::Outside, QString::fromUtf8(reason)};
}

}  // namespace

const QList<Period> &periods() {
    // 租税特別措置法第25条第1項, "…年12月31日まで", as each reform extended it.
    static const QList<Period> list = {
        {QDate(2020, 12, 31), "所得税法等の一部を改正する法律（平成29年法律第4号）"},
        {QDate(2023, 12, 31), "所得税法等の一部を改正する法律（令和2年法律第8号）"},
        {QDate(2026, 12, 31), "所得税法等の一部を改正する法律（令和5年法律第3号）"},
    };
    return list;
}

QDate ownLastDate() {
    return periods().last().last;
}

qint64 limitPrice(const SoldHead &h) {
    return h.S_Kingaku.value_or(0) + h.S_Hokyu;
}

qint64 income(const SoldHead &h, Fields::Keiri keiri) {
    if (!h.S_Kingaku || *h.S_Kingaku <= 0) return 0;
    return *h.S_Kingaku + h.S_Hokyu + (keiri == Fields::Keiri::Inclusive ? h.S_Zei : 0);
}

QStringList missing(const SoldHead &h) {
    using namespace Fields;
    QStringList out;
    if (!h.S_Kingaku) out << field(S_Kingaku).caption;
    if (h.S_Hinsyu == Hinsyu::Unset) out << field(S_Hinsyu).caption;
    if (h.S_Uriba == Saki::Unset) out << field(S_Uriba).caption;
    if (h.S_Uriba == Saki::Consigned && !h.S_Birth.isValid()) out << field(S_Birth).caption;
    return out;
}

QString idWarning(const QString &typed) {
    const QString n = typed.normalized(QString::NormalizationForm_KC).trimmed();
    if (n.isEmpty()) return {};
    const bool digits =
        n.size() == 10 && std::all_of(n.cbegin(), n.cend(), [](QChar c) { return c.isDigit(); });
    if (!digits) return QStringLiteral("個体識別番号は 10 桁の数字です（%1）。").arg(n);
    int sum = 0;
    for (int i = 0; i < 9; ++i) sum += (n[i].unicode() - '0') * (i % 2 == 0 ? 3 : 1);
    if ((10 - sum % 10) % 10 == n[9].unicode() - '0') return {};
    return QStringLiteral(
               "個体識別番号 %1 は検査数字（10 桁目）が合いません。"
               "耳標か証明書の番号を確かめてください。")
        .arg(n);
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
    if (h.S_Birth.isValid() && h.O_Date.isValid() && h.S_Birth > h.O_Date)
        return Dates::BornAfterSold;
    if (h.S_Birth.isValid() && h.I_Date.isValid() && !h.S_Jika && h.S_Birth > h.I_Date)
        return Dates::BornAfterBought;
    if (h.I_Date.isValid() && h.O_Date.isValid() && h.O_Date < h.I_Date)
        return Dates::SoldBeforeBought;
    return Dates::Agree;
}

Verdict judge(const SoldHead &h, const QDate &lastDate) {
    // Periods are counted in calendar months, as the civil code counts them: bought on
    // 1 March, the head has been kept two months on 1 May, not on 30 April.
    if (!h.O_Date.isValid()) return outside("売却日が未入力");
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
    if (h.O_Date > lastDate) return outside("特例の期間外");
    switch (h.S_Uriba) {
        case SoldHead::Saki::Unset:
            return outside("売却先が未入力");
        case SoldHead::Saki::Other:
            return outside("売却先がその他");
        case SoldHead::Saki::Consigned:
            if (!h.S_Birth.isValid()) return outside("農協への委託で生年月日が未入力");
            if (h.S_Birth.addYears(1) <= h.O_Date) return outside("農協への委託で生後1年以上");
            break;
        case SoldHead::Saki::Market:
        case SoldHead::Saki::MeatMarket:
            break;
    }
    if (h.S_Hinsyu == SoldHead::Hinsyu::Outside) return outside("特例の対象外の牛");
    // The law says "飼育した"; the two months kept are the administrative reading, and a
    // head bred on the farm has been kept all its life.
    if (!h.S_Jika) {
        if (!h.I_Date.isValid()) return outside("導入日が未入力");
        if (h.I_Date.addMonths(2) > h.O_Date) return outside("飼育2か月未満");
    }
    // An exemption is claimed only where the entries show it: a head whose breed or price
    // is missing stays among those taxed until it is entered.
    if (h.S_Hinsyu == SoldHead::Hinsyu::Unset)
        return {Result::Taxed, QStringLiteral("品種区分が未入力")};
    if (!h.S_Kingaku) return {Result::Taxed, QStringLiteral("売却価額が未入力")};
    // Refused when typed, but a file of an earlier version may hold one: it would pass
    // under every limit.
    if (*h.S_Kingaku <= 0) return {Result::Taxed, QStringLiteral("売却価額が0円以下")};
    if (h.S_Hinsyu == SoldHead::Hinsyu::Beef && h.S_Touroku)
        return {Result::Exempt, QStringLiteral("高等登録")};
    // The handling notice: the price before consumption tax, with the grants received for
    // the head added.
    if (limitPrice(h) >= limitOf(h.S_Hinsyu))
        return {Result::Taxed, QStringLiteral("価額が基準以上")};
    return {Result::Exempt, QStringLiteral("基準価額未満")};
}

}  // namespace Judgement
