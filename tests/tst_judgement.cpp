#include <QtTest>

#include "Judgement.h"
#include "SaleSummary.h"

using B = SoldHead::Hinsyu;
using P = SoldHead::Saki;
using R = Judgement::Result;

class TstJudgement : public QObject {
    Q_OBJECT
  private slots:
    void table() {
        const QDate none;
        // Unless a row says otherwise: bought 1 March, sold 1 June 2026 at a market.
        struct Row {
            const char *name;
            std::optional<qint64> price;
            B breed;
            bool registered, homeBred;
            P place;
            QDate bought, sold, born;
            R result;
            const char *reason;
        };
        const QDate mar1(2026, 3, 1), jun1(2026, 6, 1);
        // clang-format off
        const Row rows[] = {
            {"beef under", 999'999, B::Beef, false, false, P::Market, mar1, jun1, none, R::Exempt, "基準価額未満"},
            {"beef at limit", 1'000'000, B::Beef, false, false, P::Market, mar1, jun1, none, R::Taxed, "価額が基準以上"},
            {"cross under", 799'999, B::Cross, false, false, P::Market, mar1, jun1, none, R::Exempt, "基準価額未満"},
            {"cross at limit", 800'000, B::Cross, false, false, P::Market, mar1, jun1, none, R::Taxed, "価額が基準以上"},
            {"dairy under", 499'999, B::Dairy, false, false, P::Market, mar1, jun1, none, R::Exempt, "基準価額未満"},
            {"dairy at limit", 500'000, B::Dairy, false, false, P::Market, mar1, jun1, none, R::Taxed, "価額が基準以上"},
            {"registered beef", 3'000'000, B::Beef, true, false, P::Market, mar1, jun1, none, R::Exempt, "高等登録"},
            {"registered cross", 3'000'000, B::Cross, true, false, P::Market, mar1, jun1, none, R::Taxed, "価額が基準以上"},
            {"kept 2 months - 1 day", 900'000, B::Beef, false, false, P::Market, mar1, QDate(2026, 4, 30), none, R::Outside, "飼育2か月未満"},
            {"kept 2 months", 900'000, B::Beef, false, false, P::Market, mar1, QDate(2026, 5, 1), none, R::Exempt, "基準価額未満"},
            {"home-bred after a week", 900'000, B::Beef, false, true, P::Market, QDate(2026, 5, 25), jun1, none, R::Exempt, "基準価額未満"},
            {"bought, no I_Date", 900'000, B::Beef, false, false, P::Market, none, jun1, none, R::Outside, "導入日が未入力"},
            {"sold elsewhere", 900'000, B::Beef, false, false, P::Other, mar1, jun1, none, R::Outside, "売却先がその他"},
            {"place empty", 900'000, B::Beef, false, false, P::Unset, mar1, jun1, none, R::Outside, "売却先が未入力"},
            {"consigned at 364 days", 900'000, B::Beef, false, false, P::Consigned, mar1, jun1, QDate(2025, 6, 2), R::Exempt, "基準価額未満"},
            {"consigned at one year", 900'000, B::Beef, false, false, P::Consigned, mar1, jun1, QDate(2025, 6, 1), R::Outside, "農協への委託で生後1年以上"},
            {"consigned, no birth", 900'000, B::Beef, false, false, P::Consigned, mar1, jun1, none, R::Outside, "農協への委託で生年月日が未入力"},
            {"breeding stock", 300'000, B::Outside, false, false, P::Market, mar1, jun1, none, R::Outside, "特例の対象外の牛"},
            {"no breed", 300'000, B::Unset, false, false, P::Market, mar1, jun1, none, R::Taxed, "品種区分が未入力"},
            {"no price", std::nullopt, B::Beef, false, false, P::Market, mar1, jun1, none, R::Taxed, "売却価額が未入力"},
            {"period's last day", 900'000, B::Beef, false, false, P::Market, mar1, QDate(2026, 12, 31), none, R::Exempt, "基準価額未満"},
            {"day after the period", 900'000, B::Beef, false, false, P::Market, mar1, QDate(2027, 1, 1), none, R::Outside, "特例の期間外"},
            // Entries no window takes, from files of earlier versions: never exempt.
            {"negative price", -500'000, B::Beef, false, false, P::Market, mar1, jun1, none, R::Taxed, "売却価額が0円以下"},
            {"price 0", 0, B::Dairy, false, false, P::Market, mar1, jun1, none, R::Taxed, "売却価額が0円以下"},
            {"sold before bought", 900'000, B::Beef, false, false, P::Market, QDate(2026, 6, 2), jun1, none, R::Outside, "日付が合わない（売却日が導入日より前）"},
            {"consigned, born after the sale", 900'000, B::Beef, false, false, P::Consigned, mar1, QDate(2026, 5, 20), QDate(2026, 12, 1), R::Outside, "日付が合わない（生年月日が売却日より後）"},
            {"bought in before its birth", 900'000, B::Beef, false, false, P::Market, mar1, jun1, QDate(2026, 3, 2), R::Outside, "日付が合わない（生年月日が導入日より後）"},
            {"home-bred, born after its dam's service", 900'000, B::Beef, false, true, P::Consigned, mar1, jun1, QDate(2026, 3, 2), R::Exempt, "基準価額未満"},
        };
        // clang-format on
        for (const Row &r : rows) {
            SoldHead h;
            h.S_Kingaku = r.price;
            h.S_Hinsyu = r.breed;
            h.S_Touroku = r.registered;
            h.S_Jika = r.homeBred;
            h.S_Uriba = r.place;
            h.I_Date = r.bought;
            h.O_Date = r.sold;
            h.S_Birth = r.born;
            const Judgement::Verdict v = Judgement::judge(h, Judgement::ownLastDate());
            QVERIFY2(
                v.result == r.result && v.reason == QString::fromUtf8(r.reason),
                qPrintable(
                    QStringLiteral("%1: %2 %3").arg(r.name, Judgement::label(v.result), v.reason)));
            // No price of 0 or below in the report's totals: a negative one would cut the base.
            const SaleReport::Summary sum = SaleReport::summarize({h}, {});
            QCOMPARE(sum.totals[sum.lines[0].group()].price, r.price > 0 ? *r.price : 0);
        }
    }
};

QTEST_APPLESS_MAIN(TstJudgement)
#include "tst_judgement.moc"
