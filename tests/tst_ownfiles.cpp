#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include "Frm_Print.h"
#include "MsgBox.h"
#include "OwnFiles.h"
#include "ReportPreview.h"
#include "TestYear.h"

// Which save targets the program refuses as its own files, however they are spelt.
class TstOwnFiles : public QObject {
    Q_OBJECT

  private slots:
    void initTestCase() { MsgBox::setHeadless(true); }

    void kindOf_data() {
        QTest::addColumn<QString>("target");   // as a dialog could answer it
        QTest::addColumn<QString>("link");     // made first: "name->target"; "" for none
        QTest::addColumn<QString>("refused");  // part of the reason; "" when allowed
        const QString year = QStringLiteral("年度のデータファイルです");
        const QString work = QStringLiteral("作業用ファイル");
        const QString backup = QStringLiteral("バックアップ");
        const auto row = [](const char *name, const QString &target, const QString &link,
                            const QString &refused) {
            QTest::newRow(name) << target << link << refused;
        };
        // clang-format off
        row("year file through ./ and ..", "./sub/../cowdata13.mdb", "", year);
        row("year file, absolute", "@/cowdata13.mdb", "", year);
        row("template", "cowdata.mdb", "", "ひな形");
        row("pointer file", "cowdb.inf", "", "現在の年度");
        row("lock", "moriva.lock", "", "二重起動");
        row("write-ahead log", "cowdata13.mdb-wal", "", work);
        row("year being built", "cowdata14.mdb.tmp", "", work);
        row("backup folder itself", "backup", "", backup);
        row("deep in backup", "@/backup/a/b.pdf", "", backup);
        row("link to a log not there yet", "out.csv", "out.csv->cowdata13.mdb-wal", work);
        row("link to a link to the year", "a.csv", "b.csv->cowdata13.mdb|a.csv->b.csv", year);
        row("through a linked folder", "here/cowdata13.mdb", "here->.", year);
        row("into a linked backup folder", "backup/x.pdf", "backup->@@/elsewhere", backup);
        row("ordinary CSV", "子牛台帳_13年度.csv", "", "");
        row("name only like a year file", "mycowdata13.mdb", "", "");
        row("year file's name in another folder", "@@/cowdata13.mdb", "", "");
        row("a folder named like backup elsewhere", "@@/backup/x.csv", "", "");
        row("link out of the folder", "cowdata15.csv", "cowdata15.csv->@@/x.csv", "");
#ifdef Q_OS_WIN
        row("year file in capitals", "COWDATA13.MDB", "", year);
        row("backup in capitals", "BACKUP/x.csv", "", backup);
#else
        row("year file in capitals, another file here", "COWDATA13.MDB", "", "");
#endif
        // clang-format on
    }
    // "@" is the working folder, "@@" a folder outside it.
    void kindOf() {
        QFETCH(QString, target);
        QFETCH(QString, link);
        QFETCH(QString, refused);
        QTemporaryDir outside;
        WorkingFolder folder;
        auto expand = [&](QString s) {
            return s.replace("@@", outside.path()).replace("@", folder.path());
        };
        QDir().mkpath("sub");
        QDir().mkpath(outside.path() + "/elsewhere");
        for (const char *own : {"cowdata13.mdb", "cowdata.mdb", "cowdb.inf", "moriva.lock"}) {
            QFile f(own);
            QVERIFY(f.open(QIODevice::WriteOnly));
        }
        for (const QString &l : link.split('|', Qt::SkipEmptyParts)) {
#ifdef Q_OS_WIN
            QSKIP("symbolic links need rights a Windows user seldom has");
#endif
            QVERIFY(QFile::link(expand(l.section("->", 1)), expand(l.section("->", 0, 0))));
        }
        if (!QFileInfo::exists("backup")) QDir().mkpath("backup");
        const QString why = OwnFiles::kindOf(expand(target));
        QVERIFY2(refused.isEmpty() ? why.isEmpty() : why.contains(refused), qPrintable(why));
    }

    // Each PDF writer, answered with an own file and then Cancel: the year file is
    // byte-identical afterwards and the refusal was said before the second question.
    void writers_data() {
        QTest::addColumn<QString>("writer");
        QTest::addColumn<QString>("answer");
        QTest::addColumn<QString>("link");  // "name->target" made first, "" for none
        QTest::newRow("preview onto the year") << "preview"
                                               << "cowdata13.mdb"
                                               << "";
        QTest::newRow("preview onto the log via a link")
            << "preview"
            << "子牛棚卸表_13年度.pdf"
            << "子牛棚卸表_13年度.pdf->cowdata13.mdb-wal";
        QTest::newRow("preview into backup") << "preview"
                                             << "backup/a.pdf"
                                             << "";
        QTest::newRow("menu's PDFs into backup") << "menu"
                                                 << "backup"
                                                 << "";
        QTest::newRow("menu's PDFs onto a link to the year") << "menu"
                                                             << "."
                                                             << "明細書_13年度.pdf->cowdata13.mdb";
    }
    void writers() {
        QFETCH(QString, writer);
        QFETCH(QString, answer);
        QFETCH(QString, link);
        TestYear year;
        year.exec("INSERT INTO T_Cow (No, Syori, Hiikutuki, Kisyu) VALUES (1, 2, 12, 1000)");
        QDir().mkpath("backup");
        if (!link.isEmpty()) {
#ifdef Q_OS_WIN
            QSKIP("symbolic links need rights a Windows user seldom has");
#endif
            QVERIFY(QFile::link(link.section("->", 1), link.section("->", 0, 0)));
        }
        const QString Register = QStringLiteral("SELECT No, Kisyu, Syori FROM T_Cow");
        const QByteArray before = year.bytes();
        const QString calves = year.text(Register);
        QStringList answers{answer, ""};
        QList<qsizetype> seen;  // boxes shown before each question
        MsgBox::clearShown();
        if (writer == "preview") {
            ReportPreview::setSavePathAnswer([&](const QString &) {
                seen << MsgBox::shown().size();
                return answers.takeFirst();
            });
            Report::Document doc{"棚卸表", "子牛棚卸表", QPageLayout::Landscape, {}};
            ReportPreview::savePdfFromPreview(nullptr, doc, QPageSize(QPageSize::A4));
            ReportPreview::setSavePathAnswer(nullptr);
        } else {
            Frm_Print::setFolderAnswer([&] {
                seen << MsgBox::shown().size();
                return answers.takeFirst();
            });
            Frm_Print::savePdfs(nullptr, theYear());
            Frm_Print::setFolderAnswer(nullptr);
        }
        QCOMPARE(seen, QList<qsizetype>({0, 1}));
        QCOMPARE(MsgBox::shown().size(), 1);
        QVERIFY2(MsgBox::shown()[0].text.contains("には保存できません。"),
                 qPrintable(MsgBox::shown()[0].text));
        // The menu values the register before it asks, which is a write of its own.
        if (writer == "preview") QCOMPARE(year.bytes(), before);
        QCOMPARE(year.bytes().size(), before.size());
        QCOMPARE(year.text(Register), calves);
        QCOMPARE(QDir("backup").entryList({"*.pdf"}, QDir::Files), QStringList());
        QCOMPARE(QDir().entryList({"*.pdf"}, QDir::Files | QDir::NoSymLinks), QStringList());
    }
};

QTEST_MAIN(TstOwnFiles)
#include "tst_ownfiles.moc"
