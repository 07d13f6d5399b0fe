// Nothing lost, whatever the machine does: every operation that changes files is run in
// a child process (moriva_driver) and crashed at each of its checkpoints, starved of
// disk space, and refused by a read-only folder. After each fault the program is started
// again and the folder must hold a whole year: the file cowdb.inf names opens and passes
// SQLite's integrity check, every year file holds its state from before or from after
// the operation (unchanged files byte for byte), a new file appears only complete, and
// no temporary file is left.

#include <QDir>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QStorageInfo>
#include <QTemporaryDir>
#include <QUrl>
#include <QtTest>

#include "Kit.h"
#include "LongFolder.h"
#include "YearFiles.h"

namespace {

const QString Pointer = QStringLiteral("cowdb.inf");
const QString Lock = QStringLiteral("moriva.lock");  // held while a run goes on

struct Run {
    int code = -1;
    QString out, err;
};

// Beside this program: a path the system of either platform can start.
QString driver() {
    return QCoreApplication::applicationDirPath() + QStringLiteral("/" MORIVA_DRIVER);
}

Run drive(const QString &folder, const QStringList &args, int crashAt = 0) {
    QProcess p;
    p.setWorkingDirectory(folder);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("MORIVA_CRASH_AT"), QString::number(crashAt));
    p.setProcessEnvironment(env);
    p.start(driver(), args);
    Run r;
    if (!p.waitForFinished(30000)) {
        p.kill();
        p.waitForFinished();
        return r;
    }
    r.code = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    r.out = QString::fromUtf8(p.readAllStandardOutput());
    r.err = QString::fromUtf8(p.readAllStandardError());
    return r;
}

// Starts a copy that holds folder until it is killed.
bool hold(QProcess &process, const QString &folder) {
    process.setWorkingDirectory(folder);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    process.setProcessEnvironment(env);
    process.start(driver(), {QStringLiteral("hold")});
    return process.waitForReadyRead(30000) && process.readLine().trimmed() == "ready";
}

// The integrity check's verdict on its first line ("ok"), then the schema and every
// table's rows, as text that tells NULL, '' and 0 apart.
QString dump(const QString &path) {
    static int n = 0;
    const QString name = QStringLiteral("dump%1").arg(++n);
    QStringList out;
    const auto read = [&](QSqlDatabase db) {
        db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_URI"));
        db.setDatabaseName(QUrl::fromLocalFile(path).toString() + QStringLiteral("?mode=ro"));
        if (!db.open()) return QStringLiteral("(cannot open)");
        QSqlQuery q(db);
        QStringList tables;
        for (const char *sql :
             {"PRAGMA integrity_check", "PRAGMA application_id", "PRAGMA user_version",
              "SELECT type, name, sql FROM sqlite_master ORDER BY name"}) {
            if (!q.exec(QString::fromLatin1(sql))) return QStringLiteral("(cannot read)");
            while (q.next()) {
                QStringList cells;
                for (int c = 0; c < q.record().count(); ++c) cells << q.value(c).toString();
                if (cells.size() == 3 && cells[0] == QLatin1String("table")) tables << cells[1];
                out << cells.join(QLatin1Char('|'));
            }
        }
        for (const QString &t : tables) {
            if (!q.exec(QStringLiteral("SELECT * FROM \"%1\" ORDER BY rowid").arg(t)))
                return QStringLiteral("(cannot read %1)").arg(t);
            while (q.next()) {
                QStringList cells;
                for (int c = 0; c < q.record().count(); ++c) {
                    const QVariant v = q.value(c);
                    cells << (v.isNull() ? QStringLiteral("NULL")
                                         : QString::fromLatin1(v.typeName()) + ':' + v.toString());
                }
                out << t + ':' + cells.join(QLatin1Char('|'));
            }
        }
        return out.join(QLatin1Char('\n'));
    };
    const QString text = read(QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name));
    QSqlDatabase::removeDatabase(name);  // closes it: a mount must not stay busy
    return text;
}

// The working folder's files (not the lock of a run) with their bytes, and the dump of
// every year file.
struct State {
    QMap<QString, QByteArray> bytes;
    QMap<QString, QString> dumps;
    QString pointer() const { return QString::fromLocal8Bit(bytes.value(Pointer)); }
};

State capture(const QString &folder) {
    State s;
    const QDir dir(folder);
    for (const QString &f : dir.entryList(QDir::Files | QDir::Hidden)) {
        if (f == Lock) continue;
        QFile file(dir.filePath(f));
        s.bytes[f] = file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(unreadable)");
        if (f.endsWith(QLatin1String(".mdb"))) s.dumps[f] = dump(dir.filePath(f));
    }
    // Backups are named after the moment they were taken, so only half-made ones count.
    for (const QString &f : QDir(dir.filePath("backup")).entryList({"*.tmp*"}, QDir::Files))
        s.bytes["backup/" + f] = "(half-made backup)";
    return s;
}

// Replaces the folder to with a copy of the files of from; nothing of an earlier run
// stays (a backup made today would spare the next run its own).
void copyFolder(const QString &from, const QString &to) {
    QDir(to).removeRecursively();
    QDir().mkpath(to);
    for (const QString &f : QDir(from).entryList(QDir::Files | QDir::Hidden))
        QFile::copy(QDir(from).filePath(f), QDir(to).filePath(f));
}

// A crash inside a transaction, before SQLite made its journal valid, leaves the journal
// with a zeroed header: SQLite never plays such a file back, and its next transaction
// on the year file replaces it. A journal with a valid header must have been rolled
// back by the start.
bool inertJournal(const QByteArray &bytes) {
    return bytes.size() >= 8 && bytes.left(8) == QByteArray(8, '\0');
}

// The invariant, after the program has been started again in folder: "" when it holds.
QString lossIn(const QString &folder, const State &before, const State &after) {
    // Before a first year is set up, the next start rightly asks for the setup again.
    const bool noYearYet = before.pointer().isEmpty() && !QFile::exists(folder + '/' + Pointer);
    const Run restart = drive(folder, {QStringLiteral("start")});
    if (restart.code != (noYearYet ? 2 : 0))
        return QStringLiteral("the next start failed (%1): %2").arg(restart.code).arg(restart.out);
    const State now = capture(folder);
    QStringList problems;
    if (now.pointer() != before.pointer() && now.pointer() != after.pointer())
        problems << QStringLiteral("cowdb.inf names %1").arg(now.pointer());
    else if (!noYearYet && !now.dumps.value(now.pointer()).startsWith(QLatin1String("ok\n")))
        problems << QStringLiteral("%1 fails the integrity check").arg(now.pointer());
    for (auto f = now.bytes.cbegin(); f != now.bytes.cend(); ++f) {
        const QString &name = f.key();
        if (!before.bytes.contains(name) && !after.bytes.contains(name) && !inertJournal(f.value()))
            problems << QStringLiteral("left over: %1").arg(name);
        else if (!name.endsWith(QLatin1String(".mdb")))
            continue;
        else if (!before.bytes.contains(name)) {
            if (now.dumps[name] != after.dumps[name])
                problems << QStringLiteral("%1 appeared incomplete").arg(name);
        } else if (before.bytes[name] == after.bytes.value(name)) {
            if (f.value() != before.bytes[name]) problems << QStringLiteral("%1 changed").arg(name);
        } else if (now.dumps[name] != before.dumps[name] && now.dumps[name] != after.dumps[name]) {
            problems << QStringLiteral("%1 is half changed").arg(name);
        }
    }
    for (auto f = before.bytes.cbegin(); f != before.bytes.cend(); ++f)
        if (!now.bytes.contains(f.key()) && after.bytes.contains(f.key()))
            problems << QStringLiteral("%1 is gone").arg(f.key());
    return problems.join(QStringLiteral("; "));
}

// The completed operation left exactly the state of an undisturbed run.
QString differsFrom(const State &now, const State &after) {
    if (now.pointer() != after.pointer()) return QStringLiteral("cowdb.inf differs");
    if (now.dumps != after.dumps) return QStringLiteral("the year files differ");
    if (now.bytes.keys() != after.bytes.keys()) return QStringLiteral("other files");
    return {};
}

// A file system mounted for one test and unmounted after it.
class Mount {
  public:
    explicit Mount(const QStringList &args) {
#ifdef Q_OS_WIN
        return;  // no mount on Windows; the tests that need one skip and say so
#endif
        ok_ = QProcess::execute(QStringLiteral("mount"), args + QStringList{dir_.path()}) == 0;
    }
    ~Mount() {
        if (ok_) QProcess::execute(QStringLiteral("umount"), {dir_.path()});
    }
    bool ok() const {
        return ok_;
    }
    QString path() const {
        return dir_.path();
    }

  private:
    QTemporaryDir dir_;
    bool ok_ = false;
};

struct Counts {
    int steps = 0, faults = 0, losses = 0;
};
Counts counts;

// Leaves the file as a crash in the middle of a large change leaves it: changed pages
// already in the file and a valid journal beside it. A small cache makes SQLite write
// pages before the commit; the pair is copied while the transaction is open.
void leaveHotJournal(const QString &file) {
    const QString journal = file + QStringLiteral("-journal");
    {
        TestDb test(file);
        QSqlQuery q(test.db());
        q.exec("BEGIN");
        for (int no = 10; no < 200; ++no)
            q.exec(QStringLiteral("INSERT INTO T_Cow (No, Name) VALUES (%1, '%2')")
                       .arg(no)
                       .arg(QString(250, QLatin1Char('x'))));
        q.exec("COMMIT");
        q.exec("PRAGMA cache_size = 2");
        q.exec("BEGIN");
        q.exec("UPDATE T_Cow SET Name = 'half'");
        QFile::remove(file + ".crashed");
        QFile::remove(journal + ".crashed");
        if (!QFile::exists(journal) || !QFile::copy(file, file + ".crashed") ||
            !QFile::copy(journal, journal + ".crashed"))
            qFatal("no journal to copy");
        q.exec("ROLLBACK");
    }
    QFile::remove(file);
    QFile::rename(file + ".crashed", file);
    QFile::rename(journal + ".crashed", journal);
}

}  // namespace

class TstFaults : public QObject {
    Q_OBJECT
    QTemporaryDir root_;
    QString fixture_;  // year 13 current, with calves and both ledgers; year 12 beside it
    QString stick_;    // a saved backup of the fixture with one calf more in year 13
    State before_;
    QMap<QString, State> after_;  // per operation, from an undisturbed run

    // A copy of the fixture as the operation starts from it: the setup of a first year
    // finds no cowdb.inf.
    void seed(const QString &dir, const QStringList &op) const {
        copyFolder(fixture_, dir);
        if (op.first() == QLatin1String("setup")) QFile::remove(dir + '/' + Pointer);
        if (op.first() == QLatin1String("upgrade"))
            makeVersion1(dir + QStringLiteral("/cowdata13.mdb"));
    }
    State before(const QStringList &op) {
        const QString dir = root_.filePath(QStringLiteral("before"));
        seed(dir, op);
        return capture(dir);
    }

    // An undisturbed run of the operation on a copy of the fixture.
    const State &after(const QStringList &op) {
        const QString key = op.join(' ');
        if (!after_.contains(key)) {
            const QString dir = root_.filePath(QStringLiteral("after-") + op.join('-'));
            seed(dir, op);
            const Run r = drive(dir, op);
            if (r.code != 0) qFatal("%s fails undisturbed: %s", qPrintable(key), qPrintable(r.out));
            after_[key] = capture(dir);
            // An operation that changes nothing would make every fault look harmless.
            const State was = before(op);
            if (after_[key].dumps == was.dumps && after_[key].pointer() == was.pointer())
                qFatal("%s changes nothing", qPrintable(key));
        }
        return after_[key];
    }

    // Every operation that changes files, as the driver names it: one row each in every
    // fault table below.
    void operations() {
        QTest::addColumn<QStringList>("op");
        QTest::newRow("valuation") << QStringList{"valuation"};
        QTest::newRow("calf save") << QStringList{"calf"};
        QTest::newRow("ledger save") << QStringList{"ledger"};
        QTest::newRow("rollover") << QStringList{"rollover", "14"};
        QTest::newRow("data clear") << QStringList{"dataclear"};
        QTest::newRow("switch") << QStringList{"switch", "12"};
        QTest::newRow("restore") << QStringList{"restore", stick_};
    }

    void loss(const QString &what, const QString &problem) {
        if (problem.isEmpty()) return;
        ++counts.losses;
        qWarning("%s: %s", qPrintable(what), qPrintable(problem));
    }

  private slots:
    void initTestCase() {
        fixture_ = root_.filePath(QStringLiteral("fixture"));
        QDir().mkpath(fixture_);
        QDir::setCurrent(fixture_);
        QString error;
        QVERIFY(YearFiles::createFromTemplate("cowdata12.mdb", &error));
        QVERIFY(YearFiles::createFromTemplate(Y13, &error));
        sqlExec("cowdata12.mdb", {"INSERT INTO T_Cow (No, Name, Kisyu, Kimatu, Syori, Hiikutuki) "
                                  "VALUES (1, 'まえ', 400000, 500, 2, 12)"});
        sqlExec(
            Y13,
            {"BEGIN",
             "INSERT INTO T_Cow (No, Name, I_Date, I_Kingaku, Syori, Hiikutuki, Kimatu) "
             "VALUES (1, 'A', '2001-03-01', 300000, 1, 10, 500)",
             "INSERT INTO T_Cow (No, Name, I_Date, O_Date, Kisyu, Syori, Hiikutuki, Kimatu) "
             "VALUES (2, 'B', '2000-04-01', '2001-06-01', 250000, 3, 6, 0)",
             "INSERT INTO T_Cow (No, Name, I_Date, Kisyu, Syori, Hiikutuki, Kimatu) "
             "VALUES (3, 'C', '2000-05-01', 320000, 2, 12, 320)",
             "INSERT INTO T_Cost (Sozei, Siryou, Nidukuri, Zensiryou, Konsiryou, Etc1_Name, Etc1) "
             "VALUES (5000, 800000, 20000, 100, 200, '敷料', 3000)",
             "INSERT INTO T_Proseed (Hanbai, Zatu) VALUES (1200000, 5000)", "COMMIT"});
        QFile p(Pointer);
        QVERIFY(p.open(QIODevice::WriteOnly) && p.write("cowdata13.mdb") > 0);
        p.close();
        QDir::setCurrent(root_.path());
        before_ = capture(fixture_);
        const QString later = root_.filePath(QStringLiteral("later"));
        stick_ = root_.filePath(QStringLiteral("stick"));
        copyFolder(fixture_, later);
        QDir().mkpath(stick_);
        sqlExec(later + "/" + Y13, {"INSERT INTO T_Cow (No, Name) VALUES (4, 'D')"});
        QCOMPARE(drive(later, {QStringLiteral("savebackup"), stick_}).code, 0);
    }

    void cleanupTestCase() {
        qInfo("reliability: %d crash steps tried, %d faults injected, %d losses", counts.steps,
              counts.faults, counts.losses);
    }

    // A crash at every checkpoint of the operation, one run per checkpoint, until a run
    // gets through them all.
    void crashAtEveryStep_data() {
        operations();
        QTest::newRow("setup") << QStringList{"setup", "14"};
        QTest::newRow("upgrade of an older year file") << QStringList{"upgrade"};
    }
    void crashAtEveryStep() {
        QFETCH(QStringList, op);
        const State &done = after(op);
        const State was = before(op);
        const QString dir = root_.filePath(QStringLiteral("crash"));
        const int lossesBefore = counts.losses;
        int crashes = 0;
        QStringList points;
        for (int n = 1; n < 200; ++n) {
            seed(dir, op);
            const Run r = drive(dir, op, n);
            if (r.code == 0) {
                loss(QStringLiteral("completed"), differsFrom(capture(dir), done));
                break;
            }
            QCOMPARE(r.code, 86);
            QVERIFY2(r.err.contains(QStringLiteral("checkpoint %1: ").arg(n)), qPrintable(r.err));
            ++crashes, ++counts.steps, ++counts.faults;
            const QRegularExpression point(QStringLiteral("checkpoint \\d+: (.*)"));
            points << point.match(r.err).captured(1).trimmed();
            loss(r.err.trimmed(), lossIn(dir, was, done));
        }
        // An operation that reaches no checkpoint proves nothing.
        QVERIFY(crashes > 0);
        qInfo("%s: crashed at %d steps (%s)", QTest::currentDataTag(), crashes,
              qPrintable(points.join(QStringLiteral(", "))));
        QCOMPARE(counts.losses, lossesBefore);
    }

    // The disk fills up at every point of the operation: free space is swept in pages
    // from none upwards until the operation gets through. Each refusal must say so and
    // lose nothing, and the same operation succeeds once the space is freed.
    void diskFull_data() {
        operations();
        QTest::newRow("setup") << QStringList{"setup", "14"};
        // Refused, the older file is still shown, to be read: never the setup again.
        QTest::newRow("upgrade of an older year file") << QStringList{"upgrade"};
    }
    void diskFull() {
        QFETCH(QStringList, op);
        Mount tmpfs({"-t", "tmpfs", "-o", "size=2m", "tmpfs"});
        if (!tmpfs.ok() || QStorageInfo(tmpfs.path()).fileSystemType() != "tmpfs")
            QSKIP(onWindows ? "Windows has no tmpfs to fill up: the disk-full sweep runs on Linux"
                            : "mounting a tmpfs needs root");
        const State &done = after(op);
        const State was = before(op);
        const QString dir = tmpfs.path() + QStringLiteral("/work");
        const QString ballast = tmpfs.path() + QStringLiteral("/ballast");
        const int lossesBefore = counts.losses;
        int refused = 0;
        for (qint64 free = 0; free < 1024 * 1024; free += 4096) {
            QFile::remove(ballast);
            seed(dir, op);
            QStorageInfo disk(tmpfs.path());
            QFile fill(ballast);
            QVERIFY(fill.open(QIODevice::WriteOnly));
            const QByteArray chunk(4096, '\0');
            for (qint64 left = disk.bytesAvailable() - free; left > 0; left -= chunk.size())
                if (fill.write(chunk.left(int(std::min<qint64>(left, chunk.size())))) < 0) break;
            fill.close();
            const Run r = drive(dir, op);
            // The day's backup found no room, said so, and the change went ahead.
            const bool savedWithoutBackup = r.code == 1 && r.out.count("message: ") == 1 &&
                                            r.out.contains(QStringLiteral("保存は続けます"));
            if (r.code == 0 || savedWithoutBackup) {
                loss(QStringLiteral("completed"), differsFrom(capture(dir), done));
                break;
            }
            ++refused, ++counts.faults;
            QCOMPARE(r.code, 1);
            QVERIFY2(r.out.contains(QStringLiteral("message: ")), qPrintable(r.out));
            loss(QStringLiteral("%1 bytes free").arg(free), lossIn(dir, was, done));
            QFile::remove(ballast);
            QCOMPARE(drive(dir, op).code, 0);
            loss(QStringLiteral("after freeing %1").arg(free), differsFrom(capture(dir), done));
        }
        QVERIFY(refused > 0);
        qInfo("%s: refused on a full disk %d times", QTest::currentDataTag(), refused);
        QCOMPARE(counts.losses, lossesBefore);
    }

    // A read-only folder (a bind mount: permissions do not bind root): every operation,
    // and the setup of a first year, refuses with a message and changes nothing.
    void readOnlyFolder_data() {
        operations();
        QTest::newRow("setup") << QStringList{"setup", "14"};
        // The journal of an interrupted change cannot be played back here: the start
        // refuses the file rather than read half a change, and deletes nothing.
        QTest::newRow("start over a leftover journal") << QStringList{"start", "journal"};
        QTest::newRow("upgrade of an older year file") << QStringList{"upgrade"};
    }
    void readOnlyFolder() {
        QFETCH(QStringList, op);
        const QString source = root_.filePath(QStringLiteral("ro-source"));
        seed(source, op);
        if (op.value(1) == QLatin1String("journal")) leaveHotJournal(source + "/cowdata13.mdb");
        const State was = capture(source);
        Mount bind({"--bind", source});
        if (!bind.ok() ||
            QProcess::execute(QStringLiteral("mount"), {"-o", "remount,bind,ro", bind.path()}) != 0)
            QSKIP(onWindows ? "Windows has no bind mounts: the read-only folder runs on Linux"
                            : "a read-only bind mount needs root");
        // The farmer can still open the year and read it there.
        const bool readable = op.first() != QLatin1String("setup") && op.value(1) != "journal";
        if (readable) QCOMPARE(drive(bind.path(), {QStringLiteral("start")}).code, 0);
        ++counts.faults;
        const Run r = drive(bind.path(), op);
        QCOMPARE(r.code, 1);
        QVERIFY2(r.out.contains(QStringLiteral("message: ")), qPrintable(r.out));
        const State now = capture(bind.path());
        QCOMPARE(now.bytes, was.bytes);
    }

    // The backup folder cannot take a copy: the day's first save still goes through and
    // says, naming the folder, why no backup was made; the data clear, which must have
    // its backup, refuses with the same cause and changes nothing.
    void backupRefused_data() {
        QTest::addColumn<QString>("cause");
        QTest::addColumn<QString>("reason");  // found in both messages
        QTest::newRow("a file named backup")
            << "file" << QStringLiteral("backup という名前のファイル");
        QTest::newRow("a path too long for SQLite") << "long" << QStringLiteral("場所が長すぎます");
        QTest::newRow("no space left") << "full" << QStringLiteral("ディスクの空きが足りません");
        QTest::newRow("a read-only folder")
            << "readonly" << QStringLiteral("書き込みのできない場所");
    }
    void backupRefused() {
        QFETCH(QString, cause);
        QFETCH(QString, reason);
        if (onWindows && cause == "long")
            QSKIP("Windows starts no program in a folder past MAX_PATH: tried on Linux");
        // Long enough that only the backup's names pass SQLite's limit (504 bytes on Linux).
        const QString dir = cause == "long" ? longFolder(root_.path(), 475)
                                            : root_.filePath(QStringLiteral("nobackup"));
        QVERIFY(!dir.isEmpty());
        std::unique_ptr<Mount> mount;
        const auto prepare = [&] {
            seed(dir, {QStringLiteral("ledger")});
            const QString backup = dir + QStringLiteral("/backup");
            if (cause == "file") return QFile(backup).open(QIODevice::WriteOnly);
            if (cause == "full") {
                mount =
                    std::make_unique<Mount>(QStringList{"-t", "tmpfs", "-o", "size=64k", "tmpfs"});
                QFile ballast(mount->path() + QStringLiteral("/ballast"));
                if (!mount->ok() || !ballast.open(QIODevice::WriteOnly)) return false;
                while (ballast.write(QByteArray(4096, '\0')) > 0 && ballast.flush()) {
                }
                return QFile::link(mount->path(), backup);
            }
            if (cause == "readonly") {
                mount = std::make_unique<Mount>(QStringList{"--bind", root_.path()});
                return mount->ok() &&
                       QProcess::execute("mount", {"-o", "remount,bind,ro", mount->path()}) == 0 &&
                       QFile::link(mount->path(), backup);
            }
            return true;
        };
        if (!prepare())
            QSKIP(onWindows ? "no mounts on Windows: this cause is tried on Linux"
                            : "mounting a file system needs root");
        const QString folder =
            QDir::toNativeSeparators(QFileInfo(dir).canonicalFilePath() + "/backup");
        ++counts.faults;
        const Run save = drive(dir, {QStringLiteral("ledger")});
        QCOMPARE(save.code, 1);  // the message is the only difference
        QVERIFY2(save.out.contains(reason) && save.out.contains(QStringLiteral("保存は続けます")),
                 qPrintable(save.out));
        QVERIFY2(save.out.contains(folder.left(30)), qPrintable(save.out));
        QCOMPARE(capture(dir).dumps, after({QStringLiteral("ledger")}).dumps);

        mount.reset();
        QVERIFY(prepare());
        const State was = capture(dir);
        const Run clear = drive(dir, {QStringLiteral("dataclear")});
        QCOMPARE(clear.code, 1);
        QVERIFY2(clear.out.contains(reason), qPrintable(clear.out));
        QCOMPARE(capture(dir).bytes, was.bytes);
    }

    // A backup saved to a stick changes nothing in the working folder, and the stick holds
    // a finished folder only once the save has said so: crashed at every step, or refused
    // by a stick that fills up at any point or cannot be written, it holds none.
    void savedBackup_data() {
        QTest::addColumn<QString>("fault");
        QTest::newRow("crash at every step") << "crash";
        QTest::newRow("stick filling up") << "full";
        QTest::newRow("read-only stick") << "readonly";
    }
    void savedBackup() {
        QFETCH(QString, fault);
        const QString dir = root_.filePath(QStringLiteral("stick-work"));
        QString stick = root_.filePath(QStringLiteral("stick-") + fault);
        QDir().mkpath(stick);
        std::unique_ptr<Mount> mount;
        if (fault == "full")
            mount = std::make_unique<Mount>(QStringList{"-t", "tmpfs", "-o", "size=1m", "tmpfs"});
        if (fault == "readonly") mount = std::make_unique<Mount>(QStringList{"--bind", stick});
        if (mount && (!mount->ok() ||
                      (fault == "readonly" &&
                       QProcess::execute("mount", {"-o", "remount,bind,ro", mount->path()}) != 0)))
            QSKIP(onWindows ? "no mounts on Windows: this fault is tried on Linux"
                            : "mounting a file system needs root");
        if (mount) stick = mount->path();
        int faults = 0;
        for (int n = 1; n < 200; ++n) {
            seed(dir, {QStringLiteral("start")});
            const State was = capture(dir);
            if (fault == "crash") {
                QDir(stick).removeRecursively();
                QDir().mkpath(stick);
            }
            if (fault == "full") {  // (n - 1) pages left free
                QFile ballast(stick + QStringLiteral("/ballast"));
                QVERIFY(ballast.open(QIODevice::WriteOnly));
                ballast.resize(0);
                const qint64 left = QStorageInfo(stick).bytesAvailable() - (n - 1) * 4096;
                for (qint64 w = 0; w < left; w += 4096)
                    if (ballast.write(QByteArray(4096, '\0')) < 0 || !ballast.flush()) break;
            }
            const Run r =
                drive(dir, {QStringLiteral("savebackup"), stick}, fault == "crash" ? n : 0);
            QCOMPARE(capture(dir).bytes, was.bytes);
            const QStringList made = QDir(stick).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
            if (r.code == 0) {
                QCOMPARE(made.size(), 1);
                QVERIFY2(!made[0].endsWith(".tmp"), qPrintable(made[0]));
                break;
            }
            ++faults, ++counts.faults;
            QCOMPARE(r.code, fault == "crash" ? 86 : 1);
            // A crash cannot clean up, but what it leaves is either under the temporary
            // name or whole; a refusal must leave nothing.
            const QStringList whole{"cowdata12.mdb", "cowdata13.mdb", "cowdb.inf", "目録.txt"};
            QVERIFY2(
                made.isEmpty() ||
                    (fault == "crash" && made.size() == 1 &&
                     (made[0].endsWith(".tmp") ||
                      QDir(stick + '/' + made[0]).entryList(QDir::Files, QDir::Name) == whole)),
                qPrintable(made.join(' ')));
            if (fault != "crash")
                QVERIFY2(r.out.contains(QStringLiteral("バックアップをフォルダ")),
                         qPrintable(r.out));
            if (fault == "readonly") break;
        }
        QVERIFY(faults > 0);
    }

    // A second copy in the same folder is refused while the first runs, and lets the
    // farmer in once the first has been killed, though its lock file is still there.
    void secondInstance() {
        const QString dir = root_.filePath(QStringLiteral("twice"));
        copyFolder(fixture_, dir);
        QProcess first;
        QVERIFY(hold(first, dir));

        ++counts.faults;
        const Run second = drive(dir, {QStringLiteral("ledger")});
        QCOMPARE(second.code, 1);
        QVERIFY2(second.out.contains(QStringLiteral("すでに起動しています")),
                 qPrintable(second.out));
        QCOMPARE(capture(dir).bytes, before_.bytes);

        first.kill();  // SIGKILL: no chance to remove the lock
        QVERIFY(first.waitForFinished());
        QVERIFY(QFile::exists(dir + '/' + Lock));
        const Run again = drive(dir, {QStringLiteral("ledger")});
        QCOMPARE(again.code, 0);
        QCOMPARE(differsFrom(capture(dir), after({QStringLiteral("ledger")})), QString());
    }

    // Windows soon gives a dead copy's process id to another process, which may be a copy
    // working in another folder: the lock the dead one left must not keep its folder.
    void lockNamingACopyElsewhere() {
        if (!onWindows)
            QSKIP(
                "elsewhere a reboot frees every lock, and a dead copy's id comes round "
                "far later");
        const QString dir = root_.filePath(QStringLiteral("reused"));
        const QString elsewhere = root_.filePath(QStringLiteral("elsewhere"));
        copyFolder(fixture_, dir);
        copyFolder(fixture_, elsewhere);
        QProcess other;
        QVERIFY(hold(other, elsewhere));
        QFile live(elsewhere + '/' + Lock), left(dir + '/' + Lock);
        QVERIFY(live.open(QIODevice::ReadOnly) && left.open(QIODevice::WriteOnly));
        QVERIFY(left.write(live.readAll()) > 0);
        live.close();
        left.close();

        ++counts.faults;
        const Run again = drive(dir, {QStringLiteral("ledger")});
        QVERIFY2(again.code == 0, qPrintable(again.out));
        QCOMPARE(differsFrom(capture(dir), after({QStringLiteral("ledger")})), QString());
        // The copy elsewhere still keeps its own folder.
        QCOMPARE(drive(elsewhere, {QStringLiteral("ledger")}).code, 1);
        other.kill();
        QVERIFY(other.waitForFinished());
    }
};

QTEST_GUILESS_MAIN(TstFaults)
#include "tst_faults.moc"
