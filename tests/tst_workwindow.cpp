#include <QSignalSpy>
#include <QSqlQuery>
#include <QtTest>
#include <memory>

#include "DataSource.h"
#include "Frm_Wk.h"
#include "M_Cow.h"
#include "MsgBox.h"
#include "WindowTest.h"
#include "YearFile.h"
#include "YearFiles.h"

namespace {

// Every field, in a fixed order, to compare all of them at once.
QStringList fields(const Frm_Wk &w) {
    return {w.t_Nendo,     w.t_Keihi,           w.t_Syuunyuu,   w.t_Mototiku,     w.t_Tesuu,
            w.t_KisyuKei,  w.t_HiikukingakuKei, w.t_KimatuKei,  w.t_HiikuTukiKei, w.t_Zensiryou,
            w.t_Konsiryou, w.t_Ikusei,          w.t_NendoHiiku, w.t_TukiHiiku};
}

}  // namespace

class TstWorkWindow : public QObject {
    Q_OBJECT
    std::unique_ptr<WindowTest> year_;

  private slots:
    void init() { year_ = std::make_unique<WindowTest>(TestYear::Start::Made); }
    void cleanup() { year_.reset(); }

    void calWk_data() {
        QTest::addColumn<QStringList>("totals");  // 年間経費, 種付・素畜費, 販売手数料, 肥育月数計
        QTest::addColumn<QString>("nendo");  // 年度肥育費
        QTest::addColumn<QString>("tuki");   // １頭１月肥育
        QTest::newRow("worked example")
            << QStringList{"3000000", "400000", "50000", "26"} << "2550000"
            << "98076";
        QTest::newRow("negative: toward zero") << QStringList{"0", "1000", "", "30"} << "-1000"
                                               << "-33";
        QTest::newRow("negative months") << QStringList{"1000", "", "", "-3"} << "1000"
                                         << "-333";
        QTest::newRow("no months") << QStringList{"500000", "100000", "", "0"} << "400000"
                                   << "0";
        QTest::newRow("empty counts as 0") << QStringList{"", "", "", ""} << "0"
                                           << "0";
        QTest::newRow("with separators")
            << QStringList{"3,000,000", "400,000", "50,000", "26"} << "2550000"
            << "98076";
        QTest::newRow("lowest 32-bit result")
            << QStringList{"-2147483647", "1", "", "1"} << "-2147483648"
            << "-2147483648";
        // A big farm's totals pass 32 bits; only the per-head cost must fit a calf.
        QTest::newRow("result below 32 bits")
            << QStringList{"-2147483648", "1", "", "1"} << "-2147483649"
            << "";
        QTest::newRow("result above 32 bits")
            << QStringList{"2147483647", "-1", "", "1"} << "2147483648"
            << "";
        QTest::newRow("total above 32 bits")
            << QStringList{"3,000,000,000", "", "", "10"} << "3000000000"
            << "300000000";
        QTest::newRow("quotient above 32 bits")
            << QStringList{"-2147483648", "", "", "-1"} << "-2147483648"
            << "";
        QTest::newRow("difference overflows 64 bits")
            << QStringList{"9223372036854775807", "-1", "", "1"} << ""
            << "";
        QTest::newRow("64-bit min over -1")
            << QStringList{"-9223372036854775807", "1", "", "-1"} << "-9223372036854775808"
            << "";
        QTest::newRow("total not a number") << QStringList{"1,2,3", "", "", "1"} << ""
                                            << "";
        QTest::newRow("months not a number") << QStringList{"100", "", "", "x"} << "100"
                                             << "";
    }
    void calWk() {
        QFETCH(QStringList, totals);
        QFETCH(QString, nendo);
        QFETCH(QString, tuki);
        QString error;
        QVERIFY2(theYear().open(Y13, &error), qPrintable(error));
        Frm_Wk *wk = theYear().wk();
        wk->t_Keihi = totals[0];
        wk->t_Mototiku = totals[1];
        wk->t_Tesuu = totals[2];
        wk->t_HiikuTukiKei = totals[3];
        wk->Cal_Wk();
        QCOMPARE(wk->t_NendoHiiku, nendo);
        QCOMPARE(wk->t_TukiHiiku, tuki);
        // Readers take the figures just computed; an empty one could not be computed.
        for (const auto &[field, text] :
             {std::pair{&Frm_Wk::t_NendoHiiku, nendo}, std::pair{&Frm_Wk::t_TukiHiiku, tuki}}) {
            const auto figure = wk->value(field);
            QCOMPARE(figure ? QString::number(*figure) : QString(), text);
        }
    }

    void load_data() {
        QTest::addColumn<QStringList>("statements");
        QTest::addColumn<QStringList>("expected");  // in the order of fields()
        QTest::newRow("empty year") << QStringList() << QStringList{"13", "", "", "", "", "",  "",
                                                                    "",   "", "", "", "", "0", "0"};
        QTest::newRow("worked example")
            << QStringList{"INSERT INTO T_Cow (I_Kingaku, Kisyu, Hiikutuki, HiikuKingaku, Kimatu) "
                           "VALUES (300000, NULL, 10, 1000, 301000), "
                           "(100000, 200000, 12, 2000, 202000), (NULL, NULL, 4, NULL, 0)",
                           "INSERT INTO T_Cost (Sozei, Nidukuri, Zensiryou, Konsiryou, Ikusei) "
                           "VALUES (2950000, 50000, 70000, 80000, 90000)",
                           // Only the first expense record holds the fee and the stocks.
                           "INSERT INTO T_Cost (Nidukuri, Zensiryou) VALUES (1, 2)",
                           "INSERT INTO T_Proseed (Hanbai, Zatu) VALUES (1500000, 500)"}
            << QStringList{"13",    "3000001", "1500500", "400000", "50000",
                           "200000", "3000",   "503000",  "26",     "70000",
                           "80000", "90000",   "2550001", "98076"};
    }
    void load() {
        QFETCH(QStringList, statements);
        QFETCH(QStringList, expected);
        sqlExec(Y13, statements);
        QString error;
        // Another year in the folder must not be the one read.
        QVERIFY(YearFiles::createFromTemplate("cowdata12.mdb", &error));
        QVERIFY2(theYear().open(Y13, &error), qPrintable(error));
        QCOMPARE(fields(*theYear().wk()), expected);

        // Loading again replaces the loaded one and follows the current file.
        QVERIFY2(theYear().open("cowdata12.mdb", &error), qPrintable(error));
        QCOMPARE(theYear().wk()->t_Nendo + theYear().wk()->t_Keihi, QStringLiteral("12"));
    }

    void load_refusesDamagedFile() {
        sqlExec(Y13, {"DROP VIEW Q_Cost_Ikusei"});
        QString error;
        QVERIFY(!theYear().open(Y13, &error));
        QVERIFY2(error.contains(Y13) && error.contains("Q_Cost_Ikusei"), qPrintable(error));
        QCOMPARE(theYear().wk(), nullptr);

        // A reload that fails keeps the loaded work window on its own year.
        QVERIFY(YearFiles::createFromTemplate("cowdata12.mdb", &error));
        QVERIFY2(theYear().open("cowdata12.mdb", &error), qPrintable(error));
        const Frm_Wk *loaded = theYear().wk();
        QVERIFY(!theYear().open(Y13, &error));
        QCOMPARE(theYear().wk(), loaded);
        QCOMPARE(loaded->t_Nendo + loaded->file()->fileName(), QStringLiteral("12cowdata12.mdb"));
    }

    void refresh_data() {
        QTest::addColumn<int>("source");
        QTest::addColumn<int>("field");  // index in fields() of the total it reads
        QTest::addColumn<QString>("value");
        QTest::addColumn<bool>("recalculates");
        QTest::newRow("Data_CowCal1") << int(Frm_Wk::Data_CowCal1) << 5 << "7" << true;
        QTest::newRow("Data_CostCal") << int(Frm_Wk::Data_CostCal) << 1 << "11000" << true;
        QTest::newRow("Data_Cost2") << int(Frm_Wk::Data_Cost2) << 4 << "1000" << true;
        QTest::newRow("Data_ProseedCal1") << int(Frm_Wk::Data_ProseedCal1) << 2 << "5" << true;
        QTest::newRow("Data_Cost_Zensiryou")
            << int(Frm_Wk::Data_Cost_Zensiryou) << 9 << "1" << false;
        QTest::newRow("Data_Cost_Konsiryou")
            << int(Frm_Wk::Data_Cost_Konsiryou) << 10 << "2" << false;
        QTest::newRow("Data_Cost_Ikusei") << int(Frm_Wk::Data_Cost_Ikusei) << 11 << "3" << false;
    }
    void refresh() {
        QFETCH(int, source);
        QFETCH(int, field);
        QFETCH(QString, value);
        QFETCH(bool, recalculates);
        QString error;
        QVERIFY2(theYear().open(Y13, &error), qPrintable(error));
        Frm_Wk *wk = theYear().wk();
        sqlExec(Y13, {"INSERT INTO T_Cow (Kisyu) VALUES (7)",
                      "INSERT INTO T_Cost (Sozei, Nidukuri, Zensiryou, Konsiryou, Ikusei) "
                      "VALUES (10000, 1000, 1, 2, 3)",
                      "INSERT INTO T_Proseed (Hanbai) VALUES (5)"});
        // Stand-ins that Cal_Wk would overwrite, to see whether it ran.
        wk->t_NendoHiiku = wk->t_TukiHiiku = QStringLiteral("before");
        QStringList expected = fields(*wk);
        expected[field] = value;
        if (recalculates) expected[12] = expected[13] = QString();  // not checked

        QVERIFY2(wk->refresh({Frm_Wk::Source(source)}, &error), qPrintable(error));
        QStringList got = fields(*wk);
        if (recalculates) {
            QVERIFY(got[12] != QStringLiteral("before") && got[13] != QStringLiteral("before"));
            got[12] = got[13] = QString();
        }
        QCOMPARE(got, expected);
        QCOMPARE(MsgBox::shown().size(), 0);
    }

    // A save is followed by the totals that depend on its table, with no call of the
    // window's own; a save into a year the program has moved on from changes nothing.
    void followsSaves_data() {
        QTest::addColumn<QString>("table");
        QTest::addColumn<QString>("column");
        QTest::addColumn<int>("field");  // index in fields() of the total it feeds
        QTest::newRow("calf") << "T_Cow"
                              << "Kisyu" << 5;
        QTest::newRow("expenses") << "T_Cost"
                                  << "Sozei" << 1;
        QTest::newRow("income") << "T_Proseed"
                                << "Hanbai" << 2;
    }
    void followsSaves() {
        QFETCH(QString, table);
        QFETCH(QString, column);
        QFETCH(int, field);
        QString error;
        QVERIFY(YearFiles::createFromTemplate("cowdata12.mdb", &error));
        QVERIFY2(theYear().open(Y13, &error), qPrintable(error));
        const auto save = [&](const std::shared_ptr<YearFile> &file, int amount) {
            DataSource source(file, table);
            QVERIFY2(source.refresh(&error), qPrintable(error));
            source.addNew();
            QVERIFY2(source.update({{column, amount}}, &error), qPrintable(error));
        };
        save(theYear().file(), 7);
        QCOMPARE(fields(*theYear().wk())[field], QStringLiteral("7"));

        const auto kept = theYear().file();
        QVERIFY2(theYear().open("cowdata12.mdb", &error), qPrintable(error));
        const QStringList before = fields(*theYear().wk());
        save(kept, 9);
        QCOMPARE(fields(*theYear().wk()), before);
        QVERIFY(!kept->isCurrent() && theYear().file()->isCurrent());
        QCOMPARE(MsgBox::shown().size(), 0);
    }
};

QTEST_MAIN(TstWorkWindow)
#include "tst_workwindow.moc"
