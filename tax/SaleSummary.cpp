#include "SaleSummary.h"

#include <algorithm>

#include "Amount.h"

namespace SaleReport {

namespace {

QString u(const char *s) {
    return QString::fromUtf8(s);
}

QString yen(qint64 v) {
    return Amount::format(v) + QStringLiteral(" 円");
}

}  // namespace

Group Line::group() const {
    if (verdict.result == Judgement::Result::Outside) return OutsideGroup;
    return verdict.result == Judgement::Result::Exempt && !beyond ? ExemptGroup : FivePercentGroup;
}

Summary summarize(const std::vector<SoldHead> &heads, std::optional<qint64> hanbai) {
    Summary sum;
    QList<Line *> exempt;
    sum.lines.reserve(qsizetype(heads.size()));
    for (const SoldHead &h : heads) sum.lines << Line{h, Judgement::judge(h)};
    for (Line &l : sum.lines)
        if (l.verdict.result == Judgement::Result::Exempt) exempt << &l;
    // Which head count beyond the cap is the farmer's choice; the cheapest ones make the
    // least tax.
    if (exempt.size() > Cap) {
        std::stable_sort(exempt.begin(), exempt.end(), [](const Line *a, const Line *b) {
            return *a->head.S_Kingaku < *b->head.S_Kingaku;
        });
        for (qsizetype i = 0; i < exempt.size() - Cap; ++i) exempt[i]->beyond = true;
    }
    int unpriced = 0, misPriced = 0;
    bool late = false;
    qint64 sold = 0;
    for (const Line &l : sum.lines) {
        Total &t = sum.totals[l.group()];
        ++t.count;
        t.cost += l.head.cost;
        // A price of 0 or below (from a file of an earlier version) counts as none: a
        // negative one would take from the 5 % base.
        if (l.head.S_Kingaku && *l.head.S_Kingaku > 0) {
            t.price += *l.head.S_Kingaku;
            t.gain += *l.head.S_Kingaku - l.head.cost;
            sold += *l.head.S_Kingaku;
        } else {
            ++(l.head.S_Kingaku ? misPriced : unpriced);
        }
        late = late || l.verdict.reason == u("特例の期間外");
    }
    sum.base = sum.totals[FivePercentGroup].price;
    sum.tax = sum.base * 5 / 100;

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
            << u("5 % のもとにする売却価額が消費税を含むかどうかは、経理の方式（税込・税抜）"
                 "によります。この表は入力された売却証明書の価額をそのまま使っています。");
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

    if (!hanbai)
        sum.checks << u("売却価額の合計は %1 です。収入の販売金額は未入力です。").arg(yen(sold));
    else if (*hanbai != sold)
        sum.checks << u("売却価額の合計 %1 と、収入の販売金額 %2 が違います（差 %3）。")
                          .arg(yen(sold), yen(*hanbai), yen(sold - *hanbai));
    if (late) {
        const QDate last = Judgement::lastDate();
        sum.checks << u("%1年%2月%3日より後の売却は特例の期間外としています。"
                        "期間はその後延長されていることがあります。")
                          .arg(last.year())
                          .arg(last.month())
                          .arg(last.day());
    }
    return sum;
}

}  // namespace SaleReport
