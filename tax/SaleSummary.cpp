#include "SaleSummary.h"

#include <algorithm>

#include "Amount.h"
#include "EraDate.h"

namespace SaleReport {

namespace {

QString u(const char *s) {
    return QString::fromUtf8(s);
}

QString yen(qint64 v) {
    return Amount::format(v) + QStringLiteral(" 円");
}

QString dateText(const QDate &d) {
    return EraDate::format(d, u'.');
}

QString headText(const SoldHead &h) {
    return u("No %1 %2").arg(h.No).arg(h.Name).trimmed();
}

// The costs no head's value holds (販売手数料, feed beyond the fattening cost, calves that
// died), shared by income; the yen the sharing drops stay with the rest.
Split splitOf(QList<Line> &lines, qint64 income, qint64 costs) {
    Split s;
    s.statement = income - costs;
    qint64 sold = 0, held = 0;
    for (const Line &l : lines) {
        sold += l.income;
        held += l.head.cost;
    }
    const qint64 outside = costs - held;
    qint64 shared = 0;
    for (Line &l : lines) {
        // 128 bits: a year's costs times one head's price passes 64.
        l.share = sold > 0 ? qint64(__int128(outside) * l.income / sold) : 0;
        shared += l.share;
        Part &g = s.groups[l.group()];
        g.income += l.income;
        g.costs += l.head.cost + l.share;
    }
    for (Group g : {ExemptGroup, FivePercentGroup}) {
        s.specific.income += s.groups[g].income;
        s.specific.costs += s.groups[g].costs;
    }
    s.rest = {income - sold, outside - shared};
    return s;
}

}  // namespace

Group Line::group() const {
    if (verdict.result == Judgement::Result::Outside) return OutsideGroup;
    return verdict.result == Judgement::Result::Exempt && !beyond ? ExemptGroup : FivePercentGroup;
}

Summary summarize(const std::vector<SoldHead> &heads, const Inputs &in) {
    Summary sum;
    QList<Line *> exempt;
    sum.lines.reserve(qsizetype(heads.size()));
    for (const SoldHead &h : heads)
        sum.lines << Line{h, Judgement::judge(h, in.lastDate), false,
                          Judgement::income(h, in.keiri)};
    for (Line &l : sum.lines)
        if (l.verdict.result == Judgement::Result::Exempt) exempt << &l;
    // Which head count beyond the cap is the farmer's choice; the cheapest ones make the
    // least tax.
    if (exempt.size() > Cap) {
        std::stable_sort(exempt.begin(), exempt.end(),
                         [](const Line *a, const Line *b) { return a->income < b->income; });
        for (qsizetype i = 0; i < exempt.size() - Cap; ++i) exempt[i]->beyond = true;
    }
    int unpriced = 0, misPriced = 0, late = 0, consignedUnborn = 0;
    QStringList offYear;
    qint64 sold = 0;
    for (const Line &l : sum.lines) {
        Total &t = sum.totals[l.group()];
        const SoldHead &h = l.head;
        ++t.count;
        t.cost += h.cost;
        // A price of 0 or below (from a file of an earlier version) counts as none: a
        // negative one would take from the 5 % base.
        if (l.income > 0) {
            t.price += l.income;
            t.gain += l.income - h.cost;
            sold += l.income;
        } else {
            ++(h.S_Kingaku ? misPriced : unpriced);
        }
        late += l.verdict.reason == u("特例の期間外");
        if (h.S_Uriba == SoldHead::Saki::Consigned && !h.S_Birth.isValid()) ++consignedUnborn;
        if (in.western > 0 && h.O_Date.isValid() && h.O_Date.year() != in.western)
            offYear << u("%1（%2）").arg(headText(h), dateText(h.O_Date));
        if (const QStringList lacks = Judgement::missing(h); !lacks.isEmpty())
            sum.incomplete << u("%1　%2").arg(headText(h), lacks.join(u("、")) + u("が未入力"));
    }
    sum.base = sum.totals[FivePercentGroup].price;
    sum.tax = sum.base * 5 / 100;
    if (in.income && in.costs) sum.split = splitOf(sum.lines, *in.income, *in.costs);

    if (!sum.incomplete.isEmpty())
        sum.verdict << u("入力が足りない売却が %1 頭あります（下の一覧）。入力するまで、この判定と"
                         "金額は確定したものではありません。")
                           .arg(sum.incomplete.size());
    const int specific = sum.totals[ExemptGroup].count + sum.totals[FivePercentGroup].count;
    if (specific == 0) {
        sum.verdict << u("特例の対象になる特定の肉用牛の売却はありません。");
    } else if (sum.totals[FivePercentGroup].count == 0) {
        sum.verdict << u("売却した特定の肉用牛 %1 頭は、すべて免税対象飼育牛で 1,500 頭以内です。"
                         "この売却による所得は所得税・住民税が免除されます（措置法第25条第1項）。")
                           .arg(Amount::format(specific));
    } else {
        sum.verdict
            << u("第2項を選ぶ場合：免税対象飼育牛の所得は免除されます。免税対象飼育牛に当たらない"
                 "特定の肉用牛と、1,500 頭を超える部分の売却価額の合計 %1 円 × 5 % ＝ %2 "
                 "円が、これらの売却による所得税額です。ほかの所得には通常の所得税がかかります"
                 "（住民税 1.5 %・復興特別所得税は別）。通常の課税を選ぶこともできます。")
                   .arg(Amount::format(sum.base), Amount::format(sum.tax))
            << (in.keiri == Fields::Keiri::Inclusive
                    ? u("5 % のもとにする売却価額は、税込経理により、売却価額に補給金等と消費税等を"
                        "加えた額です。")
                    : u("5 % のもとにする売却価額は、税抜経理により、売却価額に補給金等を加えた額"
                        "です（消費税等を含みません）。"));
        if (exempt.size() > Cap)
            sum.verdict << u(
                "1,500 頭を超える部分とする牛は申告する方が選べます（措置法通達25-1）。"
                "この表では売却価額の低い順に選んでいます。");
    }
    if (unpriced > 0)
        sum.verdict
            << u("売却価額が未入力の牛が %1 頭あります。合計と 5 % の計算に入っていません。")
                   .arg(unpriced);
    if (misPriced > 0)
        sum.verdict
            << u("売却価額が 0 円以下の牛が %1 頭あります。合計と 5 % の計算に入っていません。"
                 "売却牛の明細で正しい価額を入れてください。")
                   .arg(misPriced);

    if (!in.hanbai)
        sum.checks << u("売却価額の合計は %1 です。収入の販売金額は未入力です。").arg(yen(sold));
    else if (*in.hanbai != sold)
        sum.checks << u("売却価額の合計 %1 と、収入の販売金額 %2 が違います（差 %3）。")
                          .arg(yen(sold), yen(*in.hanbai), yen(sold - *in.hanbai));
    if (!offYear.isEmpty())
        sum.checks << u("売却日が %1 年の中にない売却があります。1,500 頭の数え方も二つの方法も"
                        "年ごとです。売却日か年度を確かめてください：%2")
                          .arg(in.western)
                          .arg(offYear.join(u("、")));
    if (consignedUnborn > 0)
        sum.checks << u("農協への委託で生年月日が未入力の牛が %1 頭あります。生後1年未満か"
                        "分からないため、特例の対象外としています。")
                          .arg(consignedUnborn);
    const qint64 exemptGain =
        sum.split ? sum.split->groups[ExemptGroup].gain() : sum.totals[ExemptGroup].gain;
    if (sum.totals[ExemptGroup].count > 0 && exemptGain < 0)
        sum.checks << u("免税対象飼育牛の所得は %1 の損失です。特例を受けると、この損失はほかの"
                        "所得と差し引けません。通常の課税を選ぶほうが有利なことがあります。")
                          .arg(yen(exemptGain));
    if (late > 0)
        sum.checks << u("%1より後の売却は特例の期間外としています。期間はその後延長されて"
                        "いることがあります。延長されたときは、売却牛の明細で「特例の適用期限」を"
                        "法律の日付にしてください。")
                          .arg(EraDate::written(in.lastDate));
    return sum;
}

}  // namespace SaleReport
