#include <QRegularExpression>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTemporaryDir>
#include <QtTest>
#include <memory>

#include "Binding.h"
#include "Calves.h"
#include "DataSource.h"
#include "Kit.h"
#include "LongFolder.h"
#include "M_Cow.h"
#include "PathLimit.h"
#include "PointerFile.h"
#include "YearFile.h"
#include "YearFiles.h"

namespace {

using Rows = QList<QVariantList>;

std::shared_ptr<YearFile> newYear(const QStringList &statements = {}) {
    QString error;
    if (!YearFiles::createFromTemplate(Y13, &error)) qWarning() << error;
    sqlRows(Y13, statements);
    return YearFile::open(Y13, &error);
}

}  // namespace

class TstYearFile : public QObject {
    Q_OBJECT
    std::unique_ptr<WorkingFolder> dir_;

  private slots:
    void init() { dir_ = std::make_unique<WorkingFolder>(); }
    void cleanup() { dir_.reset(); }

    void readCurrentYear_data() {
        QTest::addColumn<QByteArray>("bytes");  // null: no cowdb.inf
        QTest::addColumn<int>("result");
        QTest::addColumn<QString>("year");
        const int ok = int(PointerFile::Read::Ok), unusable = int(PointerFile::Read::Unusable),
                  unreadable = int(PointerFile::Read::Unreadable);
        QTest::newRow("usual") << QByteArray("cowdata13.mdb") << ok << "13";
        QTest::newRow("before the first dot") << QByteArray("abc.x.mdb") << ok << "bc";
        QTest::newRow("second line ignored") << QByteArray("cowdata14.mdb\n/etc\n") << ok << "14";
        QTest::newRow("CRLF") << QByteArray("cowdata15.mdb\r\n") << ok << "15";
        QTest::newRow("one character before the dot") << QByteArray("a.mdb") << unusable << "";
        QTest::newRow("no dot") << QByteArray("cowdata13") << unusable << "";
        QTest::newRow("empty file") << QByteArray("") << unusable << "";
        QTest::newRow("missing file") << QByteArray() << unusable << "";
        QTest::newRow("slash") << QByteArray("../cowdata13.mdb") << unreadable << "";
        QTest::newRow("backslash") << QByteArray("C:\\cowdata13.mdb") << unreadable << "";
        QTest::newRow("tab") << QByteArray("cow\tdata13.mdb") << unreadable << "";
        QTest::newRow("NUL") << QByteArray("cowdata13.mdb\0x", 15) << unreadable << "";
        // Windows reads the line in its ANSI code page, where 0x89 is a character like
        // any other: the name then merely has no year in it.
#ifdef Q_OS_WIN
        const int binary = unusable;
#else
        const int binary = unreadable;
#endif
        QTest::newRow("binary") << QByteArray("\x89PNG\r\n\x1a\n\0\0", 10) << binary << "";
    }
    void readCurrentYear() {
        QFETCH(QByteArray, bytes);
        QFETCH(int, result);
        QFETCH(QString, year);
        if (!bytes.isNull()) writeBytes(PointerFile::Name, bytes);
        QString name, problem;
        QCOMPARE(int(ReadCurrentYear(&name, &problem)), result);
        QCOMPARE(M_Cow::yearOfFileName(name), year);
        // A refused name is never handed on, and only it is worth a message.
        QCOMPARE(name,
                 year.isEmpty() ? QString() : QString::fromLatin1(bytes.split('\n')[0].trimmed()));
        QCOMPARE(problem.contains(PointerFile::Name), result == int(PointerFile::Read::Unreadable));
        QCOMPARE(bytesOf(PointerFile::Name), bytes.isNull() ? QByteArray() : bytes);
    }

    void writePointerFile() {
        writeBytes(PointerFile::Name, "cowdata12.mdb\r\nlonger old content\r\n");
        QString error;
        QVERIFY2(WritePointerFile(Y13, &error), qPrintable(error));
        QCOMPARE(bytesOf(PointerFile::Name), QByteArray("cowdata13.mdb"));
        QCOMPARE(QDir::current().entryList(QDir::Files | QDir::Hidden),
                 QStringList{PointerFile::Name});
    }

    void createFromTemplate_data() {
        QTest::addColumn<bool>("folderTemplate");
        QTest::newRow("embedded template") << false;
        QTest::newRow("working folder's template") << true;
    }
    void createFromTemplate() {
        QFETCH(bool, folderTemplate);
        QString error;
        if (folderTemplate) {  // the farm's own template, recognisable by its calf
            QVERIFY(YearFiles::createFromTemplate("seed.mdb", &error));
            sqlRows("seed.mdb", {"INSERT INTO T_Cow (Name) VALUES ('ひな形')"});
            QVERIFY(QFile::rename("seed.mdb", YearFiles::TemplateName));
        }
        QVERIFY2(YearFiles::createFromTemplate(Y13, &error), qPrintable(error));
        const QString names =
            "SELECT group_concat(name) FROM (SELECT name FROM sqlite_master "
            "WHERE type = '%1' ORDER BY name)";
        QCOMPARE(sqlRows(Y13, {names.arg("table")}), (Rows{{"T_Cost,T_Cow,T_Proseed,T_Tokurei"}}));
        QCOMPARE(sqlRows(Y13, {names.arg("view")}),
                 (Rows{{"Q_Cost_Cal1,Q_Cost_Ikusei,Q_Cost_Konsiryou,Q_Cost_Tesuu,"
                        "Q_Cost_Zensiryou,Q_Cow_Cal1,Q_Proseed_Cal1,Q_Syuusi"}}));
        QCOMPARE(sqlRows(Y13, {"SELECT group_concat(Name) FROM T_Cow"}),
                 (Rows{{folderTemplate ? QVariant("ひな形") : QVariant()}}));
        QVERIFY(YearFile::open(Y13, &error));

        // Never over a year that is there.
        sqlRows(Y13, {"INSERT INTO T_Cow (Name) VALUES ('はな')"});
        const QByteArray year = bytesOf(Y13);
        QVERIFY(!YearFiles::createFromTemplate(Y13, &error));
        QVERIFY2(error.contains(Y13), qPrintable(error));
        QCOMPARE(bytesOf(Y13), year);
    }

    // The check must agree with SQLite itself at its limit, or a folder it lets through
    // would lock the farmer out after the setup had made the year file.
    void pathLimitIsSQLites_data() {
        QTest::addColumn<int>("over");  // bytes beyond the limit of the year file's path
        QTest::addColumn<QString>("unit");
        QTest::addColumn<bool>("throughLink");
        QTest::newRow("at the limit") << 0 << "x" << false;
        QTest::newRow("one byte over") << 1 << "x" << false;
        QTest::newRow("at the limit in kana") << 0 << "う" << false;
        QTest::newRow("over in bytes, not in characters") << 1 << "う" << false;
#ifndef Q_OS_WIN  // a Windows "link" made by QFile::link is a shortcut file, not a folder
        QTest::newRow("short link to a folder over the limit") << 1 << "x" << true;
#endif
    }
    void pathLimitIsSQLites() {
        QFETCH(int, over);
        QFETCH(QString, unit);
        QFETCH(bool, throughLink);
        const QString folder =
            longFolder(dir_->path(), PathLimit::maxBytes() + over - 1 - Y13.size(), unit);
        QVERIFY(!folder.isEmpty());
        QString where = folder;
        if (throughLink) QVERIFY(QFile::link(folder, where = QStringLiteral("link")));
        const QString file = where + '/' + Y13;
        QString error;
        QVERIFY2(YearFiles::createFromTemplate(file, &error), qPrintable(error));
        const bool opens = bool(YearFile::open(file, &error));
        QCOMPARE(opens, over <= 0);
        QCOMPARE(PathLimit::problem(file).isEmpty(), opens);
        if (!opens)
            QVERIFY(PathLimit::problem(file).contains(QString::number(PathLimit::maxBytes())));
    }

    void open_refuses_data() {
        QTest::addColumn<QString>("make");  // how the file gets there
        QTest::addColumn<QString>("reason");
        QTest::newRow("missing: never created") << ""
                                                << "";
        QTest::newRow("text file renamed") << "text"
                                           << "";
        QTest::newRow("empty file") << "empty"
                                    << "";
        QTest::newRow("other program's database") << "CREATE TABLE T_Cow (No)"
                                                  << "";
        QTest::newRow("table missing") << "DROP TABLE T_Cost"
                                       << "T_Cost";
        QTest::newRow("view missing") << "DROP VIEW Q_Syuusi"
                                      << "Q_Syuusi";
        QTest::newRow("newer format") << "PRAGMA user_version = 99"
                                      << "";
    }
    void open_refuses() {
        QFETCH(QString, make);
        QFETCH(QString, reason);
        if (make == "text") writeBytes(Y13, "cowdata13.mdb\r\n年度データではありません\r\n");
        if (make == "empty") writeBytes(Y13, "");
        if (make.startsWith("CREATE")) sqlRows(Y13, {make});
        if (make.startsWith("DROP") || make.startsWith("PRAGMA")) newYear({make});
        const QByteArray before = bytesOf(Y13);
        const QStringList files = QDir::current().entryList(QDir::Files | QDir::Hidden);

        QString error;
        QVERIFY(!YearFile::open(Y13, &error));
        QVERIFY2(error.contains(Y13) && error.contains(reason), qPrintable(error));
        QVERIFY(!YearFile::open(Y13, &error, true));
        QCOMPARE(bytesOf(Y13), before);
        QCOMPARE(QDir::current().entryList(QDir::Files | QDir::Hidden), files);
    }

    // Only the program's own schema is run: anything else in a year file would act on the
    // farmer's next save or change a total. Files of either version as the program makes
    // them still open.
    void foreignSchema_data() {
        QTest::addColumn<QString>("version");  // 2: from the template; 1, genuine 1, upgraded
        QTest::addColumn<QStringList>("make");
        QTest::addColumn<QString>("named");  // in the refusal; "" when the file opens
        const QStringList none;
        QTest::newRow("fresh template file") << "2" << none << "";
        QTest::newRow("version 1 as its template made it") << "genuine 1" << none << "";
        QTest::newRow("version 1 with the sale fields dropped") << "1" << none << "";
        QTest::newRow("version 1 upgraded by the program") << "upgraded" << none << "";
        QTest::newRow("a table of the farmer's own")
            << "2" << QStringList{"CREATE TABLE Memo (Text TEXT)"} << "";
        const QString wipe =
            "CREATE TRIGGER wipe AFTER UPDATE ON T_Proseed BEGIN DELETE FROM T_Cow; "
            "DELETE FROM T_Cost; END";
        QTest::newRow("trigger emptying the register") << "2" << QStringList{wipe} << "wipe";
        QTest::newRow("trigger in a version 1 file") << "1" << QStringList{wipe} << "wipe";
        QTest::newRow("extra index")
            << "2" << QStringList{"CREATE INDEX ByNo ON T_Cow (abs(No))"} << "ByNo";
        QTest::newRow("extra view")
            << "2" << QStringList{"CREATE VIEW Q_Mine AS SELECT * FROM T_Cow"} << "Q_Mine";
        QTest::newRow("program view with other SQL")
            << "2"
            << QStringList{"DROP VIEW Q_Cow_Cal1",
                           "CREATE VIEW Q_Cow_Cal1 AS SELECT 2 * SUM(Kisyu) AS Kisyu_Kei, "
                           "SUM(Kimatu) AS Kimatu_Kei, SUM(HiikuKingaku) AS HiikuKingaku_Kei, "
                           "SUM(Hiikutuki) AS Hiiku_Kei, SUM(I_Kingaku) AS Moto_Kei FROM T_Cow"}
            << "Q_Cow_Cal1";
        QTest::newRow("program table with a column added")
            << "2" << QStringList{"ALTER TABLE T_Cost ADD COLUMN Memo TEXT DEFAULT 'x'"}
            << "T_Cost";
        QTest::newRow("program table without its check")
            << "2"
            << QStringList{"PRAGMA writable_schema = ON",
                           "UPDATE sqlite_master SET sql = replace(sql, 'Hanbai BETWEEN "
                           "-2147483648 AND 2147483647', '1') WHERE name = 'T_Proseed'"}
            << "T_Proseed";
        QTest::newRow("sale fields in a file of version 1")
            << "2" << QStringList{"PRAGMA user_version = 1"} << "T_Cow";
        QTest::newRow("version 2 without the sale fields")
            << "1" << QStringList{"PRAGMA user_version = 2"} << "T_Cow";
    }
    void foreignSchema() {
        QFETCH(QString, version);
        QFETCH(QStringList, make);
        QFETCH(QString, named);
        QString error;
        QVERIFY(YearFiles::createFromTemplate(Y13, &error));
        if (version == "genuine 1") {  // as SQLite stores the first version's schema text
            QStringList statements{"PRAGMA application_id = 1297241665", "PRAGMA user_version = 1"};
            for (const QVariantList &r : sqlRows(Y13, {"SELECT sql FROM sqlite_master"})) {
                const QString sql = r.value(0).toString();
                statements << (sql.contains("S_Kingaku")
                                   ? sql.left(sql.indexOf(",\n    --")) + "\n)"
                                   : sql);
            }
            QVERIFY(QFile::remove(Y13));
            sqlRows(Y13, statements, &error);
            QVERIFY2(error.isEmpty(), qPrintable(error));
        }
        if (version == "1" || version == "upgraded") makeVersion1(Y13);
        if (version == "upgraded") QVERIFY2(YearFile::open(Y13, &error), qPrintable(error));
        sqlRows(Y13, make);
        const QByteArray before = bytesOf(Y13);
        const QStringList files = QDir::current().entryList(QDir::Files | QDir::Hidden);

        const auto file = YearFile::open(Y13, &error, true);
        QCOMPARE(bool(file), named.isEmpty());
        if (file) {  // and opened with SQLite's guards up
            QSqlQuery q(file->db());
            QVERIFY(q.exec("PRAGMA trusted_schema") && q.next());
            QCOMPARE(q.value(0).toInt(), 0);
            return;
        }
        QVERIFY2(error.contains(Y13) &&
                     error.contains(QStringLiteral("Moriva の年度データではない")) &&
                     error.contains(named),
                 qPrintable(error));
        QVERIFY(!YearFile::open(Y13, &error));
        QCOMPARE(bytesOf(Y13), before);
        QCOMPARE(QDir::current().entryList(QDir::Files | QDir::Hidden), files);
    }

    // A file is walked page by page once a run; damage done by other hands afterwards,
    // in place or by a copy over it, must still be found at the next open.
    void damageAfterFirstOpenFound_data() {
        QTest::addColumn<QString>("before");  // what this run did to the file first
        QTest::addColumn<bool>("copiedOver");
        QTest::newRow("opened, damaged in place") << "" << false;
        QTest::newRow("saved to, damaged in place") << "save" << false;
        QTest::newRow("saved to, damaged copy put over it") << "save" << true;
    }
    void damageAfterFirstOpenFound() {
        QFETCH(QString, before);
        QFETCH(bool, copiedOver);
        QString error;
        if (auto file = newYear({"INSERT INTO T_Cow (No) VALUES (1)"}); before == "save") {
            DataSource cows(file, "T_Cow");
            QVERIFY(cows.refresh(&error) && cows.update({{"No", 2}}, &error));
            // Opening left the connection's CHECK constraints in force.
            QVERIFY(!cows.update({{"I_Date", "2001-02-31"}}, &error));
        }
        QVERIFY2(YearFile::open(Y13, &error), qPrintable(error));
        QByteArray bytes = bytesOf(Y13);
        const int page = sqlRows(Y13, {"PRAGMA page_size"}).value(0).value(0).toInt();
        const int root = sqlRows(Y13, {"SELECT rootpage FROM sqlite_master WHERE name = 'T_Cow'"})
                             .value(0)
                             .value(0)
                             .toInt();
        bytes.replace((root - 1) * page + 8, 2,
                      QByteArray("\xff\xf0", 2));  // a cell pointer out of the page
        if (copiedOver) {
            writeBytes("copy.mdb", bytes);
            QVERIFY(QFile::remove(Y13) && QFile::rename("copy.mdb", Y13));
        } else {
            QFile f(Y13);
            QVERIFY(f.open(QIODevice::ReadWrite) && f.write(bytes) == bytes.size());
        }
        QVERIFY(!YearFile::open(Y13, &error));
        QVERIFY2(error.contains(QStringLiteral("壊れています")), qPrintable(error));
    }

    void constraints_data() {
        QTest::addColumn<QString>("insert");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("real date") << "T_Cow (I_Date) VALUES ('2001-02-28')" << true;
        QTest::newRow("31 February") << "T_Cow (I_Date) VALUES ('2001-02-31')" << false;
        QTest::newRow("largest amount") << "T_Cost (Sozei) VALUES (2147483647)" << true;
        QTest::newRow("amount above 32 bits") << "T_Cost (Sozei) VALUES (2147483648)" << false;
        QTest::newRow("amount below 32 bits") << "T_Cow (Kimatu) VALUES (-2147483649)" << false;
        QTest::newRow("count above 16 bits") << "T_Cow (No) VALUES (32768)" << false;
        QTest::newRow("text in amount") << "T_Cow (I_Kingaku) VALUES ('abc')" << false;
        QTest::newRow("fraction in amount") << "T_Cost (Zatu) VALUES (1.5)" << false;
        QTest::newRow("text in count") << "T_Cow (Syori) VALUES ('売却')" << false;
    }
    void constraints() {
        QFETCH(QString, insert);
        QFETCH(bool, accepted);
        QString error;
        newYear();
        sqlRows(Y13, {"INSERT INTO " + insert}, &error);
        QVERIFY2(accepted ? error.isEmpty() : error.contains("CHECK"), qPrintable(error));
    }

    void costTotal_data() {
        QTest::addColumn<QString>("row");  // "": no expense row
        QTest::addColumn<QVariant>("total");
        QTest::newRow("no expense row") << "" << QVariant();
        QTest::newRow("every amount empty") << "(Etc1_Name) VALUES ('x')" << QVariant(0);
        QTest::newRow("the seventeen lines")
            << "(Sozei, Mototiku, Siryou, Eisei, Syozairyou, Syuuzen, Douryoku, Katiku, Genka, "
               "Nidukuri, Risi, Senjuusya, Zatu, Etc1, Etc2, Etc3, Etc4) VALUES (1, 2, 4, 8, 16, "
               "32, 64, 128, 256, 512, 1024, 2048, 4096, 8192, 16384, 32768, 65536)"
            << QVariant(131071);
        QTest::newRow("empty counts as 0") << "(Sozei, Etc4) VALUES (100, 20)" << QVariant(120);
        QTest::newRow("feed stocks and rearing left out")
            << "(Zatu, Zensiryou, Konsiryou, Ikusei) VALUES (5, 1000, 2000, 4000)" << QVariant(5);
    }
    void costTotal() {
        QFETCH(QString, row);
        QFETCH(QVariant, total);
        auto file =
            newYear(row.isEmpty() ? QStringList() : QStringList{"INSERT INTO T_Cost " + row});
        DataSource cal(file, "Q_Cost_Cal1");
        QString error;
        QVERIFY2(cal.refresh(&error), qPrintable(error));
        QCOMPARE(cal.recordCount(), 1);
        QCOMPARE(cal.value("Cost_Kei").isNull(), total.isNull());
        QCOMPARE(cal.value("Cost_Kei").toInt(), total.toInt());
    }

    void syuusi_oneRowWithQualifiedNames() {
        auto file = newYear();
        DataSource syuusi(file, "Q_Syuusi");
        QString error;
        QVERIFY2(syuusi.refresh(&error), qPrintable(error));
        QCOMPARE(syuusi.recordCount(), 1);
        QVERIFY(syuusi.column("T_Proseed.Zatu") >= 0 && syuusi.value("T_Cost.Zatu").isNull());
        sqlRows(Y13, {"INSERT INTO T_Proseed (Hanbai, Zatu) VALUES (500000, 11)",
                      "INSERT INTO T_Cost (Zatu, Etc1_Name) VALUES (22, '敷料')"});
        QVERIFY2(syuusi.refresh(&error), qPrintable(error));
        QCOMPARE(syuusi.recordCount(), 1);
        QCOMPARE(syuusi.value("T_Proseed.Zatu").toInt(), 11);
        QCOMPARE(syuusi.value("T_Cost.Zatu").toInt(), 22);
        QCOMPARE(syuusi.value("T_Cost.Etc1_Name").toString(), QStringLiteral("敷料"));
    }

    void dataSource_oneRowStaysUpdatable() {
        auto file =
            newYear({"INSERT INTO T_Cow (No, Name) VALUES (13, 'c'), (12, 'b'), (11, 'a')"});
        DataSource all(file, "T_Cow");
        QString error;
        QVERIFY2(all.refresh(&error), qPrintable(error));
        QCOMPARE(all.value(0, "name").toString() + all.value(2, "NAME").toString(), "ca");

        DataSource one(file, "T_Cow", all.rowid(1));
        QVERIFY2(one.refresh(&error), qPrintable(error));
        QVERIFY(one.updatable());
        QCOMPARE(one.recordCount(), 1);
        one.editCurrent();
        // The save is told to whoever follows the file, once, as a change of the calves.
        QList<YearFile::Change> told;
        file->setFollower([&](YearFile::Change what) { told << what; });
        QVERIFY2(one.update({{"Name", "花子"}, {"Kisyu", 250000}}, &error), qPrintable(error));
        QCOMPARE(one.value("Kisyu").toInt(), 250000);
        QCOMPARE(told, QList<YearFile::Change>{YearFile::Change::Calves});
        QCOMPARE(sqlRows(Y13, {"SELECT No, Name, Kisyu FROM T_Cow ORDER BY rowid"}),
                 (Rows{{13, "c", QVariant()}, {12, "花子", 250000}, {11, "a", QVariant()}}));
    }

    void dataSource_addAndDelete() {
        auto file = newYear({"INSERT INTO T_Cow (No) VALUES (1), (2)"});
        DataSource cows(file, "T_Cow");
        QString error;
        QVERIFY2(cows.refresh(&error), qPrintable(error));
        cows.addNew();
        QVERIFY(cows.value("No").isNull());
        QVERIFY2(cows.update({{"No", 3}}, &error), qPrintable(error));
        QCOMPARE(cows.position(), 2);
        // A second save changes the record just added instead of adding another.
        QVERIFY2(cows.update({{"No", 4}}, &error), qPrintable(error));
        QCOMPARE(sqlRows(Y13, {"SELECT group_concat(No) FROM T_Cow"}), (Rows{{"1,2,4"}}));

        cows.setPosition(1);
        QVERIFY2(cows.deleteCurrent(&error), qPrintable(error));
        QCOMPARE(cows.value("No").toInt(), 4);  // the next one
        QVERIFY2(cows.deleteCurrent(&error), qPrintable(error));
        QCOMPARE(cows.value("No").toInt(), 1);  // the last one gone: the one before
        QCOMPARE(sqlRows(Y13, {"SELECT group_concat(No) FROM T_Cow"}), (Rows{{"1"}}));
    }

    void dataSource_refusedSaveWritesNothing() {
        auto file = newYear({"INSERT INTO T_Cow (No, Kisyu) VALUES (1, 100)"});
        DataSource cows(file, "T_Cow");
        QString error;
        QVERIFY2(cows.refresh(&error), qPrintable(error));
        cows.editCurrent();
        QVERIFY(!cows.update({{"Kisyu", 200}, {"O_Date", "2001-02-31"}}, &error));
        QVERIFY2(error.contains(Y13), qPrintable(error));
        cows.addNew();
        QVERIFY(!cows.update({{"No", 40000}}, &error));
        QCOMPARE(sqlRows(Y13, {"SELECT No, Kisyu FROM T_Cow"}), (Rows{{1, 100}}));

        // No transaction was left open; a record deleted elsewhere is not silently "saved".
        cows.editCurrent();
        QVERIFY2(cows.update({{"Kisyu", 300}}, &error), qPrintable(error));
        QCOMPARE(sqlRows(Y13, {"SELECT Kisyu FROM T_Cow"}), (Rows{{300}}));
        sqlRows(Y13, {"DELETE FROM T_Cow"});
        QVERIFY(!cows.update({{"Kisyu", 400}}, &error));
        QCOMPARE(sqlRows(Y13, {"SELECT count(*) FROM T_Cow"}), (Rows{{0}}));
    }

    // What a store tells the one following the file: once per commit, and nothing for a
    // change refused, or for the valuation, whose caller reads the totals again itself.
    void storesAnnounce_data() {
        QTest::addColumn<QString>("change");
        QTest::addColumn<bool>("done");
        QTest::addColumn<QString>("told");
        QTest::newRow("two calves brought in: told once") << "import" << true << "Calves";
        QTest::newRow("a calf the schema refuses: none brought in") << "refused" << false << "";
        QTest::newRow("a sale saved") << "sale" << true << "SaleData";
        QTest::newRow("the sale of a calf deleted meanwhile") << "gone" << false << "";
        QTest::newRow("the valuation written") << "value" << true << "";
    }
    void storesAnnounce() {
        QFETCH(QString, change);
        QFETCH(bool, done);
        QFETCH(QString, told);
        auto file = newYear({"INSERT INTO T_Cow (No, Syori, Hiikutuki) VALUES (1, 3, 4)"});
        QStringList heard;
        file->setFollower([&](YearFile::Change c) {
            heard << (c == YearFile::Change::Calves     ? "Calves"
                      : c == YearFile::Change::SaleData ? "SaleData"
                                                        : "other");
        });
        QString error;
        const QVariantList sale = {500000, 1, 0, 1, 1, "2000-03-03"};
        bool made = false;
        if (change == "import" || change == "refused")
            made = Calves::import(*file, {{{"No", 2}}, {{"No", change == "import" ? 3 : 40000}}},
                                  &error, {});
        else if (change == "sale" || change == "gone")
            made = Calves::saveSale(*file, change == "sale" ? 1 : 99, sale, &error);
        else
            made = file->transaction([&](QString *e) { return Calves::value(*file, 1000, e); },
                                     &error);
        QVERIFY2(made == done, qPrintable(error));
        QCOMPARE(heard.join(','), told);
    }

    // Each message names the problem in Japanese; Qt's or SQLite's own words come only on a
    // last "詳細：" line, and a read never claims that changes were lost.
    void messagesSpeakJapaneseFirst() {
        const QString y12 = QStringLiteral("cowdata12.mdb");
        QString e, year;
        QList<std::tuple<QString, QString, bool>> cases;  // message, what it says, a read?
        const auto add = [&](const QString &says, bool read) {
            cases << std::tuple{e, says, read};
        };
        QVERIFY(YearFiles::createFromTemplate(y12, &e));
        if (auto file = YearFile::open(y12, &e, true)) {
            // Broken after it was opened: opening it now is refused (below).
            sqlRows(y12,
                    {"DROP VIEW Q_Cost_Tesuu", "CREATE VIEW Q_Cost_Tesuu AS SELECT x FROM T_Gone"});
            QVERIFY(!DataSource(file, "Q_Cost_Tesuu").refresh(&e));
            add("読み込みに失敗しました", true);
            DataSource cost(file, "T_Cost");
            cost.addNew();
            QVERIFY(!cost.update({{"Sozei", 1}}, &e));
            add("保存されていません", false);
        }
        QVERIFY(!YearFile::open(y12, &e, true));
        add("Q_Cost_Tesuu が読めません", true);
        QVERIFY(QDir().mkdir(Y13) && QDir().mkdir(PointerFile::Name));
        QVERIFY(!YearFile::open(Y13, &e));
        add("フォルダ", true);
        QVERIFY(!YearFiles::createFromTemplate(Y13, &e));
        add("フォルダ", false);
        QCOMPARE(ReadCurrentYear(&year, &e), PointerFile::Read::Unreadable);
        add("フォルダ", true);
        QVERIFY(!WritePointerFile(Y13, &e));
        add("フォルダ", false);
        QVERIFY(!YearFile::open(QString(5000, QLatin1Char('x')), &e));  // a damaged pointer line
        add("見つかりません", true);

        static const QRegularExpression japanese(QStringLiteral("[\\x{3040}-\\x{9fff}]"));
        QCOMPARE(cases.size(), 8);
        for (const auto &[message, says, read] : cases) {
            QVERIFY2(message.contains(says), qPrintable(message));
            QVERIFY2(!read || !message.contains(QStringLiteral("保存されていません")),
                     qPrintable(message));
            const QStringList lines = message.split(QLatin1Char('\n'));
            for (const QString &line : lines) {
                QVERIFY2(line.startsWith(QStringLiteral("詳細：")) ? &line == &lines.last()
                                                                   : line.contains(japanese),
                         qPrintable(message));
                QVERIFY2(line.size() < 120, qPrintable(message));
            }
        }
    }

    void binding_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("kind");
        QTest::addColumn<QVariant>("stored");  // invalid: refused; null: empty
        QTest::addColumn<QString>("shown");    // how the stored value reads back
        const int text = int(Binding::Kind::Text), count = int(Binding::Kind::Count),
                  amount = int(Binding::Kind::Amount), date = int(Binding::Kind::Date);
        const QVariant null = QVariant::fromValue(nullptr);
        QTest::newRow("grouped amount") << "1,234" << amount << QVariant(1234) << "1,234";
        QTest::newRow("empty amount") << "" << amount << null << "";
        QTest::newRow("letters as amount") << "abc" << amount << QVariant() << "";
        QTest::newRow("comma per digit") << "1,2,3" << amount << QVariant() << "";
        QTest::newRow("typed after 5,000") << "5,0007777" << amount << QVariant() << "";
        QTest::newRow("full-width amount")
            << "１２，３４５" << amount << QVariant(12345) << "12,345";
        QTest::newRow("count") << "1234" << count << QVariant(1234) << "1234";
        QTest::newRow("fraction as count") << "1.5" << count << QVariant() << "";
        QTest::newRow("era date") << "H13/4/1" << date << QVariant("2001-04-01") << "H13/4/1";
        QTest::newRow("Western date") << "2001/4/1" << date << QVariant("2001-04-01") << "H13/4/1";
        QTest::newRow("no such day") << "H13/2/29" << date << QVariant() << "";
        QTest::newRow("outside its era") << "R1/4/30" << date << QVariant() << "";
        QTest::newRow("text") << "黒毛" << text << QVariant("黒毛") << "黒毛";
        QTest::newRow("empty text") << "" << text << null << "";
        QTest::newRow("text on one line")
            << "さくら\r\n二号\t黒\u2028毛\n"
            << text << QVariant("さくら 二号 黒 毛 ") << "さくら 二号 黒 毛 ";
        // The year file counts characters, not QString's units: 255 emoji fit.
        const QString thumbs = QStringLiteral("👍");
        QTest::newRow("255 emoji") << thumbs.repeated(255) << text << QVariant(thumbs.repeated(255))
                                   << thumbs.repeated(255);
        QTest::newRow("256 emoji") << thumbs.repeated(256) << text << QVariant() << "";
        QTest::newRow("10,000 pasted") << QString(10000, u'あ') << text << QVariant() << "";
        QTest::newRow("blanks over the limit") << QString(300, u' ') << text << QVariant() << "";
        QTest::newRow("marks do not count")
            << QString(255, u'x') + QStringLiteral("\u200E\u200F") << text
            << QVariant(QString(255, u'x')) << QString(255, u'x');
        QTest::newRow("right-to-left override")
            << QStringLiteral("evil\u202Eend") << text << QVariant("evilend") << "evilend";
        QTest::newRow("every direction control")
            << QString(QStringLiteral(
                   "a\u202A\u202B\u202C\u202D\u202E\u2066\u2067\u2068\u2069\u200E\u200F\u061Cb"))
            << text << QVariant("ab") << "ab";
        QTest::newRow("invisible spaces, soft hyphen, BOM")
            << QStringLiteral("は\u200Bな\u2060こ\u00AD\uFEFF") << text << QVariant("はなこ")
            << "はなこ";
        QTest::newRow("controls") << QStringLiteral("a") + QChar(0) + QStringLiteral("\x1B[2Jb\x7F")
                                  << text << QVariant("a[2Jb") << "a[2Jb";
        QTest::newRow("only a direction mark") << QStringLiteral("\u200F") << text << null << "";
        QTest::newRow("half a pair")
            << QString(QChar(0xD83D)) + QStringLiteral("あ") + QChar(0xDC4D) << text
            << QVariant("あ") << "あ";
        const QString family = QStringLiteral("👨\u200D👩\u200D👧"),
                      marked = QStringLiteral("か\u3099葛\U000E0100");
        QTest::newRow("joined emoji kept") << family << text << QVariant(family) << family;
        QTest::newRow("dakuten and variation selector kept")
            << marked << text << QVariant(marked) << marked;
    }
    void binding() {
        QFETCH(QString, typed);
        QFETCH(int, kind);
        QFETCH(QVariant, stored);
        QFETCH(QString, shown);
        QString error;
        const auto got = Binding::toStored(typed, Binding::Kind(kind), "導入・種付金額", &error);
        QCOMPARE(got.has_value(), stored.isValid());
        QCOMPARE(error.contains("導入・種付金額"), !stored.isValid());
        if (!got) return;
        QCOMPARE(got->isNull(), stored.isNull());
        QCOMPARE(got->toString(), stored.toString());
        QCOMPARE(Binding::display(*got, Binding::Kind(kind)), shown);
    }
    // A too long name is cut, where the editor marks it, between characters as read.
    void fitting_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("limit");
        QTest::addColumn<QString>("fits");
        QTest::newRow("within") << QStringLiteral("はなこ") << 3 << QStringLiteral("はなこ");
        QTest::newRow("surrogate pair") << QStringLiteral("👍👍") << 1 << QStringLiteral("👍");
        QTest::newRow("mark kept with its letter")
            << QStringLiteral("かか\u3099") << 2 << QStringLiteral("か");
        QTest::newRow("letter with mark too long") << QStringLiteral("か\u3099") << 1 << QString();
        QTest::newRow("flag of two halves") << QStringLiteral("🇯🇵🇯🇵") << 3 << QStringLiteral("🇯🇵");
        QTest::newRow("hidden characters free")
            << QStringLiteral("a\u202Eb\u200Bc") << 3 << QStringLiteral("a\u202Eb\u200Bc");
        QTest::newRow("CR LF one space")
            << QStringLiteral("a\r\nb") << 3 << QStringLiteral("a\r\nb");
    }
    void fitting() {
        QFETCH(QString, typed);
        QFETCH(int, limit);
        QFETCH(QString, fits);
        QCOMPARE(typed.left(Binding::fitting(typed, limit)), fits);
    }

    // A name an older version stored with a line break shows on one line in the grid.
    void storedLineBreakShown() {
        QCOMPARE(
            Binding::display(QStringLiteral("もも\r\n3"), Binding::Kind::Text, QLatin1Char('.')),
            QStringLiteral("もも 3"));
    }
};

QTEST_GUILESS_MAIN(TstYearFile)
#include "tst_yearfile.moc"
