#include <QTableWidget>
#include <QtTest>

#include "BarChart.h"
#include "Clock.h"
#include "Frm_YearList.h"
#include "MsgBox.h"
#include "TestYear.h"

namespace {

// One row of the grid as it reads, cells joined by "|".
QString gridRow(QTableWidget *grid, int r) {
    QStringList cells;
    for (int c = 0; c < grid->columnCount(); ++c)
        cells << (grid->item(r, c) ? grid->item(r, c)->text() : QString());
    return cells.join(QLatin1Char('|'));
}

}  // namespace

class TstYearList : public QObject {
    Q_OBJECT

  private slots:
    void initTestCase() { MsgBox::setHeadless(true); }

    // Two years side by side with the work window's figures, a damaged file and a file
    // that is not ours named with "読めません", the template left out; nothing written.
    void overview() {
        TestYear y13;  // current year, worked example totals
        y13.exec(QStringLiteral("INSERT INTO T_Cost (Sozei, Nidukuri) VALUES (2950000, 50000)"));
        y13.exec(QStringLiteral("INSERT INTO T_Proseed (Hanbai) VALUES (2500000)"));
        y13.exec(QStringLiteral(
            "INSERT INTO T_Cow (No, Syori, Hiikutuki, I_Kingaku, Kimatu) VALUES "
            "(1, 2, 12, NULL, 1476912), (2, 1, 9, 400000, 1282684), (3, 3, 5, NULL, 0)"));
        QString error;
        QVERIFY(YearFiles::createFromTemplate(QStringLiteral("cowdata14.mdb"), &error));
        QVERIFY(YearFiles::createFromTemplate(YearFiles::TemplateName, &error));
        {
            QFile junk(QStringLiteral("cowdata12.mdb"));
            QVERIFY(junk.open(QIODevice::WriteOnly));
            junk.write("this is not a year file");
        }
        sqlRows(QStringLiteral("cowdata15.mdb"),
                {QStringLiteral("CREATE TABLE T_Cow (No INTEGER)")}, &error);
        QVERIFY2(error.isEmpty(), qPrintable(error));
        QStringList names = {"cowdata12.mdb", "cowdata13.mdb", "cowdata14.mdb", "cowdata15.mdb"};
        QList<QByteArray> before;
        for (const QString &n : names) before << bytesOf(n);

        Frm_YearList w(theYear().fileName());
        w.show();
        auto *grid = w.findChild<QTableWidget *>("grid_Years");
        QCOMPARE(grid->rowCount(), 4);
        QCOMPARE(gridRow(grid, 0), QStringLiteral("cowdata12.mdb|読めません||||||"));
        QCOMPARE(gridRow(grid, 1),
                 QStringLiteral("平成13|3|3,000,000|2,500,000|2,550,000|26|98,076|2,759,596"));
        QCOMPARE(gridRow(grid, 2), QStringLiteral("平成14|0|0|0|0|0|0|0"));
        QCOMPARE(gridRow(grid, 3), QStringLiteral("cowdata15.mdb|読めません||||||"));
        QVERIFY(grid->item(1, 0)->font().bold());  // the current year
        // A wide window's table is filled by its columns, not left with a bare strip.
        w.resize(1600, 600);
        QCoreApplication::processEvents();
        int filled = 0;
        for (int c = 0; c < grid->columnCount(); ++c) filled += grid->columnWidth(c);
        QCOMPARE(filled, grid->viewport()->width());

        const auto *chart = w.findChild<BarChart *>("chart_TukiHiiku");
        QCOMPARE(chart->bars().size(), 2);
        QCOMPARE(chart->bars().value(0).label, QStringLiteral("平成13"));
        QCOMPARE(chart->bars().value(0).value, 98076);

        // Enter and a double click on a row switch nothing and keep the window open.
        grid->setFocus();
        grid->selectRow(2);
        QTest::keyClick(grid, Qt::Key_Return);
        QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {},
                           grid->visualRect(grid->model()->index(2, 0)).center());
        QVERIFY(w.isVisible());
        QCOMPARE(theYear().fileName(), QStringLiteral("cowdata13.mdb"));
        w.close();
        for (int i = 0; i < names.size(); ++i) QCOMPARE(bytesOf(names[i]), before[i]);
        QVERIFY(MsgBox::shown().isEmpty());
    }

    // Years in calendar order under their era names, whatever the two digits sort as;
    // only files the program names are years. Each row is one file of the same folder:
    // its calves' dates, its label and its place (-1: not listed).
    void calendarOrder_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("label");
        QTest::addColumn<int>("place");
        QTest::newRow("平成 file with 2018 dates") << "cowdata30.mdb"
                                                   << "平成30" << 1;
        QTest::newRow("平成31 before the 令和 years") << "cowdata31.mdb"
                                                      << "平成31" << 2;
        QTest::newRow("01 with dates past 2019-05-01") << "cowdata01.mdb"
                                                       << "令和元" << 3;
        QTest::newRow("02 after 01") << "cowdata02.mdb"
                                     << "令和2" << 4;
        QTest::newRow("no dates: the reading not in the future") << "cowdata03.mdb"
                                                                 << "令和3" << 5;
        QTest::newRow("1993 dates: 平成5, though 令和5 is past too") << "cowdata05.mdb"
                                                                     << "平成5" << 0;
        QTest::newRow("a file manager's copy") << "cowdata30 (copy).mdb"
                                               << "" << -1;
        QTest::newRow("letters for digits") << "cowdataピー.mdb"
                                            << "" << -1;
        QTest::newRow("three digits") << "cowdata123.mdb"
                                      << "" << -1;
    }
    void calendarOrder() {
        QFETCH(QString, file);
        QFETCH(QString, label);
        QFETCH(int, place);
        WorkingFolder dir;
        Clock::setToday(QDate(2024, 6, 1));
        const QList<std::pair<QString, QString>> files = {
            {"cowdata05.mdb", "('1992-04-01', '1993-02-01')"},
            {"cowdata30.mdb", "('2017-04-02', '2018-11-20'), ('2018-01-05', NULL)"},
            {"cowdata30 (copy).mdb", "('2017-04-02', '2018-11-20')"},
            {"cowdata31.mdb", "('2018-05-01', '2019-03-15')"},
            {"cowdata01.mdb", "('2018-08-01', NULL), (NULL, '2019-10-01')"},
            {"cowdata02.mdb", "('2019-07-07', '2020-09-09')"},
            {"cowdata03.mdb", ""},
            {"cowdataピー.mdb", ""},
            {"cowdata123.mdb", ""}};
        for (const auto &[name, dates] : files) {
            QString error;
            QVERIFY2(YearFiles::createFromTemplate(name, &error), qPrintable(error));
            if (dates.isEmpty()) continue;
            sqlRows(name, {"INSERT INTO T_Cow (I_Date, O_Date) VALUES " + dates}, &error);
            QVERIFY2(error.isEmpty(), qPrintable(error));
        }
        QStringList listed;
        for (const Frm_YearList::Year &y : Frm_YearList::readYears()) listed << y.fileName;
        Frm_YearList w(QStringLiteral("cowdata03.mdb"));
        Clock::setToday(QDate());
        QCOMPARE(listed.indexOf(file), place);
        if (place < 0) return;
        auto *grid = w.findChild<QTableWidget *>("grid_Years");
        QCOMPARE(grid->item(place, 0)->text(), label);
        QCOMPARE(w.findChild<BarChart *>("chart_TukiHiiku")->bars().value(place).label, label);
        QVERIFY(MsgBox::shown().isEmpty());
    }

    // The value axis covers every bar and 0 in round steps, so no bar leaves the plot.
    void axisTicks_data() {
        QTest::addColumn<qint64>("low");
        QTest::addColumn<qint64>("high");
        QTest::addColumn<QList<qint64>>("ticks");
        QTest::newRow("one year") << qint64(98076) << qint64(98076)
                                  << QList<qint64>{0, 20000, 40000, 60000, 80000, 100000};
        QTest::newRow("all zero") << qint64(0) << qint64(0) << QList<qint64>{0, 1};
        QTest::newRow("negative cost")
            << qint64(-33) << qint64(0) << QList<qint64>{-40, -30, -20, -10, 0};
        QTest::newRow("both signs")
            << qint64(-120) << qint64(480) << QList<qint64>{-200, 0, 200, 400, 600};
        QTest::newRow("beyond 32 bits")
            << qint64(0) << qint64(7'000'000'000)
            << QList<qint64>{0, 2'000'000'000, 4'000'000'000, 6'000'000'000, 8'000'000'000};
    }
    void axisTicks() {
        QFETCH(qint64, low);
        QFETCH(qint64, high);
        QFETCH(QList<qint64>, ticks);
        QCOMPARE(BarChart::ticks(low, high), ticks);
    }

    // A bar is drawn where its value says: the middle of the tallest bar is in the bar
    // colour, and the middle of the empty space above the shorter one is not.
    void barsDrawn() {
        BarChart chart(QStringLiteral("１頭１月肥育（円）"), QStringLiteral("年度"));
        chart.resize(400, 300);
        chart.setBars({{QStringLiteral("13"), 100000}, {QStringLiteral("14"), 20000}});
        const QImage image = chart.grab().toImage();
        const QColor bar = chart.palette().color(QPalette::Highlight);
        QCOMPARE(image.pixelColor(image.width() * 3 / 8, image.height() / 2), bar);
        QVERIFY(image.pixelColor(image.width() * 7 / 8, image.height() / 3) != bar);
    }
};

QTEST_MAIN(TstYearList)
#include "tst_yearlist.moc"
