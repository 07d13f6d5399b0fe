#include <QDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>
#include <memory>

#include "Frm_Cost.h"
#include "Frm_Proseed.h"
#include "Frm_Wk.h"
#include "M_Cow.h"
#include "MsgBox.h"
#include "OnModal.h"
#include "WindowTest.h"

namespace {

QLineEdit *edit(QWidget *w, const QString &name) {
    return w->findChild<QLineEdit *>(name);
}

void type(QWidget *w, const QString &name, const QString &text) {
    QTest::keyClick(edit(w, name), Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(edit(w, name), Qt::Key_Delete);
    QTest::keyClicks(edit(w, name), text);
}

// keyClicks cannot type Japanese; an input method commits it.
void typeJapanese(QWidget *w, const QString &name, const QString &text) {
    QTest::keyClick(edit(w, name), Qt::Key_A, Qt::ControlModifier);
    QInputMethodEvent commit;
    commit.setCommitString(text);
    QApplication::sendEvent(edit(w, name), &commit);
}

void activate(QWidget *w) {
    w->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(w));
}

void clickSet(QWidget *w) {
    QTest::mouseClick(w->findChild<QPushButton *>("cmd_Set"), Qt::LeftButton);
}

// String columns, and one row of them per call.
void columns(std::initializer_list<const char *> names) {
    for (const char *n : names) QTest::addColumn<QString>(n);
}
void row(const char *name, const QStringList &values) {
    QTestData &data = QTest::newRow(name);
    for (const QString &v : values) data << v;
}

QString focused() {
    return QApplication::focusWidget()->objectName();
}

}  // namespace

class TstLedgers : public QObject {
    Q_OBJECT
    std::unique_ptr<WindowTest> year_;
    QList<QPointer<QWidget>> windows_;

    QWidget *open(const QString &form, bool activated = true) {
        QWidget *w = form == "Frm_Cost" ? static_cast<QWidget *>(new Frm_Cost(theYear()))
                                        : new Frm_Proseed(theYear());
        windows_ << w;
        w->show();
        if (activated) activate(w);
        return w;
    }
    // Writes behind the work window's back, then lets it read the change.
    void seed(const QString &statement) {
        QCOMPARE(year_->text(statement), QString());
        theYear().follow(YearFile::Change::All);
    }

  private slots:
    void init() { year_ = std::make_unique<WindowTest>(); }
    void cleanup() {
        for (QWidget *w : std::as_const(windows_)) delete w;
        windows_.clear();
        year_.reset();
    }

    void saveAddsTheRecordThenEditsIt_data() {
        columns({"form", "typed", "stored", "shown"});
        row("expenses, grouped", {"Frm_Cost", "2,500,000", "2500000", "2,500,000"});
        row("expenses, plain", {"Frm_Cost", "2500000", "2500000", "2,500,000"});
        row("expenses, negative", {"Frm_Cost", "-5000", "-5000", "-5,000"});
        row("income, millions", {"Frm_Proseed", "1234567", "1234567", "1,234,567"});
        row("income, empty", {"Frm_Proseed", "", "NULL", ""});
    }
    void saveAddsTheRecordThenEditsIt() {
        QFETCH(QString, form);
        QFETCH(QString, typed);
        QFETCH(QString, stored);
        QFETCH(QString, shown);
        const QString table = form == "Frm_Cost" ? "T_Cost" : "T_Proseed";
        for (const QString &name : {QStringLiteral("堆肥"), QStringLiteral("敷料")}) {
            QWidget *w = open(form);
            type(w, "t_Zatu", typed);
            typeJapanese(w, "t_Etc1_Name", name);
            clickSet(w);
            QVERIFY(!w->isVisible());
            QCOMPARE(
                year_->text("SELECT count(*) || ' ' || quote(Zatu) || Etc1_Name FROM " + table),
                "1 " + stored + name);
            w = open(form);
            QCOMPARE(edit(w, "t_Zatu")->text(), shown);
            QCOMPARE(edit(w, "t_Etc1_Name")->text(), name);
            w->close();
        }
    }

    void feeComesFromWorkTotals_data() {
        columns({"tesuu", "shown", "stored"});  // stored: what the record holds afterwards
        row("number, saved", {"54321", "54,321", "54321"});
        row("empty, saved", {"", "", "NULL"});
        row("not a number, refused", {"12a", "12a", "1000"});
    }
    void feeComesFromWorkTotals() {
        QFETCH(QString, tesuu);
        QFETCH(QString, shown);
        QFETCH(QString, stored);
        seed("INSERT INTO T_Cost (Nidukuri) VALUES (1000)");
        theYear().wk()->t_Tesuu = tesuu;
        QWidget *w = open("Frm_Cost");
        QCOMPARE(edit(w, "t_Nidukuri")->text(), shown);
        clickSet(w);
        QCOMPARE(year_->text("SELECT Nidukuri FROM T_Cost"), stored);
        QCOMPARE(MsgBox::shown().size(), stored == "1000" ? 1 : 0);
    }

    void comingBackShowsTheStoredRecordButNotAfterOurBox() {
        seed("INSERT INTO T_Cost (Sozei, Etc2_Name) VALUES (1000, 'a')");
        QWidget *w = open("Frm_Cost");
        type(w, "t_Sozei", "999");
        type(w, "t_Etc2_Name", "b");
        QWidget other;
        other.show();
        activate(&other);
        activate(w);
        QCOMPARE(edit(w, "t_Sozei")->text(), QStringLiteral("1,000"));
        QCOMPARE(edit(w, "t_Etc2_Name")->text(), QStringLiteral("a"));

        type(w, "t_Sozei", "abc");
        withRealBoxes([w] { clickSet(w); });
        // Offscreen, no window is active after a box closes; a desktop activates the
        // window below it, as done here.
        activate(w);
        QVERIFY(MsgBox::returningFromBox());
        QCOMPARE(edit(w, "t_Sozei")->text(), QStringLiteral("abc"));
    }

    void savesUpdateWorkTotals() {
        seed("INSERT INTO T_Cow (I_Kingaku, Hiikutuki) VALUES (300000, 10)");
        seed("INSERT INTO T_Proseed (Hanbai) VALUES (100)");
        Frm_Wk *wk = theYear().wk();
        QWidget *w = open("Frm_Cost");
        type(w, "t_Sozei", "1,000,000");
        type(w, "t_Nidukuri", "200000");
        type(w, "t_Etc4", "1000");
        type(w, "t_Zensiryou", "11");
        type(w, "t_Konsiryou", "22");
        type(w, "t_Ikusei", "33");
        clickSet(w);
        QCOMPARE(QStringList({wk->t_Keihi, wk->t_Tesuu, wk->t_NendoHiiku, wk->t_TukiHiiku,
                              wk->t_Zensiryou, wk->t_Konsiryou, wk->t_Ikusei}),
                 QStringList({"1201000", "200000", "701000", "70100", "11", "22", "33"}));
        w = open("Frm_Proseed");
        type(w, "t_Hanbai", "5000");
        type(w, "t_Etc2", "-1");
        clickSet(w);
        QCOMPARE(QStringList({wk->t_Syuunyuu, wk->t_NendoHiiku, wk->t_TukiHiiku}),
                 QStringList({"4999", "701000", "70100"}));
    }

    void refusedSaveWritesNothing_data() {
        // name: of the free item, typed first; named: what the message calls the field
        columns({"form", "field", "typed", "name", "named"});
        row("letters", {"Frm_Cost", "t_Sozei", "abc", "", "租税公課"});
        row("named free item", {"Frm_Cost", "t_Etc3", "12a", "堆肥代", "堆肥代"});
        row("free item", {"Frm_Cost", "t_Etc4", "99999999999", "", "その他経費4"});
        row("last field", {"Frm_Cost", "t_Ikusei", "99999999999", "", "育成費用"});
        row("income letters", {"Frm_Proseed", "t_Hanbai", "abc", "", "販売金額"});
        row("income free item", {"Frm_Proseed", "t_Etc2", "12a", "補助金", "補助金"});
        row("free item named with an override",
            {"Frm_Cost", "t_Etc2", "12a", "\u202E堆肥代", "堆肥代"});
        // The field does not cut a long name itself: the save says so and keeps it all.
        row("name too long",
            {"Frm_Cost", "t_Etc1_Name", QString(300, u'x'), "", "その他経費1の名称"});
    }
    void refusedSaveWritesNothing() {
        QFETCH(QString, form);
        QFETCH(QString, field);
        QFETCH(QString, typed);
        QFETCH(QString, name);
        QFETCH(QString, named);
        QWidget *w = open(form);
        const QByteArray before = year_->bytes();
        type(w, "t_Zatu", "500");
        if (!name.isEmpty()) typeJapanese(w, field + "_Name", name);
        type(w, field, typed);
        clickSet(w);
        QCOMPARE(MsgBox::shown().size(), 1);
        QCOMPARE(MsgBox::shown().first().title, w->windowTitle());
        QVERIFY(MsgBox::shown().first().text.contains("「" + named + "」"));
        QVERIFY(w->isVisible());
        QCOMPARE(focused(), field);
        QCOMPARE(edit(w, field)->text(), typed);
        QCOMPARE(edit(w, "t_Zatu")->text(), QStringLiteral("500"));
        QCOMPARE(year_->bytes(), before);
    }

    void clickPlacesTheCaretKeysSelectTheField() {
        seed("INSERT INTO T_Cost (Sozei, Mototiku) VALUES (1000, 5000)");
        QWidget *w = open("Frm_Cost");
        const QByteArray before = year_->bytes();
        // A click after the shown 5,000 adds to it; the slip is refused, not stored as
        // 50,007,777.
        QLineEdit *moto = edit(w, "t_Mototiku");
        QTest::mouseClick(moto, Qt::LeftButton, {}, QPoint(moto->width() - 4, moto->height() / 2));
        QTest::keyClicks(moto, "7777");
        QCOMPARE(moto->text(), QStringLiteral("5,0007777"));
        clickSet(w);
        QCOMPARE(MsgBox::shown().size(), 1);
        QVERIFY(MsgBox::shown().first().text.contains(QStringLiteral("「素畜費」")));
        QCOMPARE(year_->bytes(), before);
        // Up and Enter select the field they reach: typing replaces it.
        QTest::keyClick(moto, Qt::Key_Up);
        QTest::keyClicks(QApplication::focusWidget(), "2000");
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QTest::keyClicks(QApplication::focusWidget(), "7777");
        QCOMPARE(edit(w, "t_Sozei")->text(), QStringLiteral("2000"));
        QCOMPARE(moto->text(), QStringLiteral("7777"));
        clickSet(w);
        QCOMPARE(year_->text("SELECT Sozei || ' ' || Mototiku FROM T_Cost"),
                 QStringLiteral("2000 7777"));
    }

    void failedWriteKeepsTheWindowAndAddsNoSecondRecord() {
        seed("INSERT INTO T_Cost (Sozei) VALUES (1)");
        QWidget *w = open("Frm_Cost");
        QCOMPARE(year_->text("DELETE FROM T_Cost"), QString());
        type(w, "t_Sozei", "2");
        clickSet(w);
        QCOMPARE(MsgBox::shown().size(), 1);
        QVERIFY(w->isVisible());
        QCOMPARE(edit(w, "t_Sozei")->text(), QStringLiteral("2"));
        clickSet(w);
        QCOMPARE(year_->text("SELECT count(*) || ' ' || Sozei FROM T_Cost"), QStringLiteral("1 2"));
    }

    void closingDiscardsTypingAndRereadsTotals_data() {
        columns({"form"});
        row("expenses", {"Frm_Cost"});
        row("income", {"Frm_Proseed"});
    }
    void closingDiscardsTypingAndRereadsTotals() {
        QFETCH(QString, form);
        const QString table = form == "Frm_Cost" ? "T_Cost" : "T_Proseed";
        seed("INSERT INTO " + table + " (Zatu, Etc1_Name) VALUES (1, 'a')");
        QWidget *w = open(form);
        QCOMPARE(year_->text("UPDATE " + table + " SET Zatu = 777"), QString());
        const QByteArray before = year_->bytes();
        type(w, "t_Zatu", "5");
        typeJapanese(w, "t_Etc1_Name", QStringLiteral("雑"));
        w->close();
        QCOMPARE(year_->bytes(), before);
        Frm_Wk *wk = theYear().wk();
        QCOMPARE(form == "Frm_Cost" ? wk->t_Keihi : wk->t_Syuunyuu, QStringLiteral("777"));
    }

    void keys_data() {
        QTest::addColumn<QString>("form");
        QTest::addColumn<QStringList>("order");
        QTest::newRow("expenses") << "Frm_Cost"
                                  << QStringList{"t_Sozei",     "t_Mototiku",   "t_Siryou",
                                                 "t_Eisei",     "t_Syozairyou", "t_Syuuzen",
                                                 "t_Douryoku",  "t_Katiku",     "t_Genka",
                                                 "t_Nidukuri",  "t_Risi",       "t_Senjuusya",
                                                 "t_Zatu",      "t_Etc1_Name",  "t_Etc1",
                                                 "t_Etc2_Name", "t_Etc2",       "t_Etc3_Name",
                                                 "t_Etc3",      "t_Etc4_Name",  "t_Etc4",
                                                 "t_Zensiryou", "t_Konsiryou",  "t_Ikusei",
                                                 "cmd_Set"};
        QTest::newRow("income") << "Frm_Proseed"
                                << QStringList{"t_Hanbai",    "t_Zatu", "t_Etc1_Name", "t_Etc1",
                                               "t_Etc2_Name", "t_Etc2", "cmd_Set"};
    }
    void keys() {
        QFETCH(QString, form);
        QFETCH(QStringList, order);
        QWidget *w = open(form);
        type(w, order.first(), "7");
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Up);
        QCOMPARE(focused(), order.first());
        for (const QString &next : order.mid(1)) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
            QCOMPARE(focused(), next);
        }
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Left);
        QCOMPARE(focused(), order.at(order.size() - 2));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Down);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Down);
        QCOMPARE(focused(), order.first());
        w->findChild<QPushButton *>("cmd_Set")->setFocus();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QVERIFY(!w->isVisible());
        QCOMPARE(year_->text("SELECT " + order.first().mid(2) + " FROM T_" + form.mid(4)),
                 QStringLiteral("7"));
    }

    void noYearClosesTheWindow_data() { closingDiscardsTypingAndRereadsTotals_data(); }
    void noYearClosesTheWindow() {
        QFETCH(QString, form);
        theYear().close();
        QWidget *w = open(form, false);
        QCOMPARE(MsgBox::shown().size(), 1);
        QCOMPARE(MsgBox::shown().first().title, w->windowTitle());
        QCOMPARE(MsgBox::shown().first().text, CurrentYear::notOpen());
        QTRY_VERIFY(!w->isVisible());
    }
};

QTEST_MAIN(TstLedgers)
#include "tst_ledgers.moc"
