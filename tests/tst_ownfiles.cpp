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
        QTest::newRow("year file") << "cowdata13.mdb"
                                   << "" << year;
        QTest::newRow("year file, absolute") << "@/cowdata13.mdb"
                                             << "" << year;
        QTest::newRow("year file through ./ and ..") << "./sub/../cowdata13.mdb"
                                                     << "" << year;
        QTest::newRow("year file not yet made") << "cowdata99.mdb"
                                                << "" << year;
        QTest::newRow("template") << "cowdata.mdb"
                                  << ""
                                  << "年度のデータファイルのひな形";
        QTest::newRow("pointer file") << "cowdb.inf"
                                      << ""
                                      << "現在の年度";
        QTest::newRow("lock") << "moriva.lock"
                              << ""
                              << "二重起動";
        QTest::newRow("journal") << "cowdata13.mdb-journal"
                                 << "" << work;
        QTest::newRow("write-ahead log") << "cowdata13.mdb-wal"
                                         << "" << work;
        QTest::newRow("shared memory") << "cowdata13.mdb-shm"
                                       << "" << work;
        QTest::newRow("year being built") << "cowdata14.mdb.tmp"
                                          << "" << work;
        QTest::newRow("backup folder itself") << "backup"
                                              << ""
                                              << "バックアップ";
        QTest::newRow("new file in backup") << "backup/new.csv"
                                            << ""
                                            << "バックアップ";
        QTest::newRow("deep in backup") << "@/backup/a/b.pdf"
                                        << ""
                                        << "バックアップ";
        QTest::newRow("link to the year") << "out.csv"
                                          << "out.csv->cowdata13.mdb" << year;
        QTest::newRow("link to a log not there yet") << "out.csv"
                                                     << "out.csv->cowdata13.mdb-wal" << work;
        QTest::newRow("link to a link to the year") << "a.csv"
                                                    << "b.csv->cowdata13.mdb|a.csv->b.csv" << year;
        QTest::newRow("through a linked folder") << "here/cowdata13.mdb"
                                                 << "here->." << year;
        QTest::newRow("into a linked backup folder") << "backup/x.pdf"
                                                     << "backup->@@/elsewhere"
                                                     << "バックアップ";
        QTest::newRow("ordinary CSV") << "子牛台帳_13年度.csv"
                                      << ""
                                      << "";
        QTest::newRow("name only like a year file") << "mycowdata13.mdb"
                                                    << ""
                                                    << "";
        QTest::newRow("year file's name in another folder") << "@@/cowdata13.mdb"
                                                            << ""
                                                            << "";
        QTest::newRow("a folder named like backup elsewhere") << "@@/backup/x.csv"
                                                              << ""
                                                              << "";
        QTest::newRow("link out of the folder") << "cowdata15.csv"
                                                << "cowdata15.csv->@@/x.csv"
                                                << "";
#ifdef Q_OS_WIN
        QTest::newRow("year file in capitals") << "COWDATA13.MDB"
                                               << "" << year;
        QTest::newRow("pointer file in capitals") << "CowDB.INF"
                                                  << ""
                                                  << "現在の年度";
        QTest::newRow("backup in capitals") << "BACKUP/x.csv"
                                            << ""
                                            << "バックアップ";
#else
        // Another file on a case-sensitive disk.
        QTest::newRow("year file in capitals") << "COWDATA13.MDB"
                                               << ""
                                               << "";
#endif
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

    // A refused answer is said, naming the file, and the dialog comes again; a fit one or a
    // cancel ends it. The folder chooser's answer is checked by the files it leads to.
    void ask() {
        WorkingFolder folder;
        QDir().mkpath("backup");
        QStringList answers{"cowdata13.mdb", "backup", "ok.csv"};
        MsgBox::clearShown();
        const QString chosen =
            OwnFiles::ask(nullptr, "CSV出力", [&] { return answers.takeFirst(); });
        QCOMPARE(chosen, QStringLiteral("ok.csv"));
        QCOMPARE(MsgBox::shown().size(), 2);
        QVERIFY(MsgBox::shown()[0].text.startsWith("cowdata13.mdb には保存できません。"));
        QCOMPARE(MsgBox::shown()[0].title, QStringLiteral("CSV出力"));

        answers = QStringList{folder.path(), ""};
        auto into = [](const QString &dir) {
            return QStringList{dir + "/a.pdf", dir + "/cowdb.inf"};
        };
        QCOMPARE(OwnFiles::ask(
                     nullptr, "PDFに保存", [&] { return answers.takeFirst(); }, into),
                 QString());
        QVERIFY(MsgBox::shown().last().text.startsWith("cowdb.inf には保存できません。"));
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
            Frm_Print::savePdfs(nullptr);
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
