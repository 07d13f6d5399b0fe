#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTableView>
#include <QTimer>
#include <QtTest>
#include <memory>

#include "Backup.h"
#include "Clock.h"
#include "DataSource.h"
#include "Frm_Cost.h"
#include "Frm_CowList.h"
#include "Frm_Main.h"
#include "Frm_Wk.h"
#include "Frm_Year.h"
#include "M_Cow.h"
#include "MsgBox.h"
#include "OnModal.h"
#include "PointerFile.h"
#include "Snapshot.h"
#include "Valuation.h"
#include "WindowTest.h"
#include "YearFile.h"
#include "YearFiles.h"
#include "YearProcedures.h"

namespace {

const QString Y14 = QStringLiteral("cowdata14.mdb");

// Every file of the working folder with its bytes, so "nothing changed" is one compare.
QMap<QString, QByteArray> folder() {
    QMap<QString, QByteArray> all;
    for (const QString &n : QDir::current().entryList(QDir::Files)) all[n] = bytesOf(n);
    return all;
}

template <typename W>
W *topLevel(const QString &name) {
    for (QWidget *w : QApplication::topLevelWidgets())
        if (w->objectName() == name && w->isVisible()) return qobject_cast<W *>(w);
    return nullptr;
}

const char *Calves =
    "INSERT INTO T_Cow (No, Name, I_Kingaku, Kisyu, Syori, Hiikutuki, Kimatu, F3) VALUES "
    "(7, 'A', 100, 400, 2, 12, 500, '買'), (8, 'B', 200, 0, 3, 5, 0, '売'), "
    "(9, 'C', 300, 20, 1, 4, 320, NULL)";
const char *Ledgers =
    "INSERT INTO T_Cost (Sozei, Mototiku, Siryou, Eisei, Syozairyou, Syuuzen, Douryoku, Katiku, "
    "Genka, Nidukuri, Risi, Senjuusya, Zatu, Etc1_Name, Etc1, Etc2_Name, Etc2, Etc3_Name, Etc3, "
    "Etc4_Name, Etc4, Zensiryou, Konsiryou, Ikusei) VALUES (1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, "
    "12, 13, 'x1', 14, 'x2', 15, 'x3', 16, 'x4', 17, 18, 19, 20);"
    "INSERT INTO T_Proseed VALUES (1000, 2, 'y1', 3, 'y2', 4)";
const char *CostRow =
    "SELECT Sozei, Mototiku, Siryou, Eisei, Syozairyou, Syuuzen, Douryoku, Katiku, Genka, "
    "Nidukuri, Risi, Senjuusya, Zatu, Etc1_Name, Etc1, Etc2_Name, Etc2, Etc3_Name, Etc3, "
    "Etc4_Name, Etc4, Zensiryou, Konsiryou, Ikusei FROM T_Cost";
const QString ClearedCost = "0|0|0|0|0|0|0|0|0|0|0|0|0||0||0||0||0|18|19|0";
const QString ClearedIncome = "0|0||0||0";

}  // namespace

class TstYears : public QObject {
    Q_OBJECT
    std::unique_ptr<WindowTest> year_;
    std::unique_ptr<Frm_Main> main_;

    void exec(const QString &statements, const QString &file = Y13) {
        sqlExec(file, statements.split(';', Qt::SkipEmptyParts));
    }
    // Opens the year window from the main menu, types the year and presses 設定 by keys.
    void typeYear(const QString &year) {
        // A window closed earlier is gone by the time the farmer clicks again.
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        main_->findChild<QPushButton *>("cmd_Year")->click();
        auto *w = topLevel<Frm_Year>("Frm_Year");
        QVERIFY(w);
        auto *t = w->findChild<QLineEdit *>("t_Year");
        QCOMPARE(w->focusWidget(), t);
        t->selectAll();
        QTest::keyClick(t, Qt::Key_Backspace);
        QTest::keyClicks(t, year);
        QTest::keyClick(t, Qt::Key_Return);
        QCOMPARE(w->focusWidget()->objectName(), QStringLiteral("cmd_Set"));
        QTest::keyClick(w->focusWidget(), Qt::Key_Return);
    }
    // What opening 印刷 writes: the register valued with freshly read totals.
    void valueYear() {
        QString error;
        QVERIFY2(valueRegister(*theYear().wk(), *theYear().wk()->file(), &error),
                 qPrintable(error));
    }
    QString current() const {
        return theYear().fileName() + "|" + bytesOf(PointerFile::Name) + "|" +
               theYear().wk()->t_Nendo + "|" + theYear().wk()->file()->fileName();
    }

  private slots:
    void init() {
        year_ = std::make_unique<WindowTest>(TestYear::Start::Made);
        Clock::setToday(QDate(2001, 12, 28));
        QString error;
        exec(QString(Calves) + ";" + Ledgers);
        QVERIFY(WritePointerFile(Y13, &error));
        QVERIFY2(theYear().open(Y13, &error), qPrintable(error));
        main_ = std::make_unique<Frm_Main>(theYear());
        main_->show();
    }
    void cleanup() {
        for (QWidget *w : QApplication::topLevelWidgets())
            if (w != main_.get()) delete w;
        main_.reset();
        Clock::setToday(QDate());
        year_.reset();
    }

    // Year 13 rolled over into 14 through the window, then back to 13.
    void rollOverAndBack() {
        valueYear();
        const QByteArray year13 = bytesOf(Y13);
        typeYear("14");
        QCOMPARE(shownBoxes(), QStringLiteral("Moriva|データ年度更新が終わりました。"));
        QVERIFY(!topLevel<Frm_Year>("Frm_Year"));
        QCOMPARE(current(), Y14 + "|" + Y14 + "|14|" + Y14);
        QCOMPARE(sqlText(Y14,
                         "SELECT No, Name, Kisyu, I_Kingaku, Syori, Hiikutuki, Kimatu, F3 "
                         "FROM T_Cow ORDER BY rowid"),
                 QStringLiteral("1|A|148|0|2|12|148|;2|C|216|0|2|12|216|"));
        QCOMPARE(sqlText(Y14, CostRow), ClearedCost);
        QCOMPARE(sqlText(Y14, "SELECT * FROM T_Proseed"), ClearedIncome);
        QCOMPARE(theYear().wk()->t_KisyuKei, QStringLiteral("364"));
        QCOMPARE(bytesOf(Y13), year13);
        QCOMPARE(QDir::current().entryList(QDir::Files),
                 (QStringList{Y13, Y14, PointerFile::Name}));

        MsgBox::clearShown();
        typeYear("13");
        QCOMPARE(shownBoxes(), QStringLiteral("Moriva|処理年度を切り替えました。"));
        QCOMPARE(current(), Y13 + "|" + Y13 + "|13|" + Y13);
        QCOMPARE(theYear().wk()->t_KisyuKei, QStringLiteral("420"));
        QCOMPARE(bytesOf(Y13), year13);
    }

    // Empty and zero closing values, and stored order rather than calf numbers.
    void carryOver_data() {
        QTest::addColumn<QString>("calves");  // (No, Kimatu) rows in stored order
        // No|Kisyu|I_Kingaku|Syori|Hiikutuki after the rollover: held all the new year
        QTest::addColumn<QString>("kept");
        QTest::newRow("none") << ""
                              << "";
        QTest::newRow("all sold") << "(1, 0, 3, 5), (2, 0, 4, 1)"
                                  << "";
        QTest::newRow("never valued kept, empty Kisyu")
            << "(5, NULL, 1, 3), (3, 0, 3, 2), (1, 40, 2, 12)"
            << "1|NULL|0|2|12;2|40|0|2|12";
        QTest::newRow("negative kept") << "(9, -5, NULL, NULL), (2, 7, 1, 9)"
                                       << "1|-5|0|2|12;2|7|0|2|12";
    }
    void carryOver() {
        QFETCH(QString, calves);
        QFETCH(QString, kept);
        exec("DELETE FROM T_Cow");
        if (!calves.isEmpty())
            exec("INSERT INTO T_Cow (No, Kimatu, Syori, Hiikutuki) VALUES " + calves);
        // A year without ledger rows gets none: the ledger windows add them on first use.
        if (calves.isEmpty()) exec("DELETE FROM T_Cost; DELETE FROM T_Proseed");
        QString error;
        QVERIFY2(YearProcedures::rollOver(theYear(), Y14, &error), qPrintable(error));
        QCOMPARE(
            sqlText(Y14, "SELECT No, Kisyu, I_Kingaku, Syori, Hiikutuki FROM T_Cow ORDER BY rowid"),
            kept);
        QCOMPARE(
            sqlText(Y14, "SELECT count(*) FROM T_Cost UNION ALL SELECT count(*) FROM T_Proseed"),
            calves.isEmpty() ? "0;0" : "1;1");
    }

    // Rollover failures: the old year stays current and whole, and no new or temporary
    // file is left.
    void rollOverFails_data() {
        QTest::addColumn<QString>("fault");
        QTest::addColumn<QString>("says");
        QTest::addColumn<QString>("unsaid");  // what would mislead the farmer
        QTest::newRow("pointer file cannot be replaced") << "pointer"
                                                         << "cowdb.inf"
                                                         << "";
        QTest::newRow("more calves than numbers") << "calves"
                                                  << "32,767 頭を超えています"
                                                  << "";
        // Changed by another program while open: its totals can no longer be read.
        QTest::newRow("current file lacks a table") << "table"
                                                    << "cowdata13.mdb の読み込みに失敗しました"
                                                    << "";
        QTest::newRow("the valuation first asked for is refused") << "overflow"
                                                                  << "計算できる範囲"
                                                                  << "";
        // The current year's own write failed: not "left untouched" beside it.
        QTest::newRow("the valuation cannot be saved")
            << "unsaved"
            << "棚卸の計算を cowdata13.mdb に保存できませんでした"
            << "cowdata13.mdb には手を加えていません";
        // The new year's file failed: named as the farmer knows it, the current one kept.
        QTest::newRow("the new year's file cannot be written")
            << "journal"
            << "新しい年度のファイル cowdata14.mdb に書き込めませんでした"
            << ".tmp";
    }
    void rollOverFails() {
        QFETCH(QString, fault);
        QFETCH(QString, says);
        QFETCH(QString, unsaid);
        valueYear();
        if (fault == "pointer") {
            // A folder in the pointer file's place cannot be replaced by a file.
            QVERIFY(QFile::remove(PointerFile::Name) && QDir().mkdir(PointerFile::Name));
        }
        if (fault == "calves")
            exec(
                "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 32767) "
                "INSERT INTO T_Cow (No, Kimatu) SELECT 1, i FROM n");
        if (fault == "table") exec("DROP VIEW Q_Syuusi; DROP TABLE T_Proseed");
        // Changed after 印刷, so the farmer is asked first, and answers OK.
        if (fault == "overflow") exec("UPDATE T_Cow SET Kisyu = -2147483648 WHERE Name = 'A'");
        if (fault == "unsaved") {
            exec("UPDATE T_Cow SET I_Kingaku = 150 WHERE Name = 'A'");
            sqlText(Y13,
                    "CREATE TRIGGER full BEFORE UPDATE ON T_Cow "
                    "BEGIN SELECT RAISE(ABORT, 'database or disk is full'); END");
            // As if this run had written it: the year files' open refuses a trigger.
            YearFile::writtenWhole(Y13);
        }
        // A folder where SQLite puts the new file's journal: its first write fails.
        if (fault == "journal") QVERIFY(QDir().mkdir(Snapshot::temporaryPath(Y14) + "-journal"));
        const auto before = folder();
        const QString was = theYear().fileName() + theYear().wk()->t_Nendo;
        const Frm_Wk *wk = theYear().wk();
        typeYear("14");
        QCOMPARE(MsgBox::shown().size(), fault == "overflow" || fault == "unsaved" ? 2 : 1);
        QCOMPARE(MsgBox::shown().last().title, QStringLiteral("年度設定"));
        QVERIFY2(
            shownBoxes().contains("cowdata14.mdb を作れませんでした。処理年度は 13 年度のまま") &&
                shownBoxes().contains(says) && (unsaid.isEmpty() || !shownBoxes().contains(unsaid)),
            qPrintable(shownBoxes()));
        QCOMPARE(folder(), before);
        QCOMPARE(theYear().fileName() + theYear().wk()->t_Nendo, was);
        QCOMPARE(theYear().wk(), wk);
        QVERIFY(topLevel<Frm_Year>("Frm_Year"));  // open, to try again
    }

    // The closing values carried are those 印刷 would write now: a change since it was
    // last opened, or a year never valued, is valued first unless the farmer cancels.
    void staleValues_data() {
        QTest::addColumn<bool>("printed");    // 印刷 opened before the change
        QTest::addColumn<QString>("change");  // made afterwards
        QTest::addColumn<int>("asked");       // calves the question names; 0: not asked
        QTest::addColumn<bool>("ok");
        QTest::addColumn<QString>("carried");  // Name|Kisyu|I_Kingaku|Syori|Hiikutuki, year 14
        const QString soldAndChanged =
            "UPDATE T_Cow SET Syori = 3, O_Date = '2001-11-20', Hiikutuki = 11 WHERE Name = 'A';"
            "UPDATE T_Cow SET I_Kingaku = 450000 WHERE Name = 'B'";
        // Then 3,000,000 - 450,000 - 50,000 over 25 months: 100,000 a head and month.
        QTest::newRow("A sold, B's amount changed: OK")
            << true << soldAndChanged << 3 << true << "B|1350000|0|2|12";
        QTest::newRow("A sold, B's amount changed: Cancel")
            << true << soldAndChanged << 3 << false << "";
        const QString asPrinted = "A|1476912|0|2|12;B|1282684|0|2|12";
        QTest::newRow("never valued: OK") << false << "" << 3 << true << asPrinted;
        QTest::newRow("up to date: not asked") << true << "" << 0 << true << asPrinted;
    }
    void staleValues() {
        QFETCH(bool, printed);
        QFETCH(QString, change);
        QFETCH(int, asked);
        QFETCH(bool, ok);
        QFETCH(QString, carried);
        // The worked year: 98,076 a head and month. The work window still holds the
        // totals of the ledgers replaced here, so stale totals would show too.
        exec(
            "DELETE FROM T_Cow; DELETE FROM T_Cost;"
            "INSERT INTO T_Cost (Siryou, Nidukuri) VALUES (2950000, 50000);"
            "INSERT INTO T_Cow (No, Name, Syori, Hiikutuki, Kisyu, I_Kingaku, I_Date, O_Date) "
            "VALUES (1, 'A', 2, 12, 300000, 0, NULL, NULL), "
            "(2, 'B', 1, 9, NULL, 400000, '2001-04-10', NULL), "
            "(3, 'C', 3, 5, NULL, 0, '2000-06-01', '2001-05-15')");
        if (printed) valueYear();
        if (!change.isEmpty()) exec(change);
        const auto before = folder();
        const QString was = current();
        if (!ok) MsgBox::queueAnswer(MsgBox::Answer::Cancel);
        typeYear("14");
        const QList<MsgBox::Shown> shown = MsgBox::shown();
        QCOMPARE(shown.size(), (asked ? 1 : 0) + (ok ? 1 : 0));
        if (asked) {
            QCOMPARE(shown[0].title, QStringLiteral("年度設定"));
            QVERIFY(shown[0].buttons == MsgBox::Buttons::OkCancel);
            QVERIFY2(shown[0].text.contains(QStringLiteral("子牛が %1 頭あります").arg(asked)),
                     qPrintable(shown[0].text));
        }
        if (!ok) {
            QCOMPARE(folder(), before);
            QCOMPARE(current(), was);
            QVERIFY(topLevel<Frm_Year>("Frm_Year"));  // to open 印刷 first, or try again
            return;
        }
        QCOMPARE(shown.last().text, QStringLiteral("データ年度更新が終わりました。"));
        QCOMPARE(
            sqlText(Y14,
                    "SELECT Name, Kisyu, I_Kingaku, Syori, Hiikutuki FROM T_Cow ORDER BY rowid"),
            carried);
        // Year 13 keeps the values it carried, so its reports print what went forward.
        QCOMPARE(sqlText(Y13, "SELECT Name, Kimatu FROM T_Cow WHERE Kimatu <> 0 ORDER BY rowid"),
                 sqlText(Y14, "SELECT Name, Kisyu FROM T_Cow ORDER BY rowid"));
        if (!asked) QCOMPARE(bytesOf(Y13), before[Y13]);
    }

    // A switch that cannot complete leaves everything on year 13.
    void switchFails_data() {
        QTest::addColumn<QString>("fault");
        QTest::newRow("file not a year file") << "damaged";
        QTest::newRow("pointer file cannot be replaced") << "pointer";
    }
    void switchFails() {
        QFETCH(QString, fault);
        QString error;
        QVERIFY(YearFiles::createFromTemplate("cowdata12.mdb", &error));
        if (fault == "damaged") exec("DROP TABLE T_Cow", "cowdata12.mdb");
        if (fault == "pointer")
            QVERIFY(QFile::remove(PointerFile::Name) && QDir().mkdir(PointerFile::Name));
        const auto before = folder();
        const Frm_Wk *wk = theYear().wk();
        typeYear("12");
        QVERIFY2(shownBoxes().startsWith(
                     "年度設定|処理年度を切り替えられませんでした。処理年度は 13 年度のままです。"),
                 qPrintable(shownBoxes()));
        QCOMPARE(folder(), before);
        QCOMPARE(theYear().fileName() + theYear().wk()->t_Nendo, Y13 + "13");
        QCOMPARE(theYear().wk(), wk);
    }

    void typedYear_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("says");
        QTest::newRow("empty") << ""
                               << "数値を指定してください";
        QTest::newRow("letters") << "abc"
                                 << "数値を指定してください";
        QTest::newRow("negative") << "-1"
                                  << "数値を指定してください";
        QTest::newRow("three digits") << "100"
                                      << "年度は2桁までの数値で指定してください";
    }
    void typedYear() {
        QFETCH(QString, typed);
        QFETCH(QString, says);
        const auto before = folder();
        typeYear(typed);
        QCOMPARE(shownBoxes(), "年度設定|" + says);
        QCOMPARE(folder(), before);
        auto *w = topLevel<Frm_Year>("Frm_Year");
        QVERIFY(w);
        QCOMPARE(w->findChild<QLineEdit *>("t_Year")->text(), typed);
    }

    // Windows opened before the rollover stay on year 13: the calf list shows its calves,
    // and the expense window shows and stores year 13's own fee.
    void openWindowsKeepTheirYear() {
        main_->findChild<QPushButton *>("cmd_Cow")->click();
        main_->findChild<QPushButton *>("cmd_Cost")->click();
        auto *list = topLevel<Frm_CowList>("Frm_CowList");
        auto *cost = topLevel<Frm_Cost>("Frm_Cost");
        QVERIFY(list && cost);
        typeYear("14");
        QCOMPARE(theYear().fileName(), Y14);
        list->Data_CowList_Refresh();
        QCOMPARE(list->Data_CowList().recordCount(), 3);
        cost->Form_Activate();
        QCOMPARE(cost->findChild<QLineEdit *>("t_Nidukuri")->text(), QStringLiteral("10"));
        cost->findChild<QLineEdit *>("t_Sozei")->setText("1,111");
        cost->cmd_Set_Click();
        QCOMPARE(sqlText(Y13, "SELECT Sozei, Nidukuri FROM T_Cost"), QStringLiteral("1111|10"));
        QCOMPARE(sqlText(Y14, "SELECT Sozei, Nidukuri FROM T_Cost"), QStringLiteral("0|0"));
    }

    // Not modal, asked again it comes to the front as it was; its keys; Cancel, Enter on
    // キャンセル or closing it changes nothing.
    void yearWindow() {
        const auto before = folder();
        main_->findChild<QPushButton *>("cmd_Year")->click();
        auto *w = topLevel<Frm_Year>("Frm_Year");
        QVERIFY(w && !w->isModal());
        QCOMPARE(w->windowTitle() + w->findChild<QLineEdit *>("t_Year")->text(),
                 QStringLiteral("処理年度設定13"));
        w->findChild<QLineEdit *>("t_Year")->setText("14");
        main_->findChild<QPushButton *>("cmd_Year")->click();
        QCOMPARE(topLevel<Frm_Year>("Frm_Year"), w);
        const QStringList moves = {"t_Year Down cmd_Set", "cmd_Set Right cmd_Cancel",
                                   "cmd_Cancel Down t_Year", "cmd_Set Up t_Year",
                                   "cmd_Cancel Left cmd_Set"};
        for (const QString &move : moves) {
            const QStringList m = move.split(' ');
            w->findChild<QWidget *>(m[0])->setFocus();
            QTest::keyClick(w->focusWidget(), m[1] == "Down"   ? Qt::Key_Down
                                              : m[1] == "Up"   ? Qt::Key_Up
                                              : m[1] == "Left" ? Qt::Key_Left
                                                               : Qt::Key_Right);
            QCOMPARE(w->focusWidget()->objectName(), m[2]);
        }
        QTest::keyClick(w->focusWidget(), Qt::Key_Right);  // to キャンセル
        QTest::keyClick(w->focusWidget(), Qt::Key_Return);
        QVERIFY(!topLevel<Frm_Year>("Frm_Year"));
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        main_->findChild<QPushButton *>("cmd_Year")->click();
        topLevel<Frm_Year>("Frm_Year")->close();
        QCOMPARE(folder(), before);
        QCOMPARE(MsgBox::shown().size(), 0);
    }

    // The data clear through the menu: a backup first, then everything at once.
    void dataClear_data() {
        QTest::addColumn<QString>("how");
        QTest::newRow("OK") << "ok";
        QTest::newRow("OK on an empty register") << "empty";
        QTest::newRow("ｷｬﾝｾﾙ") << "cancel";
        QTest::newRow("no backup can be made") << "nobackup";
    }
    void dataClear() {
        QFETCH(QString, how);
        if (how == "empty") exec("DELETE FROM T_Cow");
        if (how == "nobackup") QVERIFY(QFile("backup").open(QIODevice::WriteOnly));
        main_->findChild<QPushButton *>("cmd_Cost")->click();
        auto *cost = topLevel<Frm_Cost>("Frm_Cost");
        cost->Form_Activate();
        QCOMPARE(cost->findChild<QLineEdit *>("t_Sozei")->text(), QStringLiteral("1"));
        main_->findChild<QPushButton *>("cmd_Cow")->click();
        auto *list = topLevel<Frm_CowList>("Frm_CowList");
        const auto rows = [list] {
            return list->findChild<QTableView *>("DBGrid_Cow")->model()->rowCount();
        };
        const int calves = rows();
        const auto before = folder();
        QStringList seen;
        onModal([&](QWidget *modal) {
            auto *label = modal->findChild<QLabel *>("Label1");
            seen << modal->objectName() << modal->windowTitle() << label->text()
                 << QString::number(label->font().pointSize()) +
                        (label->font().bold() ? " bold " : " ") +
                        label->palette().color(label->foregroundRole()).name()
                 << modal->focusWidget()->objectName()
                 << modal->findChild<QPushButton *>("CancelButton")->text();
            if (how == "cancel") {
                modal->findChild<QPushButton *>("CancelButton")->click();
                return;
            }
            QTest::keyClick(modal->focusWidget(), Qt::Key_Return);
            if (how == "nobackup") {
                QVERIFY(modal->isVisible());
                modal->findChild<QPushButton *>("CancelButton")->click();
            }
        });
        main_->findChild<QAction *>("mnu_DataClr")->trigger();
        QCOMPARE(seen, (QStringList{"dlg_DataClr", "初期化", "※現在のデータをすべてクリアします。",
                                    "12 bold #ff0000", "OKButton", "ｷｬﾝｾﾙ"}));
        if (how == "cancel" || how == "nobackup") {
            QCOMPARE(rows(), calves);
            QCOMPARE(folder(), before);
            QVERIFY(how == "cancel"
                        ? shownBoxes().isEmpty()
                        : shownBoxes().startsWith(
                              "初期化|データクリアができませんでした。"
                              "データには手を加えていません。\n"
                              "cowdata13.mdb のバックアップをフォルダ " +
                              QDir::toNativeSeparators(QDir().absoluteFilePath("backup")) +
                              " に作れませんでした。\n作業フォルダに backup という名前のファイル"));
            return;
        }
        QCOMPARE(shownBoxes(), QStringLiteral("初期化|データクリア終了"));
        // An open calf list shows no calf the clear deleted.
        QCOMPARE(rows(), 0);
        QCOMPARE(list->findChild<QPushButton *>("cmd_Edit")->isEnabled(), false);
        // An expense window left open shows the cleared record when the farmer returns.
        cost->Form_Activate();
        QCOMPARE(cost->findChild<QLineEdit *>("t_Sozei")->text(), QStringLiteral("0"));
        QCOMPARE(sqlText(Y13, "SELECT count(*) FROM T_Cow"), QStringLiteral("0"));
        QCOMPARE(sqlText(Y13, CostRow), ClearedCost);
        QCOMPARE(sqlText(Y13, "SELECT * FROM T_Proseed"), ClearedIncome);
        // The work window read the cleared tables.
        QCOMPARE(theYear().wk()->t_Keihi + "|" + theYear().wk()->t_Syuunyuu + "|" +
                     theYear().wk()->t_Zensiryou + "|" + theYear().wk()->t_KisyuKei,
                 QStringLiteral("0|0|18|"));
        // The backup holds the year as it was, and is a year file of its own.
        const QStringList backups = Backup::of(Y13);
        QCOMPARE(backups.size(), 1);
        QVERIFY2(QRegularExpression("^cowdata13_0001_2001-12-28_\\d{6}_clear\\.mdb$")
                     .match(backups[0])
                     .hasMatch(),
                 qPrintable(backups[0]));
        QCOMPARE(sqlText("backup/" + backups[0], "SELECT count(*) FROM T_Cow"),
                 how == "empty" ? QStringLiteral("0") : QStringLiteral("3"));
        QCOMPARE(sqlText("backup/" + backups[0], "SELECT Sozei FROM T_Cost"), QStringLiteral("1"));
    }

    // A day's first change of the current year is preceded by a backup; ten are kept.
    void dailyBackups() {
        QString error;
        for (int day = 1; day <= 13; ++day) {
            Clock::setToday(QDate(2001, 12, day));
            // What a crash left of an unfinished backup goes with the next good one.
            if (day == 13)
                QVERIFY(QFile("backup/cowdata13_2001-12-12_0.mdb.tmp").open(QIODevice::WriteOnly));
            for (int save = 0; save < 2; ++save) {
                auto file = theYear().file();
                DataSource cost(file, "T_Cost");
                QVERIFY(cost.refresh(&error));
                QVERIFY2(cost.update({{"Sozei", day * 10 + save}}, &error), qPrintable(error));
            }
        }
        const QStringList kept = Backup::of(Y13);
        QCOMPARE(kept.size(), Backup::Generations);
        QVERIFY(kept.first().startsWith("cowdata13_0004_2001-12-04_"));
        QVERIFY(kept.last().startsWith("cowdata13_0013_2001-12-13_"));
        QCOMPARE(QDir("backup").entryList(QDir::Files), kept);
        // Each holds the year as it stood before that day's first save.
        QCOMPARE(sqlText("backup/" + kept.last(), "SELECT Sozei FROM T_Cost"),
                 QStringLiteral("121"));
        // Another year's file, or one a window kept open on an earlier year, is not backed up.
        QVERIFY(YearFiles::createFromTemplate("cowdata12.mdb", &error));
        auto other = YearFile::open("cowdata12.mdb", &error);
        QVERIFY(other->transaction([](QString *) { return true; }, &error));
        QCOMPARE(Backup::of("cowdata12.mdb"), QStringList());
        // A save goes ahead when no backup can be made; the farmer is told why, once a run,
        // not at every day's first save.
        QVERIFY(QDir("backup").removeRecursively() && QFile("backup").open(QIODevice::WriteOnly));
        MsgBox::clearShown();
        for (int day : {20, 21}) {
            Clock::setToday(QDate(2001, 12, day));
            auto file = theYear().file();
            QVERIFY(file->transaction(
                [&](QString *) {
                    return QSqlQuery(file->db())
                        .exec(QStringLiteral("UPDATE T_Cost SET Sozei = %1").arg(day));
                },
                &error));
            QCOMPARE(sqlText(Y13, "SELECT Sozei FROM T_Cost"), QString::number(day));
        }
        QCOMPARE(MsgBox::shown().size(), 1);
        QVERIFY2(MsgBox::shown()[0].text.contains(
                     QDir::toNativeSeparators(QDir().absoluteFilePath("backup"))),
                 qPrintable(MsgBox::shown()[0].text));
        // The farmer learns where they are and how to bring one back.
        const QString help = QString::fromUtf8(bytesOf(":/moriva/help/index.htm"));
        QVERIFY(help.contains("<code>" + Backup::Folder + "</code>") && help.contains("戻すには"));
    }
    // Generations go in the order they were made, whatever the clock wrote in their
    // names; the newest backup before a clear stays until a newer clear replaces it.
    void backupRotation_data() {
        QTest::addColumn<QStringList>("steps");
        QTest::addColumn<QStringList>("kept");  // name without year file and time : calves
        const auto range = [](int firstOrder, const QString &stamp, int firstDay, int n,
                              const QString &calves) {
            QStringList names;
            for (int i = 0; i < n; ++i)
                names << QStringLiteral("%1_%2-%3_t:%4")
                             .arg(firstOrder + i, 4, 10, QChar('0'))
                             .arg(stamp)
                             .arg(firstDay + i, 2, 10, QChar('0'))
                             .arg(calves);
            return names;
        };
        QTest::newRow("a clock that was ahead")
            << QStringList{"ahead", "make"}
            << range(2, "2002-01", 2, 9, "3") + QStringList{"0011_2001-12-28_t:3"};
        QTest::newRow("a clock that was ahead, then a clear")
            << QStringList{"ahead", "clear"}
            << range(1, "2002-01", 1, 10, "3") + QStringList{"0011_2001-12-28_t_clear:3"};
        QTest::newRow("names of an earlier version go first")
            << QStringList{"old", "make"}
            << QStringList{"2030-01-01_t_2:3",   "2030-01-02_t:3", "2030-01-03_t:3",
                           "2030-01-04_t:3",     "2030-01-05_t:3", "2030-01-06_t:3",
                           "2030-01-07_t:3",     "2030-01-08_t:3", "2030-01-09_t:3",
                           "0001_2001-12-28_t:3"};
        QTest::newRow("a clear outlives twelve days of saves")
            << QStringList{"clear", "days"}
            << QStringList{"0001_2001-12-28_t_clear:3"} + range(4, "2002-02", 3, 10, "0");
        QTest::newRow("a newer clear replaces it")
            << QStringList{"clear", "days", "clear"}
            << range(4, "2002-02", 3, 10, "0") + QStringList{"0014_2002-02-12_t_clear:0"};
    }
    void backupRotation() {
        QFETCH(QStringList, steps);
        QFETCH(QStringList, kept);
        QString error;
        for (const QString &step : steps) {
            if (step == "ahead") {
                for (int day = 1; day <= 10; ++day) {
                    Clock::setToday(QDate(2002, 1, day));
                    QVERIFY2(Backup::make(*theYear().wk()->file(), &error), qPrintable(error));
                }
                Clock::setToday(QDate(2001, 12, 28));
            } else if (step == "old") {
                QVERIFY(QDir().mkpath("backup"));
                QStringList names{"2030-01-01_120000", "2030-01-01_120000_2"};
                for (int day = 2; day <= 9; ++day)
                    names << QStringLiteral("2030-01-%1_120000").arg(day, 2, 10, QChar('0'));
                for (const QString &n : names)
                    QVERIFY(QFile::copy(Y13, "backup/cowdata13_" + n + ".mdb"));
            } else if (step == "make") {
                QVERIFY2(Backup::make(*theYear().wk()->file(), &error), qPrintable(error));
            } else if (step == "clear") {
                QVERIFY2(YearProcedures::clearData(theYear(), &error), qPrintable(error));
            } else {
                for (int day = 1; day <= 12; ++day) {
                    Clock::setToday(QDate(2002, 2, day));
                    auto file = theYear().file();
                    DataSource cost(file, "T_Cost");
                    QVERIFY(cost.refresh(&error));
                    QVERIFY2(cost.update({{"Sozei", day}}, &error), qPrintable(error));
                }
            }
        }
        QStringList seen;
        for (const QString &name : Backup::of(Y13))
            seen << QString(name)
                            .remove(QRegularExpression("^cowdata13_|\\.mdb$"))
                            .replace(QRegularExpression("_\\d{6}"), "_t") +
                        ":" + sqlText("backup/" + name, "SELECT count(*) FROM T_Cow");
        QCOMPARE(seen, kept);
        QCOMPARE(QDir("backup").entryList(QDir::Files).size(), kept.size());
    }
};

QTEST_MAIN(TstYears)
#include "tst_years.moc"
