#include <QRandomGenerator>
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
    // The certificate's three amounts: the limit is held against the price with the grants,
    // before tax; the 5 % base takes the tax too under 税込経理 only. And the period as the
    // farmer sets it.
    void certificate() {
        using K = Fields::Keiri;
        struct Row {
            const char *name;
            qint64 price, tax, grant;
            B breed;
            QDate sold, last;
            R result;
            const char *reason;
            qint64 inclusive, exclusive;  // the head's income on each basis
        };
        const QDate jun1(2026, 6, 1), own = Judgement::ownLastDate();
        // clang-format off
        const Row rows[] = {
            {"beef, tax outside the box", 950'000, 95'000, 0, B::Beef, jun1, own, R::Exempt, "基準価額未満", 1'045'000, 950'000},
            {"cross, grant over the limit", 780'000, 78'000, 30'000, B::Cross, jun1, own, R::Taxed, "価額が基準以上", 888'000, 810'000},
            {"dairy, grant just under", 480'000, 48'000, 19'999, B::Dairy, jun1, own, R::Exempt, "基準価額未満", 547'999, 499'999},
            {"sold in 2027, the program's period", 900'000, 90'000, 0, B::Beef, QDate(2027, 3, 1), own, R::Outside, "特例の期間外", 990'000, 900'000},
            {"sold in 2027, the period set later", 900'000, 90'000, 0, B::Beef, QDate(2027, 3, 1), QDate(2029, 12, 31), R::Exempt, "基準価額未満", 990'000, 900'000},
        };
        // clang-format on
        for (const Row &r : rows) {
            SoldHead h;
            h.S_Kingaku = r.price;
            h.S_Zei = r.tax;
            h.S_Hokyu = r.grant;
            h.S_Hinsyu = r.breed;
            h.S_Uriba = P::Market;
            h.S_Jika = true;
            h.O_Date = r.sold;
            const Judgement::Verdict v = Judgement::judge(h, r.last);
            QVERIFY2(v.result == r.result && v.reason == QString::fromUtf8(r.reason),
                     qPrintable(QStringLiteral("%1: %2").arg(r.name, v.reason)));
            QCOMPARE(Judgement::income(h, K::Inclusive), r.inclusive);
            QCOMPARE(Judgement::income(h, K::Exclusive), r.exclusive);
        }
    }

    // Real ear-tag numbers pass; each one with any single digit changed fails, as does
    // anything not ten digits. Full-width digits count as their twins.
    void idNumbers() {
        const QStringList real = {"1490915461", "0861094620", "1577804244", "1657613438",
                                  "1362646332", "1251446067", "1299264371", "1094090137",
                                  "1083079037", "0396006198", "1389725782", "1381820713",
                                  "0105204730", "0179203417"};
        for (const QString &n : real) {
            QVERIFY2(Judgement::idWarning(n).isEmpty(), qPrintable(n));
            for (int i = 0; i < 10; ++i)
                for (int d = 1; d <= 9; ++d) {
                    QString wrong = n;
                    wrong[i] = QChar('0' + (n[i].unicode() - '0' + d) % 10);
                    QVERIFY2(!Judgement::idWarning(wrong).isEmpty(), qPrintable(wrong));
                }
        }
        QVERIFY(Judgement::idWarning(QString()).isEmpty());
        QVERIFY(Judgement::idWarning(QStringLiteral("１４９０９１５４６１")).isEmpty());
        for (const char *bad : {"149091546", "14909154610", "149091546x"})
            QVERIFY(!Judgement::idWarning(QString::fromLatin1(bad)).isEmpty());
    }

    // Generated years: the groups and what belongs to no sold head add up to the detail
    // statement's 所得 to the yen, whatever the costs, the prices and the basis; the costs
    // outside the heads' values are shared by income and lose at most a yen a head.
    void splitReconciles() {
        QRandomGenerator random(20261209);
        for (int year = 0; year < 200; ++year) {
            std::vector<SoldHead> heads;
            const int count = random.bounded(1, 40);
            for (int i = 0; i < count; ++i) {
                SoldHead h;
                h.No = i + 1;
                if (random.bounded(10) > 0) h.S_Kingaku = random.bounded(1, 2'000'000);
                h.S_Zei = random.bounded(100'000);
                h.S_Hokyu = random.bounded(3) == 0 ? random.bounded(50'000) : 0;
                h.S_Hinsyu = B(random.bounded(5));
                h.S_Uriba = P(random.bounded(5));
                h.S_Jika = true;
                h.O_Date = QDate(2026, 1 + random.bounded(12), 1);
                h.cost = random.bounded(1'500'000);
                heads.push_back(h);
            }
            SaleReport::Inputs in;
            in.keiri = random.bounded(2) ? Fields::Keiri::Inclusive : Fields::Keiri::Exclusive;
            in.income = random.bounded(Q_INT64_C(80'000'000));
            in.costs = random.bounded(Q_INT64_C(80'000'000)) - 10'000'000;
            const SaleReport::Summary sum = SaleReport::summarize(heads, in);
            QVERIFY(sum.split);
            const SaleReport::Split &sp = *sum.split;
            qint64 gain = sp.rest.gain();
            for (const SaleReport::Part &p : sp.groups) gain += p.gain();
            QCOMPARE(gain, *in.income - *in.costs);
            QCOMPARE(sp.statement, *in.income - *in.costs);
            QCOMPARE(sp.specific.gain(), sp.groups[0].gain() + sp.groups[1].gain());
            qint64 sold = 0;
            for (const SaleReport::Line &l : sum.lines) sold += l.income;
            // Only the sharing's dropped yen, where there was a price to share by.
            if (sold > 0) QVERIFY(qAbs(sp.rest.costs) < count);
            QCOMPARE(sp.rest.income, *in.income - sold);
            QCOMPARE(sp.groups[1].income, sum.base);
        }
    }
};

QTEST_APPLESS_MAIN(TstJudgement)
#include "tst_judgement.moc"
