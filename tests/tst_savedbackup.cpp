// Every year saved to a folder of the farmer's choosing (a USB stick): the copies hold
// the years' rows as they are, the list beside them says what is in them, and a save
// that is refused or fails leaves nothing behind and the working folder as it was.

#include <QCryptographicHash>
#include <QTableWidget>
#include <QtTest>

#include "Amount.h"
#include "Frm_Restore.h"
#include "MsgBox.h"
#include "OnModal.h"
#include "Restore.h"
#include "SaveBackup.h"
#include "TestYear.h"
#include "YearFile.h"

namespace {

QMap<QString, QByteArray> filesOf(const QString &folder) {
    QMap<QString, QByteArray> files;
    for (const QString &f : QDir(folder).entryList(QDir::Files | QDir::Hidden))
        files[f] = bytesOf(QDir(folder).filePath(f));
    return files;
}

QString tables(const QString &file) {
    return sqlText(file, "SELECT * FROM T_Cow ORDER BY rowid") + '#' +
           sqlText(file, "SELECT * FROM T_Cost ORDER BY rowid") + '#' +
           sqlText(file, "SELECT * FROM T_Proseed ORDER BY rowid");
}

// A removable medium as Windows names it: another drive (under Wine Z:, the Linux root),
// and a folder named in Japanese.
struct Stick {
    QTemporaryDir dir{onWindows ? "Z:/tmp/stick-XXXXXX" : QDir::tempPath() + "/stick-XXXXXX"};
    Stick() { QDir().mkpath(path()); }
    QString path() const { return dir.path() + "/USBメモリ"; }
    QString filePath(const QString &name) const { return path() + '/' + name; }
};

}  // namespace

class TstSavedBackup : public QObject {
    Q_OBJECT
  private slots:
    void initTestCase() { MsgBox::setHeadless(true); }

    void save_data() {
        QTest::addColumn<QString>("target");  // "stick", or a folder of the working folder
        QTest::addColumn<int>("saves");
        QTest::addColumn<QString>("said");  // the start of the last message
        QTest::newRow("two years") << "stick" << 1 << "バックアップを保存しました。";
        QTest::newRow("twice in one minute") << "stick" << 2 << "バックアップを保存しました。";
        QTest::newRow("the working folder")
            << "." << 1 << "には保存できません。このプログラムの作業フォルダです。";
        QTest::newRow("its backup folder")
            << "backup" << 1 << "には保存できません。このプログラムのバックアップのフォルダ";
        QTest::newRow("stick pulled out") << "gone" << 1 << "バックアップをフォルダ";
        QTest::newRow("a damaged year") << "damaged" << 1 << "バックアップをフォルダ";
    }
    void save() {
        QFETCH(QString, target);
        QFETCH(int, saves);
        QFETCH(QString, said);
        TestYear y;
        y.exec(
            "INSERT INTO T_Cow (No, Name, I_Date, I_Kingaku, Syori, Hiikutuki, Kimatu) "
            "VALUES (1, 'あ', '2001-03-01', 300000, 1, 10, 500)");
        y.exec("INSERT INTO T_Cost (Sozei, Siryou) VALUES (5000, 800000)");
        QString error;
        QVERIFY(YearFiles::createFromTemplate("cowdata12.mdb", &error));
        sqlRows("cowdata12.mdb", {"INSERT INTO T_Cow (No, Name) VALUES (7, 'まえ'), (8, 'つぎ')"});
        writeBytes("cowdb.inf", "cowdata13.mdb\r\n");
        QDir().mkdir("backup");
        if (target == "damaged") writeBytes("cowdata12.mdb", QByteArray(4096, 'x'));
        Stick stick;
        QVERIFY(stick.dir.isValid());
        const QString folder = target == "gone"                      ? stick.filePath("gone")
                               : target == "." || target == "backup" ? y.path() + '/' + target
                                                                     : stick.path();
        const auto before = filesOf(y.path());
        MsgBox::clearShown();
        for (int n = 0; n < saves; ++n) {
            int asked = 0;  // a refused folder is asked again: then Cancel
            Frm_Restore::setFolderAnswer([&] { return asked++ ? QString() : folder; });
            SaveBackup::run(nullptr);
        }
        QCOMPARE(MsgBox::shown().size(), saves);
        const QString text = MsgBox::shown().last().text;
        QVERIFY2(text.contains(said), qPrintable(text));
        QCOMPARE(filesOf(y.path()), before);
        QCOMPARE(QDir("backup").isEmpty(), true);
        const QStringList made = QDir(stick.path()).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
        QCOMPARE(QDir(y.path()).entryList({"Moriva-*"}, QDir::Dirs), QStringList());
        if (!said.startsWith("バックアップを保存しました")) {
            QCOMPARE(made, QStringList());
            QVERIFY(target != "damaged" || text.contains("cowdata12.mdb"));  // the cause
            return;
        }
        QCOMPARE(made.size(), saves);
        const QString saved = stick.filePath(made.last());
        QVERIFY2(text.contains(QDir::toNativeSeparators(saved)) && text.contains("年度の数：2"),
                 qPrintable(text));
        QCOMPARE(bytesOf(saved + "/cowdb.inf"), before["cowdb.inf"]);
        const QString list = QString::fromUtf8(bytesOf(saved + "/目録.txt"));
        QVERIFY(bytesOf(saved + "/目録.txt").startsWith("\xEF\xBB\xBF") &&
                !list.contains(QRegularExpression("[^\r]\n")));
        for (const QString &year : {"cowdata12.mdb", "cowdata13.mdb"}) {
            const QString copy = saved + '/' + year;
            QCOMPARE(tables(copy), tables(year));
            const auto closing = Frm_Wk::closingOf(YearFile::open(year, &error, true));
            QVERIFY2(
                list.contains(
                    QStringList{
                        year.mid(7, 2), year, sqlText(year, "SELECT count(*) FROM T_Cow"),
                        Amount::format(closing.value()),
                        QCryptographicHash::hash(bytesOf(copy), QCryptographicHash::Sha256).toHex()}
                        .join('\t') +
                    "\r\n"),
                qPrintable(list));
        }
    }

    // A copy goes back whole or not at all, and the file it replaced can be brought back;
    // from the window, Enter on the chosen row and OK restore it and the work window
    // reads the restored year.
    void restore_data() {
        QTest::addColumn<QString>("copy");
        QTest::newRow("a saved year onto a new PC") << "new PC";
        QTest::newRow("by keys, then undone") << "keys";
        QTest::newRow("a damaged copy") << "damaged";
        QTest::newRow("a copy from a newer version") << "newer";
        QTest::newRow("over a damaged year file") << "over damaged";
        QTest::newRow("every year onto a new PC, by keys") << "whole";
    }
    void restore() {
        QFETCH(QString, copy);
        TestYear y;
        y.exec("INSERT INTO T_Cow (No, Name) VALUES (1, 'あ')");
        const QString saved = tables("cowdata13.mdb");
        QString error;
        QVERIFY(YearFiles::createFromTemplate("cowdata12.mdb", &error));
        sqlRows("cowdata12.mdb", {"INSERT INTO T_Cow (No, Name) VALUES (7, 'まえ')"});
        const QString saved12 = tables("cowdata12.mdb");
        if (copy == "whole") writeBytes("cowdb.inf", "cowdata12.mdb");
        Stick stick;
        QVERIFY(stick.dir.isValid());
        Frm_Restore::setFolderAnswer([&] { return stick.path(); });
        SaveBackup::run(nullptr);
        y.exec("DELETE FROM T_Cow");
        const QString changed = tables("cowdata13.mdb");
        std::unique_ptr<WorkingFolder> newPc;
        if (copy == "new PC" || copy == "whole") newPc = std::make_unique<WorkingFolder>();
        const QString onStick = stick.filePath(
            QDir(stick.path()).entryList(QDir::Dirs | QDir::NoDotAndDotDot).value(0) +
            "/cowdata13.mdb");
        if (copy == "damaged") writeBytes(onStick, QByteArray(4096, 'x'));
        if (copy == "newer") sqlRows(onStick, {"PRAGMA user_version = 99"});
        if (copy == "over damaged") writeBytes("cowdata13.mdb", QByteArray(4096, 'x'));
        const QByteArray before = bytesOf("cowdata13.mdb");
        MsgBox::clearShown();
        const auto release = [] { Frm_Wk::unload(); };
        QList<Restore::Copy> found = Restore::find(stick.path(), {});
        QCOMPARE(found.size(), 2);
        found.removeIf([](const Restore::Copy &c) { return c.yearFile != "cowdata13.mdb"; });
        if (copy == "whole") {
            Frm_Restore w;
            w.show();
            QVERIFY(QTest::qWaitForWindowActive(&w));
            w.cmd_Folder_Click();
            // From the list on to すべての年度を戻す, pressed.
            for (Qt::Key key : {Qt::Key_Tab, Qt::Key_Right, Qt::Key_Right, Qt::Key_Space})
                QTest::keyClick(QApplication::focusWidget(), key);
            QVERIFY2(shownBoxes().contains("（cowdata12.mdb、cowdata13.mdb の 2 年度分）"),
                     qPrintable(shownBoxes()));
            QCOMPARE(tables("cowdata12.mdb") + tables("cowdata13.mdb"), saved12 + saved);
            QCOMPARE(bytesOf("cowdb.inf"), "cowdata12.mdb");
            QCOMPARE(M_Cow::DbFileName, "cowdata12.mdb");
            Frm_Wk::unload();  // Windows removes no folder with a file open in it
            return;
        }
        if (copy == "keys") {
            Frm_Restore w;
            auto *grid = w.findChild<QTableWidget *>("grid_Copies");
            QCOMPARE(w.focusWidget(), grid);
            w.cmd_Folder_Click();
            QTest::keyClick(grid, Qt::Key_Down);  // the same moment: cowdata12, then 13
            QTest::keyClick(grid, Qt::Key_Return);
            QCOMPARE(
                shownBoxes().remove(QRegularExpression("\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d")),
                "バックアップから戻す|cowdata13.mdb（子牛 0 頭）を  の写し（子牛 1 頭）に戻します。"
                "今のファイルはバックアップに残します。|OK/Cancel\n"
                "バックアップから戻す|バックアップから戻しました。");
            QSqlQuery q(Frm_Wk::instance()->file()->db());
            QVERIFY(q.exec("SELECT count(*) FROM T_Cow") && q.next() && q.value(0) == 1);
        } else {
            const bool ok = Restore::restore(found[0], release, &error);
            QCOMPARE(ok, found[0].problem.isEmpty());
            QVERIFY2(ok || error.contains("cowdata13.mdb は元のままです"), qPrintable(error));
        }
        if (copy == "damaged" || copy == "newer") {
            QVERIFY(!found[0].problem.isEmpty());
            QCOMPARE(bytesOf("cowdata13.mdb"), before);
            QCOMPARE(QFile::exists("cowdata13.mdb.tmp"), false);
            return;
        }
        QCOMPARE(tables("cowdata13.mdb"), saved);
        if (copy == "over damaged")  // kept, never deleted
            QCOMPARE(bytesOf("backup/" + QDir("backup").entryList({"*_damaged_*"}).value(0)),
                     before);
        if (copy != "keys") return;
        found = Restore::find({}, {});
        QCOMPARE(found[0].kind, Restore::Kind::BeforeRestore);
        QVERIFY2(Restore::restore(found[0], release, &error), qPrintable(error));
        QCOMPARE(tables("cowdata13.mdb"), changed);
    }
};

QTEST_MAIN(TstSavedBackup)
#include "tst_savedbackup.moc"
