// Every year saved to a folder of the farmer's choosing (a USB stick): the copies hold
// the years' rows as they are, the list beside them says what is in them, and a save
// that is refused or fails leaves nothing behind and the working folder as it was.

#include <QCryptographicHash>
#include <QtTest>

#include "Amount.h"
#include "MsgBox.h"
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

}  // namespace

class TstSavedBackup : public QObject {
    Q_OBJECT
  private slots:
    void initTestCase() { MsgBox::setHeadless(true); }

    void save_data() {
        QTest::addColumn<QString>("target");  // "stick", or a folder of the working folder
        QTest::addColumn<int>("saves");
        QTest::addColumn<QString>("said");    // the start of the last message
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
        y.exec("INSERT INTO T_Cow (No, Name, I_Date, I_Kingaku, Syori, Hiikutuki, Kimatu) "
               "VALUES (1, 'あ', '2001-03-01', 300000, 1, 10, 500)");
        y.exec("INSERT INTO T_Cost (Sozei, Siryou) VALUES (5000, 800000)");
        QString error;
        QVERIFY(YearFiles::createFromTemplate("cowdata12.mdb", &error));
        sqlRows("cowdata12.mdb", {"INSERT INTO T_Cow (No, Name) VALUES (7, 'まえ')",
                                  "INSERT INTO T_Cow (No, Name) VALUES (8, 'つぎ')"});
        writeBytes("cowdb.inf", "cowdata13.mdb\r\n");
        QDir().mkdir("backup");
        if (target == "damaged") writeBytes("cowdata12.mdb", QByteArray(4096, 'x'));
        QTemporaryDir stick;
        const QString folder = target == "gone" ? stick.filePath("gone")
                               : target == "." || target == "backup" ? y.path() + '/' + target
                                                                     : stick.path();
        const auto before = filesOf(y.path());
        MsgBox::clearShown();
        for (int n = 0; n < saves; ++n) {
            int asked = 0;  // a refused folder is asked again: then Cancel
            SaveBackup::setFolderAnswer([&] { return asked++ ? QString() : folder; });
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
            // The cause and the folder it names.
            if (target == "damaged") QVERIFY2(text.contains("cowdata12.mdb"), qPrintable(text));
            return;
        }
        QCOMPARE(made.size(), saves);
        const QString saved = stick.filePath(made.last());
        QVERIFY2(text.contains(QDir::toNativeSeparators(saved)) && text.contains("年度の数：2"),
                 qPrintable(text));
        QCOMPARE(bytesOf(saved + "/cowdb.inf"), before["cowdb.inf"]);
        const QByteArray listBytes = bytesOf(saved + "/目録.txt");
        const QString list = QString::fromUtf8(listBytes);
        QVERIFY2(listBytes.startsWith("\xEF\xBB\xBF") && !list.contains(QRegularExpression("[^\r]\n")),
                 qPrintable(list));
        for (const QString &year : {"cowdata12.mdb", "cowdata13.mdb"}) {
            const QString copy = saved + '/' + year;
            QCOMPARE(tables(copy), tables(year));
            QString error;
            const auto wk = Frm_Wk::totalsOf(YearFile::open(year, &error, true), &error);
            QVERIFY2(wk, qPrintable(error));
            const auto closing = wk->totals().KimatuKei;
            const QString expected =
                QStringLiteral("%1\t%2\t%3\t%4\t%5")
                    .arg(year.mid(7, 2), year, sqlText(year, "SELECT count(*) FROM T_Cow"),
                         closing ? Amount::format(*closing) : QStringLiteral("計算できません"),
                         QCryptographicHash::hash(bytesOf(copy), QCryptographicHash::Sha256)
                             .toHex());
            QVERIFY2(list.contains(expected + "\r\n"), qPrintable(list));
        }
    }
};

QTEST_MAIN(TstSavedBackup)
#include "tst_savedbackup.moc"
