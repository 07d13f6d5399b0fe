#include <QApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QInputMethodEvent>
#include <QLabel>
#include <QLineEdit>
#include <QLockFile>
#include <QPointer>
#include <QPushButton>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>
#include <functional>
#include <memory>

#include "Frm_Init.h"
#include "Frm_Main.h"
#include "Frm_Wk.h"
#include "LongFolder.h"
#include "M_Cow.h"
#include "MsgBox.h"
#include "MsgText.h"
#include "PathLimit.h"
#include "PointerFile.h"
#include "QtJapanese.h"
#include "SaleData.h"
#include "StartUp.h"
#include "WindowTest.h"
#include "YearFiles.h"

#ifdef Q_OS_UNIX
#include <sys/resource.h>
#include <unistd.h>

#include <csignal>
#endif

namespace {

// The folder's files but the lock the running start-up holds.
QStringList files() {
    QStringList names = QDir::current().entryList(QDir::Files | QDir::Hidden, QDir::Name);
    names.removeAll(LockFileName);
    return names;
}

// Overwrites bytes of T_Cow's first page, at an offset into that page.
void damageCalfPage(int offset, const QByteArray &bytes) {
    const qint64 page = sqlText(Y13, "PRAGMA page_size").toLongLong();
    const qint64 root =
        sqlText(Y13, "SELECT rootpage FROM sqlite_master WHERE name = 'T_Cow'").toLongLong();
    QFile f(Y13);
    QVERIFY(root > 1 && f.open(QIODevice::ReadWrite) && f.seek((root - 1) * page + offset));
    QVERIFY(f.write(bytes) == bytes.size());
}

// Handles each modal window from inside its exec(); one the handler leaves open is
// closed, so a failed check cannot hang the test.
class Modals : public QObject {
  public:
    explicit Modals(std::function<void(QDialog *)> handle) : handle_(std::move(handle)) {
        connect(&timer_, &QTimer::timeout, this, [this] {
            auto *modal = qobject_cast<QDialog *>(QApplication::activeModalWidget());
            if (!modal || modal == current_) return;
            seen << modal->objectName();
            current_ = modal;
            QVERIFY(QTest::qWaitForWindowActive(modal));
            handle_(modal);
            if (current_ && current_->isVisible()) current_->reject();
        });
        timer_.start(10);
    }
    QStringList seen;

  private:
    std::function<void(QDialog *)> handle_;
    QPointer<QDialog> current_;
    QTimer timer_;
};

QLineEdit *nendo(QWidget *init) {
    return init->findChild<QLineEdit *>("t_Nendo");
}

// As the farmer does it: the year, Enter to the button, Enter on it.
void enterYear(QDialog *init, const QString &year) {
    QCOMPARE(init->objectName(), QStringLiteral("Frm_Init"));
    QCOMPARE(init->windowTitle(), QStringLiteral("開始年度"));
    QCOMPARE(QApplication::focusWidget(), nendo(init));
    QTest::keyClicks(nendo(init), year);
    QTest::keyClick(nendo(init), Qt::Key_Return);
    QCOMPARE(QApplication::focusWidget(), init->findChild<QPushButton *>("cmd_Set"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
}

// The one message shown so far, or "" when there was none.
QString message() {
    return MsgBox::shown().size() == 1 ? MsgBox::shown()[0].text : QString();
}

}  // namespace

class TstStartUp : public QObject {
    Q_OBJECT
    std::unique_ptr<WindowTest> year_;

  private slots:
    void init() { year_ = std::make_unique<WindowTest>(TestYear::Start::Empty); }
    void cleanup() {
        theYear().close();
        releaseWorkingFolder();
        year_.reset();
    }

    void firstRun_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("inputMethod");
        QTest::addColumn<QString>("year");
        QTest::newRow("typed digits") << "13" << false << "13";
        QTest::newRow("full-width digits from the input method")
            << QStringLiteral("１３") << true << "13";
        QTest::newRow("one digit gets its leading zero") << "8" << false << "08";
        QTest::newRow("leading zeros dropped") << "0013" << false << "13";
    }
    void firstRun() {
        QFETCH(QString, typed);
        QFETCH(bool, inputMethod);
        QFETCH(QString, year);
        const QString Y13 = M_Cow::yearFileName(year);
        Modals modals([&](QDialog *init) {
            if (inputMethod) {
                QInputMethodEvent commit;
                commit.setCommitString(typed);
                QApplication::sendEvent(nendo(init), &commit);
            }
            enterYear(init, inputMethod ? QString() : typed);
        });
        QVERIFY(StartUp(theYear()));
        QCOMPARE(modals.seen, QStringList{"Frm_Init"});
        QCOMPARE(MsgBox::shown().size(), 0);
        QCOMPARE(files(), (QStringList{Y13, PointerFile::Name}));
        QCOMPARE(bytesOf(PointerFile::Name), Y13.toLatin1());
        QCOMPARE(sqlText(Y13,
                         "SELECT group_concat(type) FROM (SELECT type FROM sqlite_master "
                         "WHERE type IN ('table', 'view') ORDER BY type)"),
                 "table,table,table,table,view,view,view,view,view,view,view,view");
        QCOMPARE(theYear().wk()->t_Nendo, year);

        // The next start finds the year without asking.
        theYear().close();
        QVERIFY(StartUp(theYear()));
        QCOMPARE(modals.seen, QStringList{"Frm_Init"});
        QCOMPARE(theYear().wk()->t_Nendo, year);
    }

    void setupRefuses_data() {
        QTest::addColumn<QString>("year");  // null: the setup is closed with Escape
        QTest::addColumn<QString>("made");  // a file in the way, made beforehand
        QTest::addColumn<QString>("text");  // found in the message
        const QString number = QStringLiteral("数値を指定してください");
        QTest::newRow("empty") << ""
                               << "" << number;
        QTest::newRow("letters") << "abc"
                                 << "" << number;
        QTest::newRow("fraction") << "1.5"
                                  << "" << number;
        QTest::newRow("above the range") << "99999"
                                         << "" << number;
        QTest::newRow("three digits") << "123"
                                      << "" << QStringLiteral("2桁まで");
        QTest::newRow("closed without a year") << QString() << ""
                                               << "";
        QTest::newRow("damaged template") << "13"
                                          << "cowdata.mdb"
                                          << "cowdata.mdb";
        QTest::newRow("damaged year file") << "13" << Y13 << Y13;
    }
    void setupRefuses() {
        QFETCH(QString, year);
        QFETCH(QString, made);
        QFETCH(QString, text);
        if (!made.isEmpty()) writeBytes(made, "not a database");
        const QStringList before = files();
        Modals modals([&](QDialog *init) {
            if (year.isNull()) {
                QTest::keyClicks(nendo(init), QStringLiteral("13"));
                QTest::keyClick(nendo(init), Qt::Key_Escape);
                return;
            }
            enterYear(init, year);
            QVERIFY2(message().contains(text), qPrintable(message()));
            QCOMPARE(MsgBox::shown()[0].title, QStringLiteral("初期設定"));
            // The setup stays with what was typed, for the farmer to correct.
            QVERIFY(init->isVisible());
            QCOMPARE(nendo(init)->text(), year);
        });
        QVERIFY(!StartUp(theYear()));
        QCOMPARE(modals.seen, QStringList{"Frm_Init"});
        QCOMPARE(files(), before);
        if (!made.isEmpty()) QCOMPARE(bytesOf(made), QByteArray("not a database"));
        QCOMPARE(theYear().wk(), nullptr);
    }

    // A folder that takes no file is refused once, naming it and the way out, before
    // the setup could ask for a year it cannot make.
    void unwritableFolderRefused() {
        QFile::setPermissions(year_->path(), QFile::ReadOwner | QFile::ExeOwner);
        // Permissions do not bind root; sysfs refuses new files to anyone.
        if (QFile probe("probe"); probe.open(QIODevice::WriteOnly)) {
            probe.remove();
#ifdef Q_OS_WIN
            // Under Wine drive Z: is the Linux root, with the same sysfs.
            if (!QDir::setCurrent("Z:/sys")) QSKIP("no folder here refuses new files to this user");
#else
            QVERIFY(QDir::setCurrent("/sys"));
#endif
        }
        Modals modals([](QDialog *init) { enterYear(init, QStringLiteral("13")); });
        QVERIFY(!StartUp(theYear()));
        QCOMPARE(modals.seen, QStringList());
        const QString folder = MsgText::fileLabel(QDir::toNativeSeparators(QDir::currentPath()));
        QVERIFY2(message().contains(folder) && message().contains(QStringLiteral("移してから")),
                 qPrintable(message()));
        QVERIFY(!QFile::exists(PointerFile::Name) && !QFile::exists(Y13));
        QFile::setPermissions(year_->path(),
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }

    // A year file of the first version where nothing can be written is opened to be read,
    // as the message says, its sale fields empty: never the setup again, never a change.
    void olderYearWhereNothingIsWritten_data() {
        QTest::addColumn<QString>("fault");
        QTest::newRow("read-only folder (mode 555)") << "folder";
        // As a full disk does it, for root too: no file grows past its first page.
        QTest::newRow("full disk (file size limit)") << "full";
    }
    void olderYearWhereNothingIsWritten() {
        QFETCH(QString, fault);
#ifndef Q_OS_UNIX
        QSKIP(
            "Windows ignores a folder's read-only mark and limits no file's size: tried on Linux");
#else
        if (fault == "folder" && ::geteuid() == 0)
            QSKIP("permissions do not bind root: tst_faults tries a read-only mount as root");
        QString error;
        QVERIFY(YearFiles::createFromTemplate(Y13, &error));
        sqlExec(Y13, {"INSERT INTO T_Cow (No, Name, I_Date, O_Date, Syori) "
                      "VALUES (1, 'はな', '2000-04-01', '2001-06-01', 3)"});
        makeVersion1(Y13);
        writeBytes(PointerFile::Name, Y13.toLatin1());
        const QByteArray before = bytesOf(Y13);
        const QStringList folder = files();
        rlimit size{};
        QCOMPARE(::getrlimit(RLIMIT_FSIZE, &size), 0);
        const auto signal = std::signal(SIGXFSZ, SIG_IGN);  // a write past it fails instead
        const auto lift = qScopeGuard([&] {
            ::setrlimit(RLIMIT_FSIZE, &size);
            std::signal(SIGXFSZ, signal);
            QFile::setPermissions(year_->path(),
                                  QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        });
        const rlimit onePage{4096, size.rlim_max};
        QVERIFY(fault == "full"
                    ? ::setrlimit(RLIMIT_FSIZE, &onePage) == 0
                    : QFile::setPermissions(year_->path(), QFile::ReadOwner | QFile::ExeOwner));
        Modals modals([](QDialog *) {});
        QVERIFY(StartUp(theYear()));
        QCOMPARE(modals.seen, QStringList());
        QCOMPARE(MsgBox::shown().size(), fault == "folder" ? 2 : 1);
        const QString told = MsgBox::shown().last().text;
        QVERIFY2(told.contains(Y13) && told.contains(QStringLiteral("見るだけで開きます")),
                 qPrintable(told));
        std::vector<SaleData::Row> rows;
        YearFile &file = *theYear().wk()->file();
        QVERIFY2(SaleData::load(file, &rows, &error), qPrintable(error));
        QCOMPARE(rows.size(), size_t(1));
        QCOMPARE(rows[0].stored, QVariantList(Fields::SaleCount));
        QVERIFY(!SaleData::save(file, rows[0].rowid, {800000, 1, 0, 1, 1, "2000-01-10"}, &error));
        QVERIFY2(error.contains(QStringLiteral("保存されていません")), qPrintable(error));
        QCOMPARE(bytesOf(Y13), before);
        QCOMPARE(files(), folder);
#endif
    }

    // A year file opened from the file manager: switched to with the year switch's
    // checks; refused, the folder's own year (or the setup) follows the message.
    void openedYearFile_data() {
        QTest::addColumn<QByteArray>("pointer");  // "": no cowdb.inf
        QTest::addColumn<bool>("damaged");        // cowdata13.mdb is no year file
        QTest::addColumn<QString>("text");        // in the one message; "": none
        QTest::addColumn<QString>("year");        // the year the program starts in
        QTest::newRow("another year current") << QByteArray("cowdata12.mdb") << false << ""
                                              << "13";
        QTest::newRow("no year yet") << QByteArray() << false << ""
                                     << "13";
        QTest::newRow("damaged, another year current")
            << QByteArray("cowdata12.mdb") << true << QStringLiteral("12 年度のまま") << "12";
        QTest::newRow("damaged, no year yet")
            << QByteArray() << true << QStringLiteral("cowdata13.mdb を開けませんでした") << "14";
    }
    void openedYearFile() {
        QFETCH(QByteArray, pointer);
        QFETCH(bool, damaged);
        QFETCH(QString, text);
        QFETCH(QString, year);
        QString error;
        QVERIFY(YearFiles::createFromTemplate("cowdata12.mdb", &error));
        if (damaged)
            writeBytes(Y13, "not a database");
        else
            QVERIFY(YearFiles::createFromTemplate(Y13, &error));
        if (!pointer.isEmpty()) writeBytes(PointerFile::Name, pointer);
        const QByteArray before = bytesOf(Y13);
        Modals modals([](QDialog *init) { enterYear(init, QStringLiteral("14")); });
        QVERIFY(StartUp(theYear(), Y13));
        QVERIFY2(message().contains(text) && MsgBox::shown().size() == !text.isEmpty(),
                 qPrintable(message()));
        QCOMPARE(theYear().wk()->t_Nendo, year);
        QCOMPARE(bytesOf(PointerFile::Name), M_Cow::yearFileName(year).toLatin1());
        QCOMPARE(bytesOf(Y13), before);
    }

    // Only the folder the setup registered is the installed copy's; Windows spells a
    // folder in either case and with either separator.
    void installedFolder_data() {
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QString>("installed");
        QTest::addColumn<bool>("same");
        QTest::newRow("portable: no entry") << "C:/Moriva"
                                            << "" << false;
        QTest::newRow("spelled otherwise")
            << "C:/Program Files/Moriva" << QStringLiteral("c:\\program files\\moriva\\") << true;
        QTest::newRow("another copy installed")
            << QStringLiteral("C:/農場/Moriva") << "C:\\Program Files\\Moriva" << false;
        QTest::newRow("a folder inside it") << "C:/Program Files/Moriva/help"
                                            << "C:\\Program Files\\Moriva" << false;
    }
    void installedFolder() {
        QFETCH(QString, folder);
        QFETCH(QString, installed);
        QFETCH(bool, same);
        QCOMPARE(IsInstalledFolder(folder, installed), same);
    }

    void pointerFile_data() {
        QTest::addColumn<QByteArray>("pointer");
        QTest::addColumn<QByteArray>("year12");  // null: no cowdata12.mdb
        QTest::addColumn<QString>("text");       // found in the message; "" for no message
        QTest::addColumn<bool>("setup");
        QTest::newRow("good") << QByteArray("cowdata12.mdb\r\n") << QByteArray("template") << ""
                              << false;
        QTest::newRow("names a missing file")
            << QByteArray("cowdata12.mdb") << QByteArray() << "cowdata12.mdb" << true;
        QTest::newRow("names a text file")
            << QByteArray("cowdata12.mdb") << QByteArray("H12 子牛\r\n") << "cowdata12.mdb" << true;
        QTest::newRow("leads out of the folder")
            << QByteArray("../cowdata12.mdb") << QByteArray() << "cowdb.inf" << true;
        // Found by fuzzing: on Windows "C:name" is a path relative to drive C's folder.
        QTest::newRow("drive colon")
            << QByteArray("C:cowdata12.mdb") << QByteArray() << "cowdb.inf" << true;
        QTest::newRow("no year in the name") << QByteArray("x.mdb") << QByteArray() << "" << true;
    }
    void pointerFile() {
        QFETCH(QByteArray, pointer);
        QFETCH(QByteArray, year12);
        QFETCH(QString, text);
        QFETCH(bool, setup);
        writeBytes(PointerFile::Name, pointer);
        QString error;
        if (year12 == "template")
            QVERIFY(YearFiles::createFromTemplate("cowdata12.mdb", &error));
        else if (!year12.isNull())
            writeBytes("cowdata12.mdb", year12);
        const QByteArray before = bytesOf("cowdata12.mdb");

        Modals modals([&](QDialog *init) {
            // The message comes first, and nothing has been touched yet.
            QCOMPARE(MsgBox::shown().size(), text.isEmpty() ? 0 : 1);
            QCOMPARE(bytesOf("cowdata12.mdb"), before);
            QVERIFY2(message().contains(text), qPrintable(message()));
            enterYear(init, QStringLiteral("13"));
        });
        QVERIFY(StartUp(theYear()));
        QCOMPARE(modals.seen, setup ? QStringList{"Frm_Init"} : QStringList());
        QCOMPARE(MsgBox::shown().size(), text.isEmpty() ? 0 : 1);
        QCOMPARE(theYear().wk()->t_Nendo, setup ? QStringLiteral("13") : QStringLiteral("12"));
        QCOMPARE(bytesOf(PointerFile::Name), setup ? QByteArray("cowdata13.mdb") : pointer);
        QCOMPARE(QFile::exists("cowdata12.mdb"), !year12.isNull());
        QCOMPARE(bytesOf("cowdata12.mdb"), before);
    }

    // The pointer names a year file that cannot serve: start-up names it, offers the
    // setup, and neither of them writes to the file, even when 13 is typed again.
    void damagedYearFile_data() {
        QTest::addColumn<std::function<void()>>("damage");
        using F = std::function<void()>;
        QTest::newRow("empty") << F([] { QFile(Y13).resize(0); });
        QTest::newRow("not SQLite") << F([] { writeBytes(Y13, "H13 子牛台帳\r\n"); });
        QTest::newRow("truncated") << F([] { QFile(Y13).resize(QFile(Y13).size() / 2 + 100); });
        QTest::newRow("missing a table") << F([] { sqlExec(Y13, {"DROP TABLE T_Proseed"}); });
        QTest::newRow("a query that cannot be read") << F([] {
            sqlExec(Y13, {"DROP VIEW Q_Cost_Ikusei",
                          "CREATE VIEW Q_Cost_Ikusei AS SELECT Ikusei FROM T_Gone"});
        });
        QTest::newRow("another program's database") << F([] {
            QFile::remove(Y13);
            sqlExec(Y13, {"CREATE TABLE T_Cow (No)", "CREATE TABLE T_Cost (x)",
                          "CREATE TABLE T_Proseed (x)"});
        });
        QTest::newRow("a trigger of someone else's") << F([] {
            sqlExec(Y13, {"CREATE TRIGGER wipe AFTER UPDATE ON T_Proseed BEGIN "
                          "DELETE FROM T_Cow; DELETE FROM T_Cost; END"});
        });
        QTest::newRow("calf page: cell pointer out of the page")
            << F([] { damageCalfPage(8, QByteArray("\xff\xf0", 2)); });
        QTest::newRow("calf page: cell count beyond its cells")
            << F([] { damageCalfPage(3, QByteArray("\x00\xff", 2)); });
    }
    void damagedYearFile() {
        QFETCH(std::function<void()>, damage);
        QString error;
        QVERIFY(YearFiles::createFromTemplate(Y13, &error));
        QStringList calves;
        for (int no = 1; no <= 40; ++no)
            calves << QStringLiteral(
                          "INSERT INTO T_Cow (No, Name, Kisyu) VALUES (%1, 'はな', %1 * 1000)")
                          .arg(no);
        sqlExec(Y13, calves);
        damage();
        writeBytes(PointerFile::Name, Y13.toLatin1());
        const QByteArray before = bytesOf(Y13);
        const QStringList folder = files();

        Modals modals([&](QDialog *init) {
            QCOMPARE(MsgBox::shown().size(), 1);
            const QString text = MsgBox::shown()[0].text;
            QVERIFY2(text.contains(Y13) && !text.contains(QStringLiteral("保存されていません")),
                     qPrintable(text));
            // The farmer types the same year: the damaged file is not taken, not replaced.
            enterYear(init, QStringLiteral("13"));
            QCOMPARE(MsgBox::shown().size(), 2);
            QVERIFY2(MsgBox::shown()[1].text.contains(Y13), qPrintable(MsgBox::shown()[1].text));
            QVERIFY(init->isVisible());
        });
        QVERIFY(!StartUp(theYear()));
        QCOMPARE(modals.seen, QStringList{"Frm_Init"});
        QCOMPARE(bytesOf(Y13), before);
        QCOMPARE(files(), folder);
        QCOMPARE(bytesOf(PointerFile::Name), Y13.toLatin1());
    }

    // A working folder too long for SQLite is refused before the setup makes anything;
    // one that holds even the rollover's temporary copy of year 99 is taken.
    void longWorkingFolder_data() {
        QTest::addColumn<int>("over");  // bytes beyond what the longest name allows
        QTest::addColumn<QString>("unit");
        QTest::newRow("just under the limit") << 0 << "x";
        QTest::newRow("just over the limit") << 1 << "x";
        QTest::newRow("just over, in kana") << 1 << "う";
    }
    void longWorkingFolder() {
#ifdef Q_OS_WIN
        QSKIP("a Windows folder this long is past MAX_PATH, a limit Windows puts first");
#endif
        QFETCH(int, over);
        QFETCH(QString, unit);
        const qsizetype longestName = QStringLiteral("/cowdata99.mdb.tmp").size();
        const QString folder =
            longFolder(year_->path(), PathLimit::maxBytes() - longestName + over, unit);
        QVERIFY(!folder.isEmpty() && QDir::setCurrent(folder));
        Modals modals([](QDialog *init) { enterYear(init, QStringLiteral("13")); });
        const bool started = bool(StartUp(theYear()));
        QCOMPARE(started, over <= 0);
        if (started) {
            QCOMPARE(files(), (QStringList{Y13, PointerFile::Name}));
            return;
        }
        QCOMPARE(modals.seen, QStringList());
        QVERIFY2(message().contains(MsgText::fileLabel(folder)) &&
                     message().contains(QString::number(PathLimit::maxBytes())),
                 qPrintable(message()));
        QCOMPARE(QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
                 QStringList());
    }

    // A year file that cannot be opened: the farmer is told of its newest backup.
    void unopenableYearNamesNewestBackup_data() {
        QTest::addColumn<QStringList>("backups");
        QTest::addColumn<QString>("newest");  // "": no backup is mentioned
        QTest::newRow("none") << QStringList() << "";
        QTest::newRow("only another year's")
            << QStringList{"cowdata12_0001_2001-04-01_090000.mdb"} << "";
        QTest::newRow("newest by making, not by the clock in the name")
            << QStringList{"cowdata13_0001_2031-01-01_000000.mdb",
                           "cowdata13_0002_2001-04-01_090000_clear.mdb"}
            << "cowdata13_0002_2001-04-01_090000_clear.mdb";
    }
    void unopenableYearNamesNewestBackup() {
        QFETCH(QStringList, backups);
        QFETCH(QString, newest);
        writeBytes(Y13, "not a database");
        writeBytes(PointerFile::Name, Y13.toLatin1());
        QVERIFY(QDir().mkpath("backup"));
        for (const QString &name : backups) writeBytes("backup/" + name, "copy");
        QString text;
        Modals modals([&](QDialog *) { text = message(); });
        QVERIFY(!StartUp(theYear()));
        QVERIFY2(text.contains(Y13), qPrintable(text));
        QCOMPARE(text.contains(QStringLiteral("バックアップ")), !newest.isEmpty());
        if (!newest.isEmpty()) QVERIFY2(text.contains(newest), qPrintable(text));
    }

    // A crash in the middle of a change leaves SQLite's journal behind; the next start
    // rolls the change back before anything reads the file, and says nothing.
    void leftoverJournalIsRolledBack() {
        QString error;
        QVERIFY(YearFiles::createFromTemplate(Y13, &error));
        QStringList calves;
        for (int no = 1; no <= 200; ++no)
            calves << QStringLiteral("INSERT INTO T_Cow (No, Name) VALUES (%1, '%2')")
                          .arg(no)
                          .arg(QString(250, QLatin1Char('x')));
        sqlExec(Y13, calves);
        // A small cache makes SQLite write the changed pages into the file before the
        // commit; copying the file and its journal then is the state a crash leaves.
        QDir().mkdir("crashed");
        {
            TestDb test(Y13);
            QSqlQuery q(test.db());
            QVERIFY(q.exec("PRAGMA cache_size = 2") && q.exec("BEGIN") &&
                    q.exec("UPDATE T_Cow SET Name = 'changed'"));
            QVERIFY(QFile::exists(Y13 + "-journal"));
            QVERIFY(QFile::copy(Y13, "crashed/" + Y13) &&
                    QFile::copy(Y13 + "-journal", "crashed/" + Y13 + "-journal"));
            QVERIFY(q.exec("ROLLBACK"));
        }
        QVERIFY(bytesOf(Y13) != bytesOf("crashed/" + Y13));
        QVERIFY(QDir::setCurrent("crashed"));
        writeBytes(PointerFile::Name, Y13.toLatin1());

        QVERIFY(StartUp(theYear()));
        QCOMPARE(MsgBox::shown().size(), 0);
        QCOMPARE(sqlText(Y13, "SELECT count(*) FROM T_Cow WHERE Name = 'changed'"), "0");
        QCOMPARE(sqlText(Y13, "PRAGMA integrity_check"), "ok");
        QVERIFY(!QFile::exists(Y13 + "-journal"));
    }

    // The second start is refused before it reads or writes anything; the lock is
    // held by another process in the real case, here by another lock object.
    void secondCopyInTheSameFolder() {
        QString error;
        QVERIFY(YearFiles::createFromTemplate(Y13, &error));
        writeBytes(PointerFile::Name, Y13.toLatin1());
        QLockFile other(LockFileName);
        QVERIFY(other.tryLock(0));
        const QByteArray before = bytesOf(Y13);
        QVERIFY(!StartUp(theYear()));
        QVERIFY2(message().contains(QStringLiteral("すでに起動しています")), qPrintable(message()));
        QCOMPARE(theYear().wk(), nullptr);
        QCOMPARE(bytesOf(Y13), before);
        other.unlock();
        QVERIFY(StartUp(theYear()));
    }

    void setupKeepsExistingYearFile() {
        QString error;
        QVERIFY(YearFiles::createFromTemplate(Y13, &error));
        sqlExec(Y13, {"INSERT INTO T_Cow (Name) VALUES ('はな')"});
        Modals modals([](QDialog *init) { enterYear(init, QStringLiteral("13")); });
        QVERIFY(StartUp(theYear()));
        QCOMPARE(sqlText(Y13, "SELECT group_concat(Name) FROM T_Cow"), QStringLiteral("はな"));
        QCOMPARE(bytesOf(PointerFile::Name), QByteArray("cowdata13.mdb"));
    }

    void workingFolder_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("documents");    // under the home folder; null: the default
        QTest::addColumn<QString>("folder");       // the working folder after, under the test's
        QTest::addColumn<QStringList>("message");  // all found in the message; none: success
        const QString bad = QStringLiteral("起動のしかたが違います");
        const QStringList moriva{"moriva"}, menu{"moriva", "--documents"};
        QTest::newRow("shell start stays") << moriva << QString() << "" << QStringList();
        QTest::newRow("menu start")
            << menu << QString() << "home/Documents/Moriva" << QStringList();
        QTest::newRow("menu start, the desktop's documents folder")
            << menu << QStringLiteral("ドキュメント") << QStringLiteral("home/ドキュメント/Moriva")
            << QStringList();
        QTest::newRow("documents folder is a file")
            << menu << QStringLiteral("f") << ""
            << QStringList{QStringLiteral("作れませんでした"),
                           QDir::toNativeSeparators("home/f/Moriva")};
        QTest::newRow("unknown option") << QStringList{"moriva", "--document"} << QString() << ""
                                        << QStringList{bad, "知らないオプションです：document"};
        QTest::newRow("a year file to open")
            << QStringList{"moriva", "home/" + Y13} << QString() << "home" << QStringList();
        QTest::newRow("another file to open")
            << QStringList{"moriva", "home/f"} << QString() << ""
            << QStringList{bad, "余分な引数です：home/f", QStringLiteral("「年度設定」")};
        QTest::newRow("two year files") << QStringList{"moriva", Y13, Y13} << QString() << ""
                                        << QStringList{bad, "余分な引数です"};
        QTest::newRow("a value given to the option")
            << QStringList{"moriva", "--documents=x"} << QString() << ""
            << QStringList{bad, "値はつけられません：--documents=x"};
        QTest::newRow("the option with one dash")
            << QStringList{"moriva", "-documents"} << QString() << "home/Documents/Moriva"
            << QStringList();
        // The farmer asked for the options: shown, and nothing else is done.
        for (const QString &help : {"--help", "-h"})
            QTest::newRow(qPrintable(help))
                << QStringList{"moriva", help, "--documents"} << QString() << ""
                << QStringList{"使い方：moriva [--documents]", "作業フォルダにします",
                               "この説明を表示します"};
    }
    void workingFolder() {
        QFETCH(QStringList, arguments);
        QFETCH(QString, documents);
        QFETCH(QString, folder);
        QFETCH(QStringList, message);
        const QString home = year_->path() + QStringLiteral("/home");
        const QByteArray oldHome = qgetenv("HOME"), oldConfig = qgetenv("XDG_CONFIG_HOME");
        qputenv("HOME", home.toUtf8());
        qunsetenv("XDG_CONFIG_HOME");
        QVERIFY(QDir().mkpath(home + "/.config"));
#ifdef Q_OS_WIN
        // Windows names the documents folder in the registry, as folder redirection does.
        QSettings shell(QStringLiteral("HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\"
                                       "CurrentVersion\\Explorer\\User Shell Folders"),
                        QSettings::NativeFormat);
        const QVariant oldDocuments = shell.value(QStringLiteral("Personal"));
        shell.setValue(
            QStringLiteral("Personal"),
            QDir::toNativeSeparators(home + u'/' + (documents.isNull() ? "Documents" : documents)));
        shell.sync();
#else
        if (!documents.isNull())
            writeBytes(home + "/.config/user-dirs.dirs",
                       "XDG_DOCUMENTS_DIR=\"$HOME/" + documents.toUtf8() + "\"\n");
#endif
        writeBytes(home + "/f", "a file in the way");

        QString error, usage, opened;
        const bool entered = EnterWorkingFolder(arguments, &error, &usage, &opened);
        const QString now = QDir::currentPath();
        QDir::setCurrent(year_->path());
        qputenv("HOME", oldHome);
#ifdef Q_OS_WIN
        shell.setValue(QStringLiteral("Personal"), oldDocuments);
#endif
        if (!oldConfig.isNull()) qputenv("XDG_CONFIG_HOME", oldConfig);

        const bool help = arguments.contains("--help") || arguments.contains("-h");
        QCOMPARE(entered, message.isEmpty() || help);
        QCOMPARE(usage.isEmpty(), !help);
        const QString said = help ? usage : error;
        for (const QString &text : message) QVERIFY2(said.contains(text), qPrintable(said));
        // Qt's own English texts stay out of what the farmer reads.
        QVERIFY2(!said.contains(QRegularExpression("[A-Za-z]{3,} [a-z]{3,}")), qPrintable(said));
        QCOMPARE(now, folder.isEmpty() ? year_->path() : year_->path() + u'/' + folder);
        QCOMPARE(opened, QTest::currentDataTag() == QByteArray("a year file to open") ? Y13 : "");
    }

    void setupKeys() {
        Frm_Init init;
        init.show();
        QVERIFY(QTest::qWaitForWindowActive(&init));
        QLineEdit *year = nendo(&init);
        auto *set = init.findChild<QPushButton *>("cmd_Set");
        QTest::keyClick(year, Qt::Key_Up);  // the first field: nowhere to go
        QCOMPARE(QApplication::focusWidget(), year);
        QTest::keyClicks(year, QStringLiteral("13"));
        QTest::keyClick(year, Qt::Key_Left);  // the cursor moves, not the focus
        QCOMPARE(QApplication::focusWidget(), year);
        QCOMPARE(year->cursorPosition(), 1);
        QTest::keyClick(year, Qt::Key_Right);
        QCOMPARE(QApplication::focusWidget(), year);
        QCOMPARE(year->cursorPosition(), 2);
        QTest::keyClick(year, Qt::Key_Return, Qt::ShiftModifier);
        QCOMPARE(QApplication::focusWidget(), set);
        QTest::keyClick(set, Qt::Key_Up);
        QCOMPARE(QApplication::focusWidget(), year);
        QTest::keyClick(year, Qt::Key_Down);
        QCOMPARE(QApplication::focusWidget(), set);
        QCOMPARE(files(), QStringList());
        QTest::keyClick(set, Qt::Key_Enter, Qt::ShiftModifier | Qt::KeypadModifier);
        QCOMPARE(init.result(), int(QDialog::Accepted));
        QCOMPARE(init.yearText(), QStringLiteral("13"));
    }

    // Qt's own dialogs speak Japanese from the embedded catalogue, whatever the system's
    // language and whether or not the system has Qt's translations.
    void qtDialogsInJapanese() {
        QVERIFY(InstallQtJapanese());
        QFileDialog dialog(nullptr, QString(), year_->path());
        dialog.setFileMode(QFileDialog::Directory);
        dialog.setOption(QFileDialog::DontUseNativeDialog);
        dialog.show();
        QStringList texts{dialog.findChild<QLabel *>("lookInLabel")->text(),
                          QCoreApplication::translate("QPrintPreviewDialog", "Next page")};
        for (QAbstractButton *b : dialog.findChild<QDialogButtonBox *>()->buttons())
            texts << b->text();
        texts.sort();
        QCOMPARE(texts, QStringList({"アドレス:", "キャンセル", "次のページ", "選択(&C)"}));
    }
};

QTEST_MAIN(TstStartUp)
#include "tst_startup.moc"
