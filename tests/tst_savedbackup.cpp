// Every year saved to a folder of the farmer's choosing (a USB stick): the copies hold
// the years' rows as they are, the list beside them says what is in them, and a save
// that is refused or fails leaves nothing behind and the working folder as it was.

#include <QAbstractItemModelTester>
#include <QCryptographicHash>
#include <QProcess>
#include <QTableView>
#include <QtTest>

#include "Amount.h"
#include "Backup.h"
#include "Frm_Restore.h"
#include "MsgBox.h"
#include "MsgText.h"
#include "OnModal.h"
#include "Restore.h"
#include "SaveBackup.h"
#include "SavedBackup.h"
#include "Snapshot.h"
#include "TestYear.h"
#include "YearFile.h"

namespace {

QMap<QString, QByteArray> filesOf(const QString &folder) {
    QMap<QString, QByteArray> files;
    for (const QString &f : QDir(folder).entryList(QDir::Files | QDir::Hidden))
        files[f] = bytesOf(QDir(folder).filePath(f));
    return files;
}

QByteArray sha256(const QString &file) {
    return QCryptographicHash::hash(bytesOf(file), QCryptographicHash::Sha256).toHex();
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
        QTest::newRow("stick gone after the rename") << "pulled" << 1 << "が残っているか確かめられ";
        QTest::newRow("stick read-only before it") << "readonly" << 1 << "を消せませんでした";
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
        const auto mount = [&](const QStringList &args) {  // a tmpfs as the stick, quietly
            QProcess p;
            p.start(args[0], args.mid(1) << stick.dir.path());
            return p.waitForFinished() && p.exitCode() == 0;
        };
        if ((target == "pulled" || target == "readonly") &&
            (onWindows || !QDir().rmdir(stick.path()) ||
             !mount({"mount", "-t", "tmpfs", "tmpfs"}) || !QDir().mkpath(stick.path())))
            QSKIP("a stick going away late is tried on Linux, as root");
        Snapshot::setBeforeSync([&](const QString &path, bool folder) {
            if (folder && target == "pulled" && path == stick.path()) mount({"umount", "-l"});
            if (folder && target == "readonly" && path.endsWith(".tmp"))
                mount({"mount", "-o", "remount,ro"});
        });
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
        Snapshot::setBeforeSync({});
        const QStringList made = QDir(stick.path()).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
        mount({"umount", "-l"});
        QCOMPARE(MsgBox::shown().size(), saves);
        const QString text = MsgBox::shown().last().text;
        QVERIFY2(text.contains(said), qPrintable(text));
        QCOMPARE(filesOf(y.path()), before);
        QCOMPARE(QDir("backup").isEmpty(), true);
        QCOMPARE(QDir(y.path()).entryList({"Moriva-*"}, QDir::Dirs), QStringList());
        if (!said.startsWith("バックアップを保存しました")) {
            for (const QString &left : made)  // only what the message names
                QVERIFY2(text.contains(QDir::toNativeSeparators(stick.filePath(left))),
                         qPrintable(text));
            QVERIFY(target != "damaged" || text.contains("cowdata12.mdb"));  // the cause
            QVERIFY(target != "pulled" || text.contains(SavedBackup::Prefix));
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
        QTest::newRow("every year, the new PC's folder refusing the second") << "whole refused";
    }
    void restore() {
        QFETCH(QString, copy);
        TestYear y;
        y.exec("INSERT INTO T_Cow (No, Name) VALUES (1, 'あ')");
        const QString saved = tables(Y13);
        QString error;
        QVERIFY(YearFiles::createFromTemplate("cowdata12.mdb", &error));
        sqlRows("cowdata12.mdb", {"INSERT INTO T_Cow (No, Name) VALUES (7, 'まえ')"});
        const QString saved12 = tables("cowdata12.mdb");
        const bool whole = copy.startsWith("whole");
        if (whole) writeBytes("cowdb.inf", "cowdata12.mdb");
        Stick stick;
        QVERIFY(stick.dir.isValid());
        Frm_Restore::setFolderAnswer([&] { return stick.path(); });
        SaveBackup::run(nullptr);
        y.exec("DELETE FROM T_Cow");
        const QString changed = tables(Y13);
        std::unique_ptr<WorkingFolder> newPc;
        if (copy == "new PC" || whole) newPc = std::make_unique<WorkingFolder>();
        if (copy == "whole refused") QDir().mkdir("cowdata13.mdb.tmp");  // no file can go there
        const QString onStick = stick.filePath(
            QDir(stick.path()).entryList(QDir::Dirs | QDir::NoDotAndDotDot).value(0) +
            "/cowdata13.mdb");
        if (copy == "damaged") writeBytes(onStick, QByteArray(4096, 'x'));
        if (copy == "newer") sqlRows(onStick, {"PRAGMA user_version = 99"});
        if (copy == "over damaged") writeBytes(Y13, QByteArray(4096, 'x'));
        const QByteArray before = bytesOf(Y13);
        MsgBox::clearShown();
        const auto release = [] { theYear().close(); };
        QList<Restore::Copy> found = Restore::find(stick.path(), {});
        QCOMPARE(found.size(), 2);
        found.removeIf([](const Restore::Copy &c) { return c.yearFile != Y13; });
        if (whole) {
            Frm_Restore w(theYear());
            w.show();
            QVERIFY(QTest::qWaitForWindowActive(&w));
            w.cmd_Folder_Click();
            // From the list on to すべての年度を戻す, pressed.
            for (Qt::Key key : {Qt::Key_Tab, Qt::Key_Right, Qt::Key_Right, Qt::Key_Space})
                QTest::keyClick(QApplication::focusWidget(), key);
            QVERIFY2(shownBoxes().contains("（cowdata12.mdb、cowdata13.mdb の 2 年度分）"),
                     qPrintable(shownBoxes()));
            if (copy == "whole refused") {  // named: the folder that refused, not the stick
                const QString here = MsgText::fileLabel(QDir::currentPath());
                QVERIFY2(shownBoxes().contains("の写しをフォルダ " + here + " に作れません") &&
                             shownBoxes().endsWith("戻した年度：cowdata12.mdb"),
                         qPrintable(shownBoxes()));
                QCOMPARE(tables("cowdata12.mdb"), saved12);
                QVERIFY(!QFile::exists(Y13));
                return;
            }
            QCOMPARE(tables("cowdata12.mdb") + tables(Y13), saved12 + saved);
            QCOMPARE(bytesOf("cowdb.inf"), "cowdata12.mdb");
            QCOMPARE(theYear().fileName(), "cowdata12.mdb");
            theYear().close();  // Windows removes no folder with a file open in it
            return;
        }
        if (copy == "keys") {
            Frm_Restore w(theYear());
            auto *grid = w.findChild<QTableView *>("grid_Copies");
            QCOMPARE(w.focusWidget(), grid);
            w.cmd_Folder_Click();
            QTest::keyClick(grid, Qt::Key_Down);  // the same moment: cowdata12, then 13
            QTest::keyClick(grid, Qt::Key_Return);
            QCOMPARE(
                shownBoxes().remove(QRegularExpression("\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d")),
                "バックアップから戻す|cowdata13.mdb（子牛 0 頭）を  の写し（子牛 1 頭）に戻します。"
                "今のファイルはバックアップに残します。|OK/Cancel\n"
                "バックアップから戻す|バックアップから戻しました。");
            QSqlQuery q(theYear().wk()->file()->db());
            QVERIFY(q.exec("SELECT count(*) FROM T_Cow") && q.next() && q.value(0) == 1);
        } else {
            const bool ok = Restore::restore(found[0], release, &error);
            QCOMPARE(ok, found[0].problem.isEmpty());
            QVERIFY2(ok || error.contains("cowdata13.mdb は元のままです"), qPrintable(error));
        }
        if (copy == "damaged" || copy == "newer") {
            QVERIFY(!found[0].problem.isEmpty());
            QCOMPARE(bytesOf(Y13), before);
            QCOMPARE(QFile::exists("cowdata13.mdb.tmp"), false);
            return;
        }
        QCOMPARE(tables(Y13), saved);
        if (copy == "over damaged")  // kept, never deleted
            QCOMPARE(bytesOf("backup/" + QDir("backup").entryList({"*_damaged_*"}).value(0)),
                     before);
        if (copy != "keys") return;
        found = Restore::find({}, {});
        QCOMPARE(found[0].kind, Restore::Kind::BeforeRestore);
        QVERIFY2(Restore::restore(found[0], release, &error), qPrintable(error));
        QCOMPARE(tables(Y13), changed);
    }

    // A saved copy is offered only while it holds what its folder's list says was saved,
    // and no copy, list or pointer file is read through a link: another farm's year or a
    // stick's bit rot must not replace a good year. One that cannot be used is greyed, says
    // why in its row, and is refused below the window too, even when it changed since.
    void checked_data() {
        QTest::addColumn<QString>("change");  // to the saved backup of year 13
        QTest::addColumn<QString>("reason");  // in the copy's row
        QTest::addColumn<QString>("said");    // once it is restored, or refused
        const QString back = "バックアップから戻しました。", differs = "に書かれた中身と違います";
        const auto row = [](const char *name, const char *change, QString reason, QString said) {
            QTest::newRow(name) << QString(change) << reason << said;
        };
        row("as saved", "", "", back);
        row("a calf renamed, quick_check ok", "rename", differs, differs);
        row("the list's count edited", "count", "の 2 頭と合いません", "合いません");
        row("its line gone from the list", "unlisted", "に載っていません", "載っていません");
        row("a link to another farm's year", "link copy", "リンク", "リンク");
        row("its list a link", "link list", "リンク", "リンク");
        row("its cowdb.inf a link", "link pointer", "リンク", "リンク");
        row("an automatic backup a link", "link backup", "リンク", "リンク");
        row("no list: said before restoring", "no list", "確かめられません", back);
        row("renamed after the list was shown", "rename later", "", differs);
    }
    void checked() {
        QFETCH(QString, change);
        QFETCH(QString, reason);
        QFETCH(QString, said);
        if (onWindows && change.startsWith("link"))
            QSKIP("symbolic links need rights a Windows user seldom has");
        TestYear y;
        y.exec("INSERT INTO T_Cow (No, Name) VALUES (1, 'あ')");
        Stick stick;
        Frm_Restore::setFolderAnswer([&] { return stick.path(); });
        SaveBackup::run(nullptr);
        const QString folder = stick.filePath(
            QDir(stick.path()).entryList(QDir::Dirs | QDir::NoDotAndDotDot).value(0));
        const QString list = folder + "/目録.txt", theirs = stick.filePath("よそ.mdb");
        const QString copy = change == "link backup" ? "backup/cowdata13_0001_2001-12-28_153000.mdb"
                                                     : folder + "/cowdata13.mdb";
        QVERIFY(QFile::copy(Y13, theirs) && QDir().mkpath("backup"));
        sqlRows(theirs, {"UPDATE T_Cow SET Name = 'よそ'"});  // another farm's calf
        y.exec("DELETE FROM T_Cow");
        const auto rename = [&] { writeBytes(copy, bytesOf(copy).replace("あ", "い")); };
        QString text = QString::fromUtf8(bytesOf(list));
        if (change == "rename") rename();
        if (change == "count") text.replace("\t1\t", "\t2\t");
        if (change == "unlisted") text.remove(QRegularExpression(".*\tcowdata13.mdb\t.*\n"));
        if (change == "link copy") text.replace(sha256(copy), sha256(theirs));  // as if listed so
        writeBytes(list, text.toUtf8());
        if (change == "no list") QVERIFY(QFile::remove(list));
        const QString linked = change == "link list" ? list : folder + "/cowdb.inf";
        if (change.startsWith("link")) {
            const QString at = change == "link copy" || change == "link backup" ? copy : linked;
            QFile::remove(at);
            QVERIFY(QFile::link(theirs, at));
        }
        Frm_Restore w(theYear());
        auto *grid = w.findChild<QTableView *>("grid_Copies");
        QAbstractItemModelTester tester(grid->model(),
                                        QAbstractItemModelTester::FailureReportingMode::QtTest);
        w.cmd_Folder_Click();
        const QList<Restore::Copy> found = Restore::find(stick.path(), {});  // as the window's
        qsizetype row = 0;
        while (row < found.size() && found[row].path != copy) ++row;
        QVERIFY(row < found.size());
        if (change == "rename later") rename();
        const QString shown = grid->model()->index(row, 5).data().toString();
        QVERIFY2(shown.contains(reason) && reason.isEmpty() == shown.isEmpty() &&
                     !shown.contains(QDir::toNativeSeparators(stick.path())),
                 qPrintable(shown));
        const bool offered = reason.isEmpty() || change == "no list";
        QCOMPARE(bool(grid->model()->index(row, 0).flags() & Qt::ItemIsEnabled), offered);
        MsgBox::clearShown();
        if (offered) {  // by the window, as the farmer does
            grid->selectRow(row);
            w.cmd_Restore_Click();
        } else if (QString error; !Restore::restore(found[row], {}, &error)) {
            MsgBox::show(nullptr, error);
        }
        QVERIFY2(shownBoxes().contains(said) && shownBoxes().contains(reason),
                 qPrintable(shownBoxes()));
        QCOMPARE(y.value("SELECT count(*) FROM T_Cow").toInt(),
                 said.startsWith("バックアップから戻しました") ? 1 : 0);
    }

    // Restores one after another keep the year as it was before the first of them, and
    // push no older backup out, until the year changes again; rows made in one minute
    // show their seconds.
    void restoreRuns_data() {
        QTest::addColumn<int>("restores");
        QTest::addColumn<bool>("changes");  // the year changes before each restore
        QTest::newRow("twelve restores of one copy") << 12 << false;
        QTest::newRow("a change between two restores") << 2 << true;
    }
    void restoreRuns() {
        QFETCH(int, restores);
        QFETCH(bool, changes);
        TestYear y;
        Stick stick;
        Frm_Restore::setFolderAnswer([&] { return stick.path(); });
        SaveBackup::run(nullptr);
        QString error;
        for (int n = 0; n < Backup::Generations; ++n)  // as many days as are kept
            QVERIFY(Backup::make(*theYear().wk()->file(), &error));
        const QStringList days = Backup::of(Y13);
        QStringList had;  // each state the farmer left the year in before a restore
        for (int n = 0; n < restores; ++n) {
            if (n == 0 || changes) {
                y.exec(QStringLiteral("INSERT INTO T_Cow (No) VALUES (%1)").arg(n));
                had << tables(Y13);
            }
            // The saved copy: made first, it is the last listed.
            // The work window lets the file go, as the window's restore does: Windows
            // renames nothing over an open file.
            QVERIFY2(
                Restore::restore(
                    Restore::find(stick.path(), {}).constLast(), [] { theYear().close(); }, &error),
                qPrintable(error));
            QVERIFY2(theYear().reopen(&error), qPrintable(error));
        }
        for (const QString &day : days)  // a change ends the run: the copies age as ever then
            QVERIFY2(changes || Backup::of(Y13).contains(day), qPrintable(day));
        QStringList kept;
        for (const Restore::Copy &c : Restore::find({}, {}))
            if (c.kind == Restore::Kind::BeforeRestore) kept << tables(c.path);
        for (const QString &state : had) QVERIFY(kept.contains(state));
        QVERIFY(kept.size() <= had.size() + 1);  // not one a restore
        Frm_Restore w(theYear());                // to the second: "yyyy-MM-dd HH:mm:ss"
        QCOMPARE(
            w.findChild<QTableView *>("grid_Copies")->model()->index(0, 1).data().toString().size(),
            19);
    }
};

QTEST_MAIN(TstSavedBackup)
#include "tst_savedbackup.moc"
