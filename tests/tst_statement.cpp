#include <QtTest>

#include "Statement.h"
#include "TestYear.h"

// A row's totals as the work window parses its fields.
Frm_Wk::Totals parsed(const QStringList &t) {
    Frm_Wk::Totals r;
    r.Syuunyuu = Frm_Wk::number(t[0]), r.Keihi = Frm_Wk::number(t[1]);
    r.KisyuKei = Frm_Wk::number(t[2]), r.Zensiryou = Frm_Wk::number(t[3]);
    r.KimatuKei = Frm_Wk::number(t[4]), r.Konsiryou = Frm_Wk::number(t[5]);
    r.Ikusei = Frm_Wk::number(t[6]);
    return r;
}

// The detail statement's figures, without a window: the CSV export and the printed form
// both read them from here.
class TestStatement : public QObject {
    Q_OBJECT
  private slots:

    void figures_data() {
        QTest::addColumn<QStringList>("texts");
        QTest::addColumn<QString>("expected");  // lines 5, 23, 24, 25, 27, 28; "-" empty
        QTest::addColumn<QString>("missing");   // as a refusal names it
        // Syuunyuu, Keihi, KisyuKei, Zensiryou, KimatuKei, Konsiryou, Ikusei
        QTest::newRow("feed stocks and rearing")
            << QStringList{"10000", "5000", "1000", "100", "1500", "40", "200"}
            << "10000 5000 1100 1540 4360 5640"
            << "";
        QTest::newRow("costs above income")
            << QStringList{"3000", "5000", "1000", "100", "1500", "40", "200"}
            << "3000 5000 1100 1540 4360 -1360"
            << "";
        QTest::newRow("empty totals count as 0")
            << QStringList{"", "5000", "1000", "", "", "", ""} << "0 5000 1000 0 6000 -6000"
            << "";
        QTest::newRow("separators and fractions read like the windows")
            << QStringList{"1,000.5", "2,000", "0", "0", "0", "0", "0"}
            << "1000 2000 0 0 2000 -1000"
            << "";
        QTest::newRow("a big farm's sums pass 32 bits")
            << QStringList{"2000000000", "300000000", "2100000000", "0", "2399988000", "0", "0"}
            << "2000000000 300000000 2100000000 2399988000 12000 1999988000"
            << "";
        QTest::newRow("line 24 overflows: it and the rest empty")
            << QStringList{"1", "2", "9223372036854775807", "1", "0", "0", "0"} << "1 2 - - - -"
            << "「棚卸（期首）」（24 行目）";
        QTest::newRow("line 27 overflows on its last term")
            << QStringList{"1", "-9223372036854775808", "0", "0", "0", "0", "1"}
            << "1 -9223372036854775808 0 0 - -"
            << "「計（23＋24－25－26）」（27 行目）";
        QTest::newRow("line 28 overflows alone")
            << QStringList{"-2", "9223372036854775807", "0", "0", "0", "0", "0"}
            << "-2 9223372036854775807 0 0 9223372036854775807 -"
            << "「差引金額（5－27）」（28 行目）";
        QTest::newRow("a total that is not a number stops there")
            << QStringList{"1", "x", "0", "0", "0", "0", "0"} << "1 - - - - -"
            << "「小計」（23 行目）";
    }
    void figures() {
        QFETCH(QStringList, texts);
        QFETCH(QString, expected);
        QFETCH(QString, missing);
        const Frm_Wk::Totals totals = parsed(texts);
        const Statement::Figures f = Statement::figures(totals);
        QStringList got;
        for (const auto &v : {f.kei1, f.kei2, f.kisyu, f.kimatu, f.kei3, f.kei4})
            got << (v ? QString::number(*v) : QStringLiteral("-"));
        QCOMPARE(got.join(QLatin1Char(' ')), expected);
        // Stored lines left empty are not figures that failed.
        QCOMPARE(Statement::missing(Statement::lines({}, totals)), missing);
    }

    // Stored names and amounts reach their lines from the year file; empty stays empty.
    void linesFromTheYearFile() {
        TestYear year;
        year.exec(QStringLiteral(
            "INSERT INTO T_Proseed (Hanbai, Etc2_Name, Etc2) VALUES (900, '補助金', 30)"));
        year.exec(
            QStringLiteral("INSERT INTO T_Cost (Sozei, Zatu, Etc1, Etc4_Name, Etc4, Ikusei) VALUES "
                           "(7, 8, 9, '燃料', 11, 12)"));
        theYear().follow(YearFile::Change::All);
        QList<Statement::Line> lines;
        QString error;
        QVERIFY2(Statement::compute(*theYear().wk(), &lines, &error), qPrintable(error));
        QCOMPARE(lines.size(), 28);
        QStringList got;
        for (const auto &l : lines)
            got << QStringLiteral("%1:%2=%3")
                       .arg(l.number)
                       .arg(l.name, l.amount ? QString::number(*l.amount) : QString());
        QCOMPARE(got.join(QLatin1Char(' ')),
                 QStringLiteral(
                     "1:販売金額=900 2:雑収入= 3:= 4:補助金=30 5:計=930 6:租税公課=7 7:素畜費= "
                     "8:飼料費= 9:衛生費= 10:諸材料費= 11:修繕費= 12:動力光熱費= 13:家畜共済掛金= "
                     "14:減価償却費= 15:荷造運賃手数料= 16:利子割引料= 17:専従者給与= 18:雑費=8 "
                     "19:=9 20:= 21:= 22:燃料=11 23:小計=35 24:棚卸（期首）=0 25:棚卸（期末）=0 "
                     "26:育成費用=12 27:計（23＋24－25－26）=23 28:差引金額（5－27）=907"));
    }
};

QTEST_GUILESS_MAIN(TestStatement)
#include "tst_statement.moc"
