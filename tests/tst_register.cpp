#include <QAbstractItemModelTester>
#include <QApplication>
#include <QClipboard>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTableView>
#include <QtTest>
#include <functional>

#include "Clock.h"
#include "DataSource.h"
#include "Frm_Cow.h"
#include "Frm_CowList.h"
#include "MsgBox.h"
#include "OnModal.h"
#include "TestYear.h"
#include "Valuation.h"

namespace {

struct Calf {
    QString no, name, oname, iDate, iKingaku, kisyu;
    int status;  // 1..4
    QString oDate;
};

QWidget *focused(QWidget *window) {
    return window->focusWidget();
}

void key(QWidget *window, int k, Qt::KeyboardModifiers mods = Qt::NoModifier) {
    QTest::keyClick(focused(window), Qt::Key(k), mods);
}

// Replaces the focused field's text as a user would: select all, then type.
void retype(QWidget *window, const QString &text) {
    auto *edit = qobject_cast<QLineEdit *>(focused(window));
    QVERIFY(edit);
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_Backspace);
    QTest::keyClicks(edit, text);
}

// Types into the focused field as a farmer does after Enter: no select, no delete. A
// field reached by a key has its text selected, so typing (or one Backspace, to leave
// it empty) replaces what the previous calf left there.
void typeOver(QWidget *window, const QString &text) {
    auto *edit = qobject_cast<QLineEdit *>(focused(window));
    QVERIFY(edit);
    if (text.isEmpty())
        QTest::keyClick(edit, Qt::Key_Backspace);
    else
        QTest::keyClicks(edit, text);
    QCOMPARE(edit->text(), text);
}

// Japanese arrives through the input method, not as key presses.
void commitJapanese(QWidget *window, const QString &text) {
    auto *edit = qobject_cast<QLineEdit *>(focused(window));
    QVERIFY(edit);
    edit->clear();
    QInputMethodEvent event;
    event.setCommitString(text);
    QApplication::sendEvent(edit, &event);
}

QString focusName(QWidget *window) {
    return focused(window) ? focused(window)->objectName() : QString();
}

// Types one calf from t_No through to the store button, checking the focus path.
void enterCalf(Frm_Cow *ed, const Calf &c, bool newMode = true) {
    QCOMPARE(focusName(ed), QStringLiteral("t_No"));
    retype(ed, c.no);
    key(ed, Qt::Key_Return);
    commitJapanese(ed, c.name);
    key(ed, Qt::Key_Return);
    commitJapanese(ed, c.oname);
    key(ed, Qt::Key_Down);
    QCOMPARE(focusName(ed), QStringLiteral("t_I_Date"));
    typeOver(ed, c.iDate);
    key(ed, Qt::Key_Return);
    typeOver(ed, c.iKingaku);
    key(ed, Qt::Key_Return);
    typeOver(ed, c.kisyu);
    key(ed, Qt::Key_Return);
    QCOMPARE(focusName(ed), QStringLiteral("Option_Dounyuu"));
    for (int s = 1; s < c.status; ++s) key(ed, Qt::Key_Right);
    key(ed, Qt::Key_Return);
    QCOMPARE(focusName(ed), QStringLiteral("t_O_Date"));
    typeOver(ed, c.oDate);
    key(ed, Qt::Key_Return);
    QCOMPARE(focusName(ed), newMode ? QStringLiteral("cmd_New") : QStringLiteral("cmd_Update"));
    key(ed, Qt::Key_Return);
}

// The editor on a new calf, or on the calf with this number.
Frm_Cow *openEditor(const TestYear &year, std::optional<int> no = std::nullopt) {
    std::optional<qint64> calf;
    if (no)
        calf = year.value(QStringLiteral("SELECT rowid FROM T_Cow WHERE No = %1").arg(*no))
                   .toLongLong();
    auto *ed = new Frm_Cow(theYear(), calf);
    ed->setAttribute(Qt::WA_DeleteOnClose);
    ed->show();
    return ed;
}

}  // namespace

class TstRegister : public QObject {
    Q_OBJECT
  private slots:
    void initTestCase() {
        MsgBox::setHeadless(true);
        Clock::setToday(QDate(2026, 8, 15));
    }
    void init() { MsgBox::clearShown(); }

    void workedExampleThroughTheWindows();
    void newModeStartsEmptyAndKeepsDatesAndAmounts();
    void addBeforeActivationAddsACalf();
    void editModeShowsTheStoredCalf();
    void editModeWithUnknownStatusSelectsNothing();
    void monthsCounted_data();
    void monthsCounted();
    void refusedEntriesWriteNothing_data();
    void refusedEntriesWriteNothing();
    void duplicateNumberRefusedButOwnNumberKept();
    void editorKeys();
    void namesStoredOnOneLine();
    void listFollowsTheRegister();
    void deleteAsksAndUpdatesTotals();
    void editSelectsByNumber();
    void longRegisterReadAsScrolled();
    void windowsCloseOnWhatTheyCannotOpen();
};

void TstRegister::workedExampleThroughTheWindows() {
    TestYear year;
    Frm_CowList list(theYear());
    list.show();
    QAbstractItemModelTester tester(list.findChild<QTableView *>("DBGrid_Cow")->model());
    QVERIFY(!list.findChild<QPushButton *>("cmd_Edit")->isEnabled());

    const QList<Calf> calves = {
        {"1", QStringLiteral("あさひ"), QStringLiteral("はな"), "H30/5/10", "", "300,000", 2, ""},
        {"2", QStringLiteral("みどり"), QStringLiteral("ゆき"), "R8/4/3", "400000", "", 1, ""},
        {"3", QStringLiteral("さくら"), QStringLiteral("もも"), "2025-11-01", "", "", 3, "R8.5.20"},
    };
    onModal([&](QWidget *modal) {
        auto *ed = qobject_cast<Frm_Cow *>(modal);
        QVERIFY(ed);
        for (const Calf &c : calves) enterCalf(ed, c);
        QCOMPARE(focusName(ed), QStringLiteral("t_No"));
        ed->close();
    });
    // Down performs a calf-list button.
    list.findChild<QPushButton *>("cmd_New")->setFocus();
    QTest::keyClick(list.findChild<QPushButton *>("cmd_New"), Qt::Key_Down);
    QVERIFY(MsgBox::shown().isEmpty());
    QCOMPARE(list.Data_CowList().recordCount(), 3);
    QVERIFY(list.findChild<QPushButton *>("cmd_Edit")->isEnabled());

    // The ledgers come later; their totals go straight into the year file here.
    year.exec("INSERT INTO T_Cost (Siryou, Nidukuri) VALUES (2950000, 50000)");
    Frm_Wk *wk = theYear().wk();
    theYear().follow(YearFile::Change::All);
    QCOMPARE(wk->t_Keihi, QStringLiteral("3000000"));
    QCOMPARE(wk->t_Mototiku, QStringLiteral("400000"));
    QCOMPARE(wk->t_HiikuTukiKei, QStringLiteral("26"));
    QCOMPARE(wk->t_NendoHiiku, QStringLiteral("2550000"));
    QCOMPARE(wk->t_TukiHiiku, QStringLiteral("98076"));

    QString error;
    QVERIFY2(Cal_Cow(*wk->file(), wk->Cal_TukiHiiku(), &error), qPrintable(error));
    QCOMPARE(
        year.text("SELECT No, Hiikutuki, HiikuKingaku, Kimatu, "
                  "F1||F2||F3||F4||F5||F6||F7||F8||F9||F10||F11||F12 FROM T_Cow ORDER BY rowid"),
        QStringLiteral("1|12|1176912|1476912|;2|9|882684|1282684|買;3|5|490380|0|売"));
    QCOMPARE(year.text("SELECT F4, F5 FROM T_Cow ORDER BY rowid"), QStringLiteral("|;買|;|売"));
}

void TstRegister::newModeStartsEmptyAndKeepsDatesAndAmounts() {
    TestYear year;
    Frm_Cow *ed = openEditor(year);
    QVERIFY(ed->findChild<QPushButton *>("cmd_New")->isVisibleTo(ed));
    QVERIFY(!ed->findChild<QPushButton *>("cmd_Update")->isVisibleTo(ed));
    QVERIFY(ed->findChild<QRadioButton *>("Option_Dounyuu")->isChecked());
    QCOMPARE(ed->t_Syori(), QStringLiteral("1"));
    for (QLineEdit *e : ed->findChildren<QLineEdit *>()) QCOMPARE(e->text(), QString());

    enterCalf(ed, {"7", QStringLiteral("たろう"), QStringLiteral("はな"), "H13/4/1", "1,234",
                   "5,000", 3, "H13/7/1"});
    QCOMPARE(
        year.text("SELECT No, Name, I_Date, I_Kingaku, Kisyu, O_Date, Syori, Hiikutuki FROM T_Cow"),
        QStringLiteral("7|たろう|2001-04-01|1234|5000|2001-07-01|3|7"));
    // The next calf: empty number and names, 導入・種付 again, the dates and amounts kept.
    QCOMPARE(focusName(ed), QStringLiteral("t_No"));
    QVERIFY(ed->findChild<QRadioButton *>("Option_Dounyuu")->isChecked());
    QCOMPARE(ed->findChild<QLineEdit *>("t_No")->text(), QString());
    QCOMPARE(ed->findChild<QLineEdit *>("t_Name")->text(), QString());
    QCOMPARE(ed->findChild<QLineEdit *>("t_I_Date")->text(), QStringLiteral("H13/4/1"));
    QCOMPARE(ed->findChild<QLineEdit *>("t_I_Kingaku")->text(), QStringLiteral("1,234"));
    QCOMPARE(ed->findChild<QLineEdit *>("t_O_Date")->text(), QStringLiteral("H13/7/1"));
    // Closing right away stores nothing more.
    ed->close();
    QCOMPARE(year.value("SELECT count(*) FROM T_Cow").toInt(), 1);
}

void TstRegister::addBeforeActivationAddsACalf() {
    TestYear year;
    year.exec("INSERT INTO T_Cow (No, Name, I_Date, Syori) VALUES (1, 'a', '2001-04-01', 2)");
    Frm_Cow ed(theYear(), std::nullopt);  // never shown, never activated
    ed.findChild<QLineEdit *>("t_No")->setText("2");
    ed.findChild<QLineEdit *>("t_I_Date")->setText("H13/5/1");
    ed.cmd_New_Click();
    QVERIFY(MsgBox::shown().isEmpty());
    QCOMPARE(year.text("SELECT No, Name, I_Date, Syori FROM T_Cow ORDER BY rowid"),
             QStringLiteral("1|a|2001-04-01|2;2|NULL|2001-05-01|1"));
}

void TstRegister::editModeShowsTheStoredCalf() {
    TestYear year;
    year.exec(
        "INSERT INTO T_Cow (No, Name, I_Date, I_Kingaku, Kisyu, O_Date, Syori, S_Kingaku, "
        "S_Birth) VALUES (12, 'x', '2001-04-01', 1234567, -5000, '2019-05-01', 3, 900000, "
        "'2001-01-05')");
    Frm_Cow *ed = openEditor(year, 12);
    QVERIFY(ed->findChild<QPushButton *>("cmd_Update")->isVisibleTo(ed));
    QVERIFY(!ed->findChild<QPushButton *>("cmd_New")->isVisibleTo(ed));
    QVERIFY(ed->findChild<QRadioButton *>("Option_Baikyaku")->isChecked());
    QCOMPARE(ed->findChild<QLineEdit *>("t_No")->text(), QStringLiteral("12"));
    QCOMPARE(ed->findChild<QLineEdit *>("t_I_Date")->text(), QStringLiteral("H13/4/1"));
    QCOMPARE(ed->findChild<QLineEdit *>("t_O_Date")->text(), QStringLiteral("R1/5/1"));
    QCOMPARE(ed->findChild<QLineEdit *>("t_I_Kingaku")->text(), QStringLiteral("1,234,567"));
    QCOMPARE(ed->findChild<QLineEdit *>("t_Kisyu")->text(), QStringLiteral("-5,000"));

    ed->findChild<QLineEdit *>("t_O_Date")->setText(QString());  // not sold after all
    ed->findChild<QRadioButton *>("Option_Hiiku")->click();
    // An edited calf's status is reached at the option now selected.
    ed->findChild<QLineEdit *>("t_Kisyu")->setFocus();
    key(ed, Qt::Key_Return);
    QCOMPARE(focusName(ed), QStringLiteral("Option_Hiiku"));
    QPointer<Frm_Cow> guard(ed);
    ed->cmd_Update_Click();
    QVERIFY(MsgBox::shown().isEmpty());
    // The sale data, which the editor does not show, stays.
    QCOMPARE(year.text("SELECT O_Date, Syori, Hiikutuki, S_Kingaku, S_Birth FROM T_Cow"),
             QStringLiteral("NULL|2|12|900000|2001-01-05"));
    QVERIFY(!guard || !guard->isVisible());
}

void TstRegister::editModeWithUnknownStatusSelectsNothing() {
    TestYear year;
    year.exec("INSERT INTO T_Cow (No, I_Date, Syori) VALUES (4, '2001-04-01', 9)");
    Frm_Cow *ed = openEditor(year, 4);
    for (QRadioButton *o : ed->findChildren<QRadioButton *>()) QVERIFY(!o->isChecked());
    auto *kisyu = ed->findChild<QLineEdit *>("t_Kisyu");
    kisyu->setFocus();
    QTest::keyClick(kisyu, Qt::Key_Return);
    QCOMPARE(focusName(ed), QStringLiteral("t_Kisyu"));
    ed->cmd_Update_Click();
    QCOMPARE(year.text("SELECT Syori, Hiikutuki FROM T_Cow"), QStringLiteral("9|0"));
}

void TstRegister::monthsCounted_data() {
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("iDate");
    QTest::addColumn<QString>("oDate");
    QTest::addColumn<int>("months");
    QTest::newRow("bought in April") << 1 << "H13/4/10"
                                     << "" << 9;
    QTest::newRow("bought in January") << 1 << "H13/1/31"
                                       << "" << 12;
    QTest::newRow("bought in December") << 1 << "H13/12/1"
                                        << "" << 1;
    QTest::newRow("fattening whatever the dates") << 2 << "H13/6/1"
                                                  << "H13/3/1" << 12;
    QTest::newRow("sold in July") << 3 << "H12/4/1"
                                  << "H13/7/20" << 7;
    QTest::newRow("sold, no date: this month") << 3 << "H12/4/1"
                                               << "" << 8;
    QTest::newRow("died in January") << 4 << "H12/4/1"
                                     << "R2/1/5" << 1;
}

void TstRegister::monthsCounted() {
    QFETCH(int, status);
    QFETCH(QString, iDate);
    QFETCH(QString, oDate);
    QFETCH(int, months);
    TestYear year;
    Frm_Cow *ed = openEditor(year);
    enterCalf(ed, {"1", QStringLiteral("a"), QStringLiteral("b"), iDate, "", "", status, oDate});
    QCOMPARE(year.value("SELECT Hiikutuki FROM T_Cow").toInt(), months);
    QCOMPARE(year.value("SELECT Syori FROM T_Cow").toInt(), status);
    ed->close();
}

void TstRegister::refusedEntriesWriteNothing_data() {
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("named");
    QTest::newRow("no purchase date") << "t_I_Date"
                                      << "" << QStringLiteral("導入・種付年月日");
    QTest::newRow("purchase date not a day") << "t_I_Date"
                                             << "H13/2/29" << QStringLiteral("導入・種付年月日");
    QTest::newRow("sale date not a date") << "t_O_Date"
                                          << "abc" << QStringLiteral("売却・死亡年月日");
    QTest::newRow("amount not a number") << "t_I_Kingaku"
                                         << "12a" << QStringLiteral("導入・種付金額");
    QTest::newRow("amount beyond 32 bits") << "t_Kisyu"
                                           << "99999999999" << QStringLiteral("期首棚卸高");
    QTest::newRow("no number") << "t_No"
                               << "" << QStringLiteral("No");
    QTest::newRow("number not a number") << "t_No"
                                         << "abc" << QStringLiteral("No");
    QTest::newRow("number beyond 16 bits") << "t_No"
                                           << "40000" << QStringLiteral("No");
}

void TstRegister::refusedEntriesWriteNothing() {
    QFETCH(QString, field);
    QFETCH(QString, text);
    QFETCH(QString, named);
    TestYear year;
    const QByteArray before = year.bytes();
    Frm_Cow *ed = openEditor(year);
    const QMap<QString, QString> good = {{"t_No", "1"},           {"t_Name", "a"},
                                         {"t_I_Date", "H13/4/1"}, {"t_I_Kingaku", "1"},
                                         {"t_Kisyu", "2"},        {"t_O_Date", ""}};
    for (auto it = good.begin(); it != good.end(); ++it)
        ed->findChild<QLineEdit *>(it.key())->setText(it.key() == field ? text : it.value());
    ed->cmd_New_Click();
    QCOMPARE(MsgBox::shown().size(), 1);
    QCOMPARE(MsgBox::shown().first().title, QStringLiteral("子牛登録"));
    QVERIFY2(MsgBox::shown().first().text.contains(named),
             qPrintable(MsgBox::shown().first().text));
    QCOMPARE(ed->findChild<QLineEdit *>(field)->text(), text);
    QCOMPARE(ed->findChild<QLineEdit *>("t_Name")->text(), QStringLiteral("a"));
    QCOMPARE(focusName(ed), field);
    QCOMPARE(year.bytes(), before);
    ed->close();
}

void TstRegister::duplicateNumberRefusedButOwnNumberKept() {
    TestYear year;
    year.exec(
        "INSERT INTO T_Cow (No, I_Date, Syori) VALUES (5, '2001-04-01', 2), (6, '2001-04-01', 2)");
    const QByteArray before = year.bytes();
    Frm_Cow *ed = openEditor(year);
    ed->findChild<QLineEdit *>("t_No")->setText("5");
    ed->findChild<QLineEdit *>("t_I_Date")->setText("H13/4/1");
    ed->cmd_New_Click();
    QCOMPARE(MsgBox::shown().size(), 1);
    QVERIFY(MsgBox::shown().first().text.contains(QStringLiteral("No 5")));
    QCOMPARE(year.bytes(), before);
    ed->close();

    // Editing calf 6: keeping its own number is fine, taking 5 is not.
    ed = openEditor(year, 6);
    ed->findChild<QLineEdit *>("t_No")->setText("5");
    ed->cmd_Update_Click();
    QCOMPARE(MsgBox::shown().size(), 2);
    QCOMPARE(year.bytes(), before);
    ed->findChild<QLineEdit *>("t_No")->setText("6");
    ed->findChild<QLineEdit *>("t_Kisyu")->setText("1,000");
    ed->cmd_Update_Click();
    QCOMPARE(MsgBox::shown().size(), 2);
    QCOMPARE(year.text("SELECT No, Kisyu FROM T_Cow ORDER BY rowid"),
             QStringLiteral("5|NULL;6|1000"));
}

void TstRegister::editorKeys() {
    TestYear year;
    Frm_Cow *ed = openEditor(year);
    auto *close = ed->findChild<QPushButton *>("cmd_Close");
    close->setFocus();
    key(ed, Qt::Key_Right);
    QCOMPARE(focusName(ed), QStringLiteral("t_No"));
    key(ed, Qt::Key_Up);  // first field: nowhere to go
    QCOMPARE(focusName(ed), QStringLiteral("t_No"));
    key(ed, Qt::Key_Return, Qt::ShiftModifier);
    QCOMPARE(focusName(ed), QStringLiteral("t_Name"));
    QTest::keyClicks(focused(ed), "ab");
    key(ed, Qt::Key_Left);  // the caret moves, the focus does not
    QCOMPARE(focusName(ed), QStringLiteral("t_Name"));
    close->setFocus();
    key(ed, Qt::Key_Up);
    QCOMPARE(focusName(ed), QStringLiteral("cmd_New"));
    key(ed, Qt::Key_Down);
    QCOMPARE(focusName(ed), QStringLiteral("cmd_Close"));
    // Left and Right step through the status options and select them, wrapping.
    ed->findChild<QRadioButton *>("Option_Dounyuu")->setFocus();
    key(ed, Qt::Key_Left);
    QCOMPARE(focusName(ed), QStringLiteral("Option_Sibou"));
    QCOMPARE(ed->t_Syori(), QStringLiteral("4"));
    key(ed, Qt::Key_Up);
    QCOMPARE(focusName(ed), QStringLiteral("t_Kisyu"));
    // A new calf's status is reached at 導入・種付, whichever option is selected.
    key(ed, Qt::Key_Down);
    QCOMPARE(focusName(ed), QStringLiteral("Option_Dounyuu"));
    ed->findChild<QLineEdit *>("t_O_Date")->setFocus();
    key(ed, Qt::Key_Up);
    QCOMPARE(focusName(ed), QStringLiteral("Option_Dounyuu"));
    QCOMPARE(ed->t_Syori(), QStringLiteral("4"));
    ed->close();
}

// A name pasted from a spreadsheet cell or committed by the input method with a line
// break in it is stored on one line, or it would print over the next calf's row.
void TstRegister::namesStoredOnOneLine() {
    TestYear year;
    Frm_Cow *ed = openEditor(year);
    QVERIFY(QTest::qWaitForWindowActive(ed));
    retype(ed, "5");
    key(ed, Qt::Key_Return);
    QGuiApplication::clipboard()->setText(QStringLiteral("さくら\r\n二号\t黒"));
    key(ed, Qt::Key_V, Qt::ControlModifier);
    key(ed, Qt::Key_Return);
    commitJapanese(ed, QStringLiteral("は\nな\r"));
    ed->findChild<QLineEdit *>("t_I_Date")->setText("H13/4/1");
    ed->cmd_New_Click();
    QVERIFY(MsgBox::shown().isEmpty());
    QCOMPARE(year.text("SELECT Name, OName FROM T_Cow"), QStringLiteral("さくら 二号 黒|は な "));
    ed->close();
}

void TstRegister::listFollowsTheRegister() {
    TestYear year;
    year.exec(
        "INSERT INTO T_Cow (No, Name, OName, I_Date, I_Kingaku, Kisyu, O_Date, Hiikutuki) VALUES "
        "(3, 'b', 'c', '2000-04-01', 1234567, NULL, NULL, 9), (1, 'a', NULL, '2019-05-01', 0, 5, "
        "NULL, 12)");
    Frm_CowList list(theYear());
    auto *model = list.findChild<QTableView *>("DBGrid_Cow")->model();
    QAbstractItemModelTester tester(model);
    QCOMPARE(model->rowCount(), 2);
    const QStringList captions = {
        "No",         "子牛名前",         "親牛名前", "導入・種付年月日", "素畜費・種付料",
        "期首棚卸高", "売却・死亡年月日", "肥育月数"};
    for (int c = 0; c < captions.size(); ++c)
        QCOMPARE(model->headerData(c, Qt::Horizontal).toString(), captions[c]);
    // Stored order, not sorted by number.
    QCOMPARE(model->index(0, 0).data().toString(), QStringLiteral("3"));
    QCOMPARE(model->index(0, 3).data().toString(), QStringLiteral("H12.4.1"));
    QCOMPARE(model->index(0, 4).data().toString(), QStringLiteral("1,234,567"));
    QCOMPARE(model->index(0, 5).data().toString(), QString());
    QCOMPARE(model->index(1, 3).data().toString(), QStringLiteral("R1.5.1"));
    QVERIFY(list.findChild<QPushButton *>("cmd_Edit")->isEnabled());

    // Buttons: Right next, Left/Up previous, cyclic; Enter is left to the button.
    auto *newButton = list.findChild<QPushButton *>("cmd_New");
    newButton->setFocus();
    QTest::keyClick(newButton, Qt::Key_Left);
    QCOMPARE(list.focusWidget()->objectName(), QStringLiteral("cmd_Close"));
    QTest::keyClick(list.focusWidget(), Qt::Key_Right);
    QCOMPARE(list.focusWidget()->objectName(), QStringLiteral("cmd_New"));
    QTest::keyClick(list.focusWidget(), Qt::Key_Right);
    QCOMPARE(list.focusWidget()->objectName(), QStringLiteral("cmd_Edit"));
}

void TstRegister::deleteAsksAndUpdatesTotals() {
    TestYear year;
    year.exec(
        "INSERT INTO T_Cow (No, I_Date, I_Kingaku, Syori, Hiikutuki, S_Kingaku) VALUES "
        "(1, '2001-04-01', 100, 1, 9, 111), (2, '2001-04-01', 200, 1, 9, 222)");
    theYear().follow(YearFile::Change::All);
    QCOMPARE(theYear().wk()->t_Mototiku, QStringLiteral("300"));
    Frm_CowList list(theYear());
    auto *grid = list.findChild<QTableView *>("DBGrid_Cow");
    grid->setCurrentIndex(grid->model()->index(1, 0));

    MsgBox::queueAnswer(MsgBox::Answer::Cancel);
    list.cmd_Del_Click();
    QCOMPARE(MsgBox::shown().value(0).text, QStringLiteral("選択したデータを削除します。"));
    QCOMPARE(MsgBox::shown().value(0).title, QStringLiteral("削除"));
    QCOMPARE(year.value("SELECT count(*) FROM T_Cow").toInt(), 2);

    MsgBox::queueAnswer(MsgBox::Answer::Ok);
    QTest::keyClick(grid, Qt::Key_Delete);  // the grid's own delete asks the same
    QCOMPARE(MsgBox::shown().size(), 2);
    // The calf left keeps its own sale data.
    QCOMPARE(year.value("SELECT group_concat(No || ':' || S_Kingaku) FROM T_Cow").toString(),
             QStringLiteral("1:111"));
    QCOMPARE(grid->model()->rowCount(), 1);
    QCOMPARE(theYear().wk()->t_Mototiku, QStringLiteral("100"));

    MsgBox::queueAnswer(MsgBox::Answer::Ok);
    list.cmd_Del_Click();
    QCOMPARE(grid->model()->rowCount(), 0);
    QVERIFY(!list.findChild<QPushButton *>("cmd_Edit")->isEnabled());
    QCOMPARE(theYear().wk()->t_Mototiku, QString());
    // Nothing left to delete: no question.
    list.cmd_Del_Click();
    QCOMPARE(MsgBox::shown().size(), 3);
}

void TstRegister::editSelectsByNumber() {
    TestYear year;
    year.exec(
        "INSERT INTO T_Cow (No, I_Date, Syori) VALUES (3, '2001-04-01', 2), (12, '2001-04-01', 2)");
    Frm_CowList list(theYear());
    auto *grid = list.findChild<QTableView *>("DBGrid_Cow");
    grid->setCurrentIndex(grid->model()->index(1, 0));
    QString shownNumber;
    bool editing = false;
    onModal([&](QWidget *modal) {
        shownNumber = modal->findChild<QLineEdit *>("t_No")->text();
        editing = modal->findChild<QPushButton *>("cmd_Update")->isVisibleTo(modal);
        modal->close();
    });
    // Enter on a row of the grid opens that calf, as 編集 does.
    QTest::keyClick(grid, Qt::Key_Return);
    QVERIFY(editing);
    QCOMPARE(shownNumber, QStringLiteral("12"));
}

void TstRegister::longRegisterReadAsScrolled() {
    TestYear year;
    // Gaps in the stored order wherever a chunk may end.
    year.exec(
        "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 1000) "
        "INSERT INTO T_Cow (No, Syori) SELECT i, 2 FROM n");
    year.exec("DELETE FROM T_Cow WHERE No % 7 = 0");
    const QString stored = year.value("SELECT group_concat(No) FROM T_Cow").toString();
    Frm_CowList list(theYear());
    list.show();
    auto *grid = list.findChild<QTableView *>("DBGrid_Cow");
    auto *model = grid->model();
    QVERIFY(model->rowCount() < 858);
    auto shown = [&] {
        QStringList nos;
        for (int r = 0; r < model->rowCount(); ++r) nos << model->index(r, 0).data().toString();
        return nos.join(u',');
    };
    grid->setFocus();
    for (int i = 0; i < 200 && model->canFetchMore({}); ++i)
        QTest::keyClick(grid, Qt::Key_PageDown);
    QCOMPARE(shown(), stored);
    QAbstractItemModelTester tester(model);

    // A delete far down keeps every row read so far, and the next calf selected.
    grid->setCurrentIndex(model->index(600, 0));
    MsgBox::queueAnswer(MsgBox::Answer::Ok);
    list.cmd_Del_Click();
    QCOMPARE(shown(), year.value("SELECT group_concat(No) FROM T_Cow").toString());
    QCOMPARE(grid->currentIndex().row(), 600);
    QCOMPARE(grid->currentIndex().data().toString(),
             year.value("SELECT No FROM T_Cow LIMIT 1 OFFSET 600").toString());
}

void TstRegister::windowsCloseOnWhatTheyCannotOpen() {
    TestYear year;
    // A calf deleted since the list was read: the editor says so and closes.
    {
        Frm_Cow editor(theYear(), 99);
        QCOMPARE(editor.exec(), int(QDialog::Rejected));
        QCOMPARE(MsgBox::shown().value(0).text,
                 QStringLiteral("選択した子牛はもう登録されていません。"));
    }
    // No year open (a restore that could not open it again): the list says so and closes.
    theYear().close();
    Frm_CowList list(theYear());
    list.show();
    QTRY_VERIFY(!list.isVisible());
    QCOMPARE(MsgBox::shown().value(1).text, CurrentYear::notOpen());
}

QTEST_MAIN(TstRegister)
#include "tst_register.moc"
