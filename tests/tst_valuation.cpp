#include <QtTest>

#include "FatteningMonths.h"
#include "TestYear.h"
#include "Valuation.h"
#include "YearFile.h"

// Each row: one calf as stored, the per-head monthly cost, and what the valuation leaves.
class TstValuation : public QObject {
    Q_OBJECT
  private slots:
    void fatteningMonths_data();
    void fatteningMonths();
    void monthMarks_data();
    void monthMarks();
    void oneCalf_data();
    void oneCalf();
    void secondRunWritesNothing();
    void refusesWithoutTouchingTheFile_data();
    void refusesWithoutTouchingTheFile();
};

void TstValuation::fatteningMonths_data() {
    QTest::addColumn<QDate>("start");
    QTest::addColumn<QDate>("end");
    QTest::addColumn<int>("status");
    QTest::addColumn<int>("months");
    const QDate none;
    QTest::newRow("bought on the last of January") << QDate(2001, 1, 31) << none << 1 << 12;
    QTest::newRow("bought in December") << QDate(2001, 12, 1) << none << 1 << 1;
    QTest::newRow("bought, the end date does not count")
        << QDate(2001, 4, 1) << QDate(2001, 6, 1) << 1 << 9;
    QTest::newRow("fattening whatever the dates") << none << none << 2 << 12;
    QTest::newRow("sold in January of another year")
        << QDate(2001, 4, 1) << QDate(2003, 1, 9) << 3 << 1;
    QTest::newRow("died in July") << QDate(2001, 4, 1) << QDate(2001, 7, 30) << 4 << 7;
    QTest::newRow("status 0") << QDate(2001, 4, 1) << QDate(2001, 7, 30) << 0 << 0;
    QTest::newRow("status 5") << QDate(2001, 4, 1) << QDate(2001, 7, 30) << 5 << 0;
    QTest::newRow("negative status") << QDate(2001, 4, 1) << QDate(2001, 7, 30) << -1 << 0;
}

void TstValuation::fatteningMonths() {
    QFETCH(QDate, start);
    QFETCH(QDate, end);
    QFETCH(int, status);
    QFETCH(int, months);
    QCOMPARE(int(FatteningMonths(start, end, qint16(status))), months);
}

void TstValuation::monthMarks_data() {
    QTest::addColumn<int>("month");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("marks");  // F1..F12, "." for empty
    QTest::newRow("bought in March") << 3 << 1 << "..買.........";
    QTest::newRow("fattening") << 12 << 2 << "............";
    QTest::newRow("sold in December") << 12 << 3 << "...........売";
    QTest::newRow("died in January") << 1 << 4 << "死...........";
    QTest::newRow("no month") << 0 << 3 << "............";
    QTest::newRow("month 13") << 13 << 1 << "............";
    QTest::newRow("unknown status") << 5 << 9 << "............";
}

void TstValuation::monthMarks() {
    QFETCH(int, month);
    QFETCH(int, status);
    QFETCH(QString, marks);
    QString got;
    for (const QString &m : SetMonthMark(month, status)) {
        QVERIFY(!m.isNull());
        got += m.isEmpty() ? QStringLiteral(".") : m;
    }
    QCOMPARE(got, marks);
}

namespace {
// "HiikuKingaku|Kimatu|F1|…|F12"; months without a mark are empty text, or NULL for a
// calf whose marks the valuation leaves alone.
QString valued(const QString &hiiku, const QString &kimatu, QMap<int, QString> marks = {},
               bool untouched = false) {
    QStringList cells = {hiiku, kimatu};
    for (int m = 1; m <= 12; ++m)
        cells << marks.value(m, untouched ? QStringLiteral("NULL") : QString());
    return cells.join(QLatin1Char('|'));
}
}  // namespace

void TstValuation::oneCalf_data() {
    // Every calf starts with Kimatu 777 and stale marks "x" in F1 and "死" in F6.
    QTest::addColumn<QString>("calf");  // Syori, Hiikutuki, I_Kingaku, Kisyu, I_Date, O_Date
    QTest::addColumn<int>("perHead");
    QTest::addColumn<QString>("result");
    const QString buy = QStringLiteral("買");
    QTest::newRow("bought in March") << "1, 10, 400000, NULL, '2001-03-15', NULL" << 1000
                                     << valued("10000", "410000", {{3, buy}});
    QTest::newRow("fattening clears old marks")
        << "2, 12, 0, 300000, '2001-03-15', NULL" << 98076 << valued("1176912", "1476912");
    QTest::newRow("sold keeps its months' amount")
        << "3, 5, 1, 1, '2001-03-15', '2001-05-20'" << 98076 << valued("490380", "0", {{5, "売"}});
    QTest::newRow("sold in December")
        << "3, 12, 1, 1, '2001-03-15', '2001-12-31'" << 1 << valued("12", "0", {{12, "売"}});
    QTest::newRow("per-head cost 0")
        << "2, 12, 0, 300000, '2001-03-15', NULL" << 0 << valued("0", "300000");
    QTest::newRow("negative cost")
        << "1, 3, 1000, NULL, '2001-10-01', NULL" << -33 << valued("-99", "901", {{10, buy}});
    QTest::newRow("empty months") << "1, NULL, 1000, NULL, '2001-10-01', NULL" << 10
                                  << valued("NULL", "NULL", {{10, buy}});
    QTest::newRow("empty purchase amount")
        << "1, 3, NULL, NULL, '2001-10-01', NULL" << 10 << valued("30", "NULL", {{10, buy}});
    QTest::newRow("bought, no date: saved, no mark")
        << "1, 3, 100, NULL, NULL, NULL" << 10 << valued("30", "130");
    QTest::newRow("died, no date: saved, no mark")
        << "4, 3, 100, NULL, NULL, NULL" << 10 << valued("30", "0");
    const QMap<int, QString> stale = {{1, "x"}, {6, QStringLiteral("死")}};
    QTest::newRow("unknown status: only the amount")
        << "9, 4, 100, 100, '2001-01-01', NULL" << 10 << valued("40", "777", stale, true);
    QTest::newRow("empty status: only the amount")
        << "NULL, 4, 100, 100, '2001-01-01', NULL" << 10 << valued("40", "777", stale, true);
}

void TstValuation::oneCalf() {
    QFETCH(QString, calf);
    QFETCH(int, perHead);
    QFETCH(QString, result);
    TestYear year;
    year.exec(
        "INSERT INTO T_Cow (Syori, Hiikutuki, I_Kingaku, Kisyu, I_Date, O_Date, Kimatu, F1, F6) "
        "VALUES (" +
        calf + ", 777, 'x', '死')");
    QString error;
    // Every row starts stale; counting and writing follow one rule.
    QCOMPARE(Cal_Cow_Changes(*theYear().wk()->file(), perHead, &error), 1);
    QVERIFY2(Cal_Cow(*theYear().wk()->file(), perHead, &error), qPrintable(error));
    QCOMPARE(Cal_Cow_Changes(*theYear().wk()->file(), perHead, &error), 0);
    QCOMPARE(
        year.text("SELECT HiikuKingaku, Kimatu, F1, F2, F3, F4, F5, F6, F7, F8, F9, F10, F11, F12 "
                  "FROM T_Cow"),
        result);
}

void TstValuation::secondRunWritesNothing() {
    TestYear year;
    year.exec(
        "INSERT INTO T_Cow (Syori, Hiikutuki, I_Kingaku, Kisyu, I_Date, O_Date) VALUES "
        "(1, 9, 400000, NULL, '2001-04-01', NULL), (2, 12, 0, 300000, NULL, NULL), "
        "(3, 5, NULL, NULL, '2000-01-01', '2001-05-01')");
    QString error;
    QVERIFY(Cal_Cow(*theYear().wk()->file(), 98076, &error));
    const QByteArray once = year.bytes();
    QVERIFY(Cal_Cow(*theYear().wk()->file(), 98076, &error));
    QCOMPARE(year.bytes(), once);
}

void TstValuation::refusesWithoutTouchingTheFile_data() {
    // The first calf always fits: a run that wrote it before failing would show.
    QTest::addColumn<QString>("calves");  // Syori, Hiikutuki, I_Kingaku, Kisyu, I_Date, O_Date
    QTest::addColumn<int>("perHead");     // -1: no per-head cost could be worked out
    QTest::newRow("fattening amount beyond 32 bits")
        << "(2, 1, 0, 0, NULL, NULL), (2, 12, 0, 0, NULL, NULL)" << 200000000;
    QTest::newRow("closing value beyond 32 bits")
        << "(1, 1, 0, NULL, '2001-01-01', NULL), (1, 1, 2147483647, NULL, '2001-01-01', NULL)" << 1;
    QTest::newRow("no per-head cost") << "(2, 12, 0, 0, NULL, NULL)" << -1;
}

void TstValuation::refusesWithoutTouchingTheFile() {
    QFETCH(QString, calves);
    QFETCH(int, perHead);
    TestYear year;
    year.exec("INSERT INTO T_Cow (Syori, Hiikutuki, I_Kingaku, Kisyu, I_Date, O_Date) VALUES " +
              calves);
    const QByteArray before = year.bytes();
    QString error;
    QVERIFY(!Cal_Cow(*theYear().wk()->file(),
                     perHead < 0 ? std::nullopt : std::optional<qint32>(perHead), &error));
    QVERIFY(!error.isEmpty());
    QCOMPARE(year.bytes(), before);
}

QTEST_MAIN(TstValuation)
#include "tst_valuation.moc"
