// The sold calves' sale data: the year file's upgrade that adds it, and the window that
// enters it.

#include <QtTest>

#include "Backup.h"
#include "MsgBox.h"
#include "SaleData.h"
#include "TestYear.h"
#include "YearFile.h"

namespace {

const QString Y13 = QStringLiteral("cowdata13.mdb");
const QString OldFields =
    QStringLiteral("SELECT No, Name, I_Date, I_Kingaku, Kisyu, O_Date, Syori, Hiikutuki, "
                   "HiikuKingaku, Kimatu FROM T_Cow ORDER BY rowid");

}  // namespace

class TstSale : public QObject {
    Q_OBJECT
  private slots:
    void initTestCase() { MsgBox::setHeadless(true); }
    void init() { MsgBox::clearShown(); }

    // A year file of the first version with calves, opened in each way: only a writable
    // open upgrades it, and only after a backup of it as it was.
    void upgrade_data() {
        QTest::addColumn<bool>("readOnly");
        QTest::addColumn<bool>("backupBlocked");  // a file named backup in the folder
        QTest::addColumn<bool>("upgraded");
        QTest::newRow("opened for writing") << false << false << true;
        QTest::newRow("read only: the overview, the restore list") << true << false << false;
        QTest::newRow("no backup possible: refused, untouched") << false << true << false;
    }
    void upgrade() {
        QFETCH(bool, readOnly);
        QFETCH(bool, backupBlocked);
        QFETCH(bool, upgraded);
        WorkingFolder dir;
        QString error;
        QVERIFY(YearFiles::createFromTemplate(Y13, &error));
        const QString template2 = sqlText(Y13, "SELECT * FROM pragma_table_info('T_Cow')");
        makeVersion1(Y13);
        sqlRows(Y13, {"INSERT INTO T_Cow (No, Name, I_Date, Kisyu, O_Date, Syori, Kimatu) VALUES "
                      "(1, 'う', '2000-04-01', 250000, '2001-06-01', 3, 0), "
                      "(2, 'ま', '2001-03-01', NULL, NULL, 2, 500)"});
        if (backupBlocked) writeBytes(Backup::Folder, "not a folder");
        const QString oldData = sqlText(Y13, OldFields);
        const QByteArray oldBytes = bytesOf(Y13);
        M_Cow::DbFileName = Y13;

        auto file = YearFile::open(Y13, &error, readOnly);
        QCOMPARE(bool(file), !backupBlocked);
        if (backupBlocked) QVERIFY2(error.contains("更新できませんでした"), qPrintable(error));
        std::vector<SaleData::Row> rows;
        if (file) {
            // Whatever the version, the sold calf is read with its sale fields empty.
            QVERIFY2(SaleData::load(*file, &rows, &error), qPrintable(error));
            QCOMPARE(rows.size(), size_t(1));
            QCOMPARE(rows[0].head.cost, 250000);
            QCOMPARE(rows[0].stored, QVariantList(SaleData::FieldCount));
        }
        file.reset();
        QCOMPARE(sqlText(Y13, OldFields), oldData);
        QCOMPARE(sqlText(Y13, "PRAGMA user_version"), upgraded ? "2" : "1");
        if (!upgraded) {
            QCOMPARE(bytesOf(Y13), oldBytes);
            QVERIFY(backupBlocked || Backup::of(Y13).isEmpty());
            return;
        }
        // The same fields, constraints and order as a file made new.
        QCOMPARE(sqlText(Y13, "SELECT * FROM pragma_table_info('T_Cow')"), template2);
        QCOMPARE(sqlText(Y13, "SELECT count(*) FROM T_Cow WHERE coalesce(S_Kingaku, S_Hinsyu, "
                              "S_Touroku, S_Saki, S_Jika, S_Birth) IS NOT NULL"),
                 "0");
        QVERIFY(sqlText(Y13, "UPDATE T_Cow SET S_Hinsyu = 5").startsWith("error: "));
        const QStringList backups = Backup::of(Y13);
        QCOMPARE(backups.size(), 1);
        const QString copy = Backup::Folder + '/' + backups[0];
        QCOMPARE(sqlText(copy, "PRAGMA user_version"), "1");
        QCOMPARE(sqlText(copy, OldFields), oldData);
    }
};

QTEST_MAIN(TstSale)
#include "tst_sale.moc"
