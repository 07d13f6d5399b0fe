#include <QAction>
#include <QApplication>
#include <QFontMetricsF>
#include <QImage>
#include <QMenuBar>
#include <QPdfWriter>
#include <QPrintPreviewWidget>
#include <QProcess>
#include <QPushButton>
#include <QTableWidget>
#include <QtTest>

#include "CowCsv.h"
#include "CsvCommands.h"
#include "Frm_Main.h"
#include "Frm_Print.h"
#include "Frm_YearList.h"
#include "InventoryReport.h"
#include "MsgBox.h"
#include "PrinterSetup.h"
#include "ReportPreview.h"
#include "SaleReport.h"
#include "StatementReport.h"
#include "TestYear.h"
#include "YearFile.h"

namespace {

// Records every orientation asked for; fails when told to.
class FakePrinter : public PrinterSetup {
  public:
    QList<int> asked;
    bool fails = false;
    bool SetPrinterOrientation(Orientation o, QString *detail) override {
        asked << o;
        if (fails) *detail = QStringLiteral("no printer");
        return !fails;
    }
};

// The text of the item whose box starts at (left, top) in a section, or "?" when none.
QString at(const Report::Section &s, int left, int top) {
    for (const Report::Item &i : s.items)
        if (i.kind == Report::Item::Kind::Text && i.box.topLeft() == QPoint(left, top))
            return i.text;
    return QStringLiteral("?");
}

// One pass over the document: its sections, and its pages of the given height.
QList<Report::Section> sectionsOf(const Report::Document &doc) {
    QList<Report::Section> out;
    QString error;
    if (!doc.sections([&](const Report::Section &s) { out << s; }, &error)) qWarning() << error;
    return out;
}
QList<Report::Page> pagesOf(const Report::Document &doc, int height) {
    QList<Report::Page> out;
    QString error;
    if (!Report::flow(
            doc.sections, height, [&](const Report::Page &p) { out << p; }, &error))
        qWarning() << error;
    return out;
}

QStringList texts(const Report::Page &page) {
    QStringList out;
    for (const Report::Item &i : page)
        if (i.kind == Report::Item::Kind::Text) out << i.text;
    return out;
}

// The texts of the boxes on a page that start at x, top to bottom.
QStringList column(const Report::Page &page, int x) {
    QStringList out;
    for (const Report::Item &i : page)
        if (i.kind == Report::Item::Kind::Text && i.box.x() == x) out << i.text;
    return out;
}

// Each inventory page: headings or not, its calf lines, and whether the totals are on it.
QStringList shapeOf(const QList<Report::Page> &pages) {
    QStringList shape;
    for (const Report::Page &p : pages) {
        const QStringList numbers = column(p, 90), t = texts(p);
        shape << QStringLiteral("%1 lines=%2 from=%3 合計=%4")
                     .arg(t.contains("名前") ? "head" : "-")
                     .arg(numbers.size())
                     .arg(numbers.value(0))
                     .arg(t.contains("合計") ? "true" : "false");
    }
    return shape;
}

// The texts a poppler tool does not print for the PDF ("pdftotext": its text as laid
// out). Under Wine the suite cannot start a Linux tool: there the PDF and its texts are
// left as NAME.pdf and NAME.checks in the folder MORIVA_PDF_CHECKS names, and
// scripts/package-windows.sh checks them once the suite has run (run by hand without that
// folder, the texts go unchecked).
QStringList missingIn(const QString &tool, const QString &pdf, const QString &name,
                      const QStringList &texts) {
#ifdef Q_OS_WIN
    const QString folder = qEnvironmentVariable("MORIVA_PDF_CHECKS");
    if (folder.isEmpty()) return {};
    const QString copy = QDir(folder).filePath(name + ".pdf");
    QFile checks(QDir(folder).filePath(name + ".checks"));
    QFile::remove(copy);
    if (!QFile::copy(pdf, copy) || !checks.open(QIODevice::Append))
        return {QStringLiteral("cannot write into ") + folder};
    for (const QString &text : texts) checks.write((tool + u'\t' + text + u'\n').toUtf8());
    return {};
#else
    Q_UNUSED(name);
    QProcess p;
    p.start(tool, tool == "pdftotext" ? QStringList{"-layout", pdf, "-"} : QStringList{pdf});
    if (!p.waitForFinished(30000) || p.exitCode() != 0) return {QStringLiteral("failed: ") + tool};
    const QString out = QString::fromUtf8(p.readAllStandardOutput());
    QStringList missing;
    for (const QString &text : texts)
        if (!out.contains(text)) missing << text;
    return missing;
#endif
}

// Part of the worked example: expenses 3,000,000 with a 50,000 commission; calf A held
// all year, B bought in April, C sold in May; 26 fattening months in all.
void seedWorkedExample(const TestYear &year) {
    year.exec(QStringLiteral("INSERT INTO T_Cost (Siryou, Nidukuri) VALUES (2950000, 50000)"));
    year.exec(QStringLiteral(
        "INSERT INTO T_Cow (No, Name, Syori, Hiikutuki, Kisyu, I_Kingaku, I_Date, O_Date) VALUES "
        "(1, 'A', 2, 12, 300000, NULL, NULL, NULL), (2, 'B', 1, 9, NULL, 400000, '2001-04-10', "
        "NULL),"
        "(3, 'C', 3, 5, NULL, NULL, '2000-06-01', '2001-05-20')"));
}

}  // namespace

class TstReports : public QObject {
    Q_OBJECT
    FakePrinter printer_;
    QList<Report::Document> shown_;  // every preview opened, in order
    std::function<void(QDialog *)> inPreview_;

    Frm_Print *openPrint() {
        auto *w = new Frm_Print(theYear());
        w->setAttribute(Qt::WA_DeleteOnClose);
        w->show();
        w->activateWindow();
        return w;
    }
    void click(QWidget *w, const char *name) {
        QTest::mouseClick(w->findChild<QPushButton *>(name), Qt::LeftButton);
    }

  private slots:
    void initTestCase() {
        MsgBox::setHeadless(true);
        PrinterSetup::install(&printer_);
        ReportPreview::setShownHook([this](QDialog *preview, const Report::Document &doc) {
            shown_ << doc;
            if (inPreview_) inPreview_(preview);
            preview->reject();
        });
    }
    void init() {
        printer_ = FakePrinter();
        shown_.clear();
        inPreview_ = nullptr;
        MsgBox::clearShown();
    }

    // The worked example through the print window, both forms, and the preparation run
    // again when a preview closes.
    void workedExampleThroughThePrintWindow() {
        TestYear year;
        seedWorkedExample(year);
        theYear().follow(YearFile::Change::All);
        QPointer<Frm_Print> w = openPrint();
        QVERIFY(QTest::qWaitForWindowActive(w));
        QCOMPARE(year.text("SELECT HiikuKingaku, Kimatu, F4, F5 FROM T_Cow ORDER BY rowid"),
                 "1176912|1476912||;882684|1282684|買|;490380|0||売");

        const QString pdf = year.path() + "/preview.pdf";
        QString suggestedName;
        ReportPreview::setSavePathAnswer([&](const QString &suggested) {
            suggestedName = QFileInfo(suggested).fileName();
            return pdf;
        });
        inPreview_ = [](QDialog *preview) {
            QCOMPARE(preview->windowTitle(), QStringLiteral("子牛棚卸表"));
            preview->findChild<QAction *>("cmd_SavePdf")->trigger();
        };
        click(w, "cmd_Tanaorosi");
        QVERIFY(QFileInfo(pdf).size() > 0);
        QCOMPARE(suggestedName, QStringLiteral("子牛棚卸表_13年度.pdf"));
        QCOMPARE(shown_.size(), 1);
        const QList<Report::Section> s = sectionsOf(shown_[0]);
        QCOMPARE(s.size(), 5);  // header, three calves, footer
        QStringList lines;
        for (int i = 1; i <= 3; ++i)
            lines << QStringList{at(s[i], 90, 45),   at(s[i], 10125, 75), at(s[i], 11340, 75),
                                 at(s[i], 6540, 60), at(s[i], 6885, 60),  at(s[i], 2355, 45),
                                 at(s[i], 4485, 45)}
                         .join('|');
        QCOMPARE(lines,
                 QStringList({"1|1,176,912|1,476,912||||300,000",
                              "2|882,684|1,282,684|買||H13.4.10|", "3|490,380|0||売|H12.6.1|"}));
        const Report::Section &f = s[4];
        QCOMPARE(QStringList({at(f, 1740, 615), at(f, 1740, 885), at(f, 1740, 1170),
                              at(f, 1740, 1440), at(f, 8430, 555)}),
                 QStringList({"3,000,000", "400,000", "50,000", "2,550,000", "98,076"}));
        QCOMPARE(QStringList({at(f, 3420, 90), at(f, 4440, 90), at(f, 9480, 45), at(f, 10170, 45),
                              at(f, 11310, 45)}),
                 QStringList({"400,000", "300,000", "26", "2,549,976", "2,759,596"}));

        // Back from the preview, a changed calf is valued again before the next form.
        year.exec("UPDATE T_Cow SET Kisyu = 400000 WHERE No = 1");
        w->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(w));
        inPreview_ = nullptr;
        click(w, "cmd_Meisai");
        QCOMPARE(shown_.size(), 2);
        QCOMPARE(shown_[1].caption, QStringLiteral("明細書"));
        const Report::Section statement = sectionsOf(shown_[1]).value(1);
        QCOMPARE(at(statement, 3555, 7515), QStringLiteral("400,000"));    // line 24
        QCOMPARE(at(statement, 3555, 7830), QStringLiteral("2,859,596"));  // line 25

        click(w, "cmd_Close");
        QTRY_VERIFY(!w);
        QCOMPARE(printer_.asked, QList<int>({2, 1, 1}));
        QCOMPARE(MsgBox::shown().size(), 0);
    }

    // The detail statement of the feed-stock case, costs above the income.
    void statementLines() {
        TestYear year;
        year.exec(
            "INSERT INTO T_Cost (Siryou, Nidukuri, Zensiryou, Konsiryou, Ikusei, Etc1_Name, "
            "Etc1) VALUES (493, 4500, 100, 40, 200, NULL, 7)");
        year.exec("INSERT INTO T_Proseed (Hanbai) VALUES (3000)");
        year.exec("INSERT INTO T_Cow (No, Syori, Hiikutuki, Kisyu) VALUES (1, 2, 1, 1000)");
        theYear().follow(YearFile::Change::All);
        QPointer<Frm_Print> w = openPrint();
        QVERIFY(QTest::qWaitForWindowActive(w));
        click(w, "cmd_Meisai");
        QCOMPARE(shown_.size(), 1);
        const auto s = sectionsOf(shown_[0]);
        QCOMPARE(at(s[0], 180, 240), QStringLiteral("免税所得（肉用牛）の明細書"));
        QCOMPARE(QStringList({at(s[1], 3555, 1290), at(s[1], 3555, 5865), at(s[1], 1260, 5865),
                              at(s[1], 3555, 7185), at(s[1], 3555, 7515), at(s[1], 3555, 7830),
                              at(s[1], 3555, 8175), at(s[2], 3555, 90), at(s[2], 3555, 495),
                              at(s[2], 3150, 495)}),
                 QStringList({"3,000", "7", "", "5,000", "1,100", "1,540", "200", "4,360", "-1,360",
                              "28"}));
        // The income caption keeps its one character a line: its box is tall enough.
        QPdfWriter pdf(year.path() + "/caption.pdf");
        for (const Report::Item &i : s[1].items)
            if (i.box.topLeft() == QPoint(690, 285))
                QCOMPARE(Report::fit(i, &pdf).text, QStringLiteral("収\n入\n金\n額"));
        w->close();
    }

    void calvesFlowOverPages() {
        TestYear year;
        for (int n = 1; n <= 45; ++n)
            year.exec(
                QStringLiteral("INSERT INTO T_Cow (No, Syori, Hiikutuki, Kisyu) VALUES (%1, 2, "
                               "12, 1000)")
                    .arg(n));
        QString error;
        auto file = YearFile::open(theYear().fileName(), &error);
        Report::Document doc;
        QVERIFY2(InventoryReport::build(file, *theYear().wk(), &doc, &error), qPrintable(error));
        // A4 landscape inside one-inch margins: 9,026 twips high.
        const QList<Report::Page> pages = pagesOf(doc, 9026);
        // 21 lines under the headings, 24 on the next page, the footer alone after them.
        QCOMPARE(shapeOf(pages),
                 QStringList({"head lines=21 from=1 合計=false", "- lines=24 from=22 合計=false",
                              "- lines=0 from= 合計=true"}));
        QCOMPARE(at(sectionsOf(doc).value(1), 2355, 45), QString());  // no I_Date: an empty box
        QCOMPARE(pagesOf(doc, 9026).size(), pages.size());
    }

    // A name wider than its box is drawn smaller, down to 6 pt, then cut; it never runs
    // into the date beside it, on the PDF writer or the screen's preview.
    void namesStayInTheirBoxes_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("drawn");
        QTest::newRow("short name as stored") << "さくら"
                                              << "as is";
        QTest::newRow("twelve characters smaller") << "北国さくら二号の黒毛子牛"
                                                   << "smaller";
        QTest::newRow("sixty characters cut") << QString("さくら二号").repeated(12) << "cut";
        QTest::newRow("stored line break on one line") << "さくら\n二号"
                                                       << "as is";
    }
    void namesStayInTheirBoxes() {
        QFETCH(QString, name);
        QFETCH(QString, drawn);
        TestYear year;
        year.exec(QStringLiteral("INSERT INTO T_Cow (No, Name) VALUES (1, '%1')").arg(name));
        QString error;
        Report::Document doc;
        QVERIFY(InventoryReport::build(YearFile::open(theYear().fileName(), &error),
                                       *theYear().wk(), &doc, &error));
        const QList<Report::Section> s = sectionsOf(doc);
        const auto item = std::find_if(s[1].items.begin(), s[1].items.end(), [](const auto &i) {
            return i.box.topLeft() == QPoint(810, 45);
        });
        QCOMPARE(item->text, name);
        QPdfWriter pdf(year.path() + "/names.pdf");
        QImage screen(8, 8, QImage::Format_RGB32);
        screen.setDotsPerMeterX(3780);  // 96 dpi
        screen.setDotsPerMeterY(3780);
        for (const QPaintDevice *device :
             std::initializer_list<const QPaintDevice *>{&pdf, &screen}) {
            const Report::Fitted f = Report::fit(*item, device);
            const QRectF box(item->box);
            const QRectF at = QFontMetricsF(f.font, device).boundingRect(box, f.flags, f.text);
            QVERIFY2(at.left() >= box.left() && at.right() <= box.right(), qPrintable(f.text));
            QVERIFY(!f.text.contains(u'\n'));
            QCOMPARE(f.text.endsWith(QChar(0x2026)), drawn == "cut");
            QCOMPARE(f.font.pixelSize() == 180, drawn == "as is");
            QCOMPARE(f.font.pixelSize() == Report::MinSize, drawn == "cut");
        }
    }

    // Every pass reads the register afresh, one calf at a time: the totals are those of
    // that pass alone, and the footer goes where the lines before it leave room.
    void inventoryPassesAndTotals_data() {
        QTest::addColumn<int>("calves");
        QTest::addColumn<QStringList>("shape");
        QTest::addColumn<QString>("totals");
        QTest::newRow("empty register")
            << 0 << QStringList{"head lines=0 from= 合計=true"} << "0|0|0|0|0";
        QTest::newRow("footer just fits under the last line")
            << 40 << QStringList{"head lines=21 from=1 合計=false", "- lines=19 from=22 合計=true"}
            << "20,000|80|60|0|820";
        QTest::newRow("one more line sends the footer over")
            << 41
            << QStringList{"head lines=21 from=1 合計=false", "- lines=20 from=22 合計=false",
                           "- lines=0 from= 合計=true"}
            << "21,000|82|61|0|861";
    }
    void inventoryPassesAndTotals() {
        QFETCH(int, calves);
        QFETCH(QStringList, shape);
        QFETCH(QString, totals);
        TestYear year;
        // I_Kingaku empty on every other calf, HiikuKingaku on all: empty counts as 0.
        year.exec(QStringLiteral("WITH RECURSIVE c(n) AS (SELECT 1 UNION ALL SELECT n + 1 FROM c "
                                 "WHERE n < %1) INSERT INTO T_Cow (No, I_Kingaku, Kisyu, "
                                 "Hiikutuki, Kimatu) SELECT n, CASE WHEN n % 2 THEN 1000 END, 2, "
                                 "n % 4, n FROM c WHERE %1 > 0")
                      .arg(calves));
        QString error;
        Report::Document doc;
        QVERIFY(InventoryReport::build(YearFile::open(theYear().fileName(), &error),
                                       *theYear().wk(), &doc, &error));
        pagesOf(doc, 9026);  // the preview paints before it prints
        const QList<Report::Page> pages = pagesOf(doc, 9026);
        QCOMPARE(shapeOf(pages), shape);
        QStringList sums;
        for (int x : {3420, 4440, 9480, 10170, 11310}) {
            const QStringList c = column(pages.last(), x);
            sums << c.value(c.size() - 1);  // the footer's, below any heading there
        }
        QCOMPARE(sums.join('|'), totals);

        // A register that cannot be read when the PDF is written is said, not printed empty.
        // The earlier PDF of that name is kept whole.
        const QString earlier = year.path() + "/gone.pdf";
        QVERIFY(Report::savePdf(doc, earlier, QPageSize(QPageSize::A4), &error));
        const QByteArray before = bytesOf(earlier);
        year.exec("ALTER TABLE T_Cow RENAME TO T_Gone");
        QVERIFY(!Report::savePdf(doc, earlier, QPageSize(QPageSize::A4), &error));
        QVERIFY2(error.contains("T_Cow"), qPrintable(error));
        QVERIFY(bytesOf(earlier) == before && before.size() > 0);
    }

    // Both forms, and the sale judgement of a year with sold calves, as PDF files through the main
    // menu, no printer needed: the text reads back as printed, in the embedded gothic.
    void menuWritesBothPdfs() {
        TestYear year;
        seedWorkedExample(year);
        theYear().follow(YearFile::Change::All);
        Frm_Print::setFolderAnswer([&] { return year.path(); });
        Frm_Main main(theYear());
        main.findChild<QAction *>("mnu_SavePdf")->trigger();
        QCOMPARE(MsgBox::shown().size(), 1);
        QCOMPARE(MsgBox::shown()[0].title, QStringLiteral("PDFに保存"));
        const QString inventory = year.path() + "/子牛棚卸表_13年度.pdf";
        const QString statement = year.path() + "/明細書_13年度.pdf";
        QCOMPARE(missingIn("pdftotext", inventory, "menu-inventory",
                           {"導入年月日", "1,176,912", "1,282,684", "買", "売", "2,550,000",
                            "98,076", "１頭１ヶ月当たりの肥育金額（E÷D）"}),
                 QStringList());
        QCOMPARE(missingIn("pdftotext", statement, "menu-statement",
                           {"免税所得（肉用牛）の明細書", "荷造運賃手数料", "3,000,000",
                            "差引金額（5－27）", "免税対象牛は販売証明書添付"}),
                 QStringList());
        QCOMPARE(missingIn("pdffonts", statement, "menu-statement", {"IPAPGothic"}), QStringList());
        // Calf C was sold: the year's sale judgement goes with the forms.
        QCOMPARE(missingIn("pdftotext", year.path() + "/売却明細_13年度.pdf", "menu-sale",
                           {"肉用牛の売却の明細（免税の判定）", "売却先が未入力"}),
                 QStringList());
        QCOMPARE(missingIn("pdfinfo", inventory, "menu-inventory",
                           {"Title:           棚卸表", "842 x 595 pts (A4)"}),  // landscape
                 QStringList());
        // Asked before it overwrites; Cancel keeps the files.
        MsgBox::clearShown();
        MsgBox::queueAnswer(MsgBox::Answer::Cancel);
        QFile::resize(statement, 0);
        main.findChild<QAction *>("mnu_SavePdf")->trigger();
        QCOMPARE(QFileInfo(statement).size(), 0);
        Frm_Print::setFolderAnswer(nullptr);
    }

    // A big farm whose sums pass 2,147,483,647 yen: both forms, the PDFs, the years
    // overview and the CSV carry the same figures. A figure that still has no value
    // refuses the PDFs and the CSV with a message naming it, and no file is written.
    void bigFarm_data() {
        QTest::addColumn<QStringList>("change");  // to the 3,000 calves' year
        QTest::addColumn<QString>("pdfRefusal");  // first line; "" when saved
        QTest::addColumn<QString>("csvRefusal");
        QTest::addColumn<QString>("overview");  // 年間経費 … 期末棚卸計 of the year
        QTest::newRow("3,000 calves")
            << QStringList() << ""
            << ""
            << "300,000,000|2,000,000,000|300,000,000|36,000|8,333|2,399,988,000";
        // One month holds the year's whole cost: more than any calf's amount can.
        QTest::newRow("per-head cost beyond a calf")
            << QStringList{"UPDATE T_Cost SET Siryou = 2000000000, Eisei = 2000000000",
                           "UPDATE T_Cow SET Hiikutuki = (No = 1)"}
            << "１頭１月肥育が計算できないため、棚卸の計算ができません。"
            << "「１頭１月肥育」が計算できないため、集計を出力できません。"
            << "4,000,000,000|2,000,000,000|4,000,000,000|1||0";
        QTest::newRow("line 25 past 64 bits")
            << QStringList{"DROP VIEW Q_Cost_Konsiryou",
                           "CREATE VIEW Q_Cost_Konsiryou AS SELECT 9223372036854775807 AS "
                           "Konsiryou"}
            << "「棚卸（期末）」（25 行目）が計算できないため、明細書を作れません。"
            << "「棚卸（期末）」（25 行目）が計算できないため、集計を出力できません。"
            << "300,000,000|2,000,000,000|300,000,000|36,000|8,333|2,399,988,000";
    }
    void bigFarm() {
        QFETCH(QStringList, change);
        QFETCH(QString, pdfRefusal);
        QFETCH(QString, csvRefusal);
        QFETCH(QString, overview);
        TestYear year;
        year.exec(
            "WITH RECURSIVE c(n) AS (SELECT 1 UNION ALL SELECT n + 1 FROM c WHERE n < 3000) "
            "INSERT INTO T_Cow (No, Syori, Hiikutuki, Kisyu) SELECT n, 2, 12, 700000 FROM c");
        year.exec("INSERT INTO T_Cost (Siryou) VALUES (300000000)");
        year.exec("INSERT INTO T_Proseed (Hanbai) VALUES (2000000000)");
        for (const QString &sql : change) year.exec(sql);
        // As if this run had written it: the year files' open refuses a view not ours.
        YearFile::writtenWhole(Y13);
        theYear().follow(YearFile::Change::All);

        Frm_Print::setFolderAnswer([&] { return year.path(); });
        Frm_Print::savePdfs(nullptr, theYear());
        Frm_Print::setFolderAnswer(nullptr);
        const QString saved = MsgBox::shown().value(0).text;
        const QStringList pdfs = QDir(year.path()).entryList({"*.pdf"});
        QCOMPARE(saved.section('\n', 0, 0),
                 pdfRefusal.isEmpty() ? "PDFに保存しました。" : pdfRefusal);
        QCOMPARE(pdfs.size(), pdfRefusal.isEmpty() ? 2 : 0);

        {
            Frm_YearList list(theYear().fileName());
            auto *grid = list.findChild<QTableWidget *>("grid_Years");
            QStringList cells;
            for (int c = 2; c < grid->columnCount(); ++c) {
                cells << grid->item(0, c)->text();
                // An empty figure says why, or it passes for a year with nothing in it.
                QCOMPARE(grid->item(0, c)->toolTip().isEmpty(), !cells.last().isEmpty());
            }
            QCOMPARE(cells.join('|'), overview);
        }

        QByteArray csv;
        QString error;
        const bool exported = CowCsv::exportTotals(*theYear().wk(), &csv, &error);
        if (!csvRefusal.isEmpty()) {
            QVERIFY(!exported);
            QCOMPARE(error.section('\n', 0, 0), csvRefusal);
            // The menu's export says so before it asks for any file name.
            MsgBox::clearShown();
            CsvCommands::exportYear(nullptr, theYear());
            QCOMPARE(MsgBox::shown().value(0).text, error);
            QCOMPARE(QDir(year.path()).entryList({"*.csv"}), QStringList());
            return;
        }
        QVERIFY2(exported, qPrintable(error));
        for (const char *line :
             {"期末棚卸計,2399988000", "24,棚卸（期首）,2100000000", "25,棚卸（期末）,2399988000",
              "27,計（23＋24－25－26）,12000", "28,差引金額（5－27）,1999988000"})
            QVERIFY2(QString::fromUtf8(csv).contains(QString::fromUtf8(line)), line);

        // Lines 24 and 25 are the inventory table's column sums; the statement prints all
        // four, on the form and in its PDF.
        Report::Document inventory, statement;
        QVERIFY2(InventoryReport::build(YearFile::open(theYear().fileName(), &error),
                                        *theYear().wk(), &inventory, &error) &&
                     StatementReport::build(*theYear().wk(), &statement, &error),
                 qPrintable(error));
        const Report::Section f = sectionsOf(inventory).last();
        QCOMPARE(
            QStringList({at(f, 4440, 90), at(f, 10170, 45), at(f, 11310, 45), at(f, 1740, 615),
                         at(f, 8430, 555)}),
            QStringList({"2,100,000,000", "299,988,000", "2,399,988,000", "300,000,000", "8,333"}));
        const auto s = sectionsOf(statement);
        const QStringList figures = {"2,100,000,000", "2,399,988,000", "12,000", "1,999,988,000"};
        QCOMPARE(QStringList({at(s[1], 3555, 7515), at(s[1], 3555, 7830), at(s[2], 3555, 90),
                              at(s[2], 3555, 495)}),
                 figures);
        QCOMPARE(missingIn("pdftotext", year.path() + "/明細書_13年度.pdf", "bigfarm-statement",
                           figures),
                 QStringList());
    }

    // The sale report read back from its PDF: each group, the verdict's figures, the
    // heads outside the rule, the check against 販売金額; and the cap, where the cheapest
    // exempt head is the one counted beyond 1,500.
    void saleReport() {
        using B = SoldHead::Hinsyu;
        using P = SoldHead::Saki;
        auto head = [](int no, const char *name, B breed, bool reg, P place, qint64 price,
                       qint64 cost, QDate bought = QDate(2026, 1, 10)) {
            SoldHead h;
            h.No = no;
            h.Name = QString::fromUtf8(name);
            h.S_Hinsyu = breed;
            h.S_Touroku = reg;
            h.S_Uriba = place;
            h.S_Kingaku = price;
            h.cost = cost;
            h.I_Date = bought;
            h.O_Date = QDate(2026, 5, 20 + no % 3);
            return h;
        };
        const std::vector<SoldHead> five = {
            head(1, "黒毛A", B::Beef, false, P::Market, 1'012'000, 604'000),
            head(2, "交雑B", B::Cross, false, P::Market, 853'000, 521'000),
            head(3, "登録C", B::Beef, true, P::Market, 1'234'000, 700'000),
            head(4, "相対D", B::Beef, false, P::Other, 416'000, 457'000),
            head(5, "導入E", B::Beef, false, P::Market, 318'000, 296'000, QDate(2026, 5, 1)),
        };
        SoldHead late = head(6, "越年F", B::Beef, false, P::Market, 316'000, 0);
        late.O_Date = QDate(2027, 1, 4);
        std::vector<SoldHead> many;
        for (int no = 1; no <= 1501; ++no)
            many.push_back(
                head(no, "牛", B::Beef, false, P::Market, no == 700 ? 400'000 : 500'000 + no, 0));
        // What the farmer cannot see in the window: a breed and a birth date missing, a
        // sale dated outside the file's year, exempt heads sold at a loss.
        SoldHead unbred = head(7, "未入G", B::Unset, false, P::Market, 300'000, 200'000);
        SoldHead unborn = head(8, "委託H", B::Beef, false, P::Consigned, 300'000, 200'000);
        SoldHead offYear = head(9, "前年I", B::Beef, false, P::Market, 300'000, 900'000);
        offYear.O_Date = QDate(2025, 12, 28);
        offYear.I_Date = QDate(2025, 1, 5);
        struct Case {
            const char *name;
            std::vector<SoldHead> heads;
            qint64 hanbai;
            QStringList texts;
        };
        const Case cases[] = {
            {"sale-five",
             five,
             3'800'000,
             {"黒毛A", "1,012,000", "604,000", "408,000", "交雑B", "853,000", "521,000", "332,000",
              "登録C", "1,234,000", "700,000", "534,000", "相対D", "416,000", "457,000", "-41,000",
              "導入E", "318,000", "296,000", "22,000",
              // the groups' and the year's totals
              "1,865,000", "1,125,000", "740,000", "734,000", "753,000", "-19,000", "3,833,000",
              "2,578,000", "1,255,000", "合計 1,865,000 円 × 5 % ＝ 93,250 円が",
              "次の売却は特例の対象外です（通常の課税）：", "売却先がその他", "飼育2か月未満",
              "収入の販売金額 3,800,000 円", "（差 33,000 円）"}},
            {"sale-first",
             {five[2], late},
             1'550'000,
             {"売却した特定の肉用牛 1 頭は、すべて免税対象飼育牛で 1,500 頭以内です。",
              "特例の期間外", "期間はその後延長されていることがあります。"}},
            {"sale-checks",
             {unbred, unborn, offYear},
             900'000,
             {"入力が足りない売却が 2 頭あります", "未入G", "品種区分が未入力", "委託H",
              "生年月日が未入力", "売却日が 2026 年の中にない", "No 9 前年I（R7.12.28）",
              "農協への委託で生年月日が未入力の牛が 1 頭", "の損失です"}},
            {"sale-cap",
             many,
             0,
             {"1,500頭超", "400,000 円 × 5 % ＝ 20,000 円",
              "1,500 頭を超える部分とする牛は申告する方が選べます（措置法通達25-1）。"}},
        };
        WorkingFolder dir;
        for (const Case &c : cases) {
            const QString pdf = dir.path() + "/" + SaleReport::pdfName("08");
            QString error;
            SaleReport::Inputs in;
            in.hanbai = c.hanbai;
            in.western = 2026;
            QVERIFY2(SaleReport::savePdf(c.heads, in, "08", pdf, &error), qPrintable(error));
            QCOMPARE(missingIn("pdftotext", pdf, c.name, c.texts).join(" | "), QString());
        }
    }

    // A head's codes in the sale report's narrow columns: the short words, not the
    // window's long ones, and nothing for a field not entered.
    void saleReportWords_data() {
        QTest::addColumn<int>("hinsyu");
        QTest::addColumn<bool>("touroku");
        QTest::addColumn<int>("saki");
        QTest::addColumn<QString>("printed");  // 区分|登録|売却先
        QTest::newRow("registered beef at a market") << 1 << true << 1 << "肉専用種|有|市場";
        QTest::newRow("cross consigned to the 農協") << 2 << false << 3 << "交雑種||農協委託";
        QTest::newRow("dairy at a certified meat market") << 3 << false << 2 << "乳用種||認定市場";
        QTest::newRow("dairy sold elsewhere") << 3 << false << 4 << "乳用種||その他";
        QTest::newRow("breeding stock") << 4 << false << 1 << "対象外の牛||市場";
        QTest::newRow("nothing entered") << 0 << false << 0 << "||";
    }
    void saleReportWords() {
        QFETCH(int, hinsyu);
        QFETCH(bool, touroku);
        QFETCH(int, saki);
        QFETCH(QString, printed);
        SoldHead h;
        h.No = 1;
        h.O_Date = QDate(2026, 5, 20);
        h.S_Hinsyu = SoldHead::Hinsyu(hinsyu);
        h.S_Touroku = touroku;
        h.S_Uriba = SoldHead::Saki(saki);
        Report::Document doc;
        SaleReport::build({h}, {}, "08", &doc);
        const Report::Section line = sectionsOf(doc).value(1);
        QCOMPARE(
            QStringList({at(line, 2745, 45), at(line, 3495, 45), at(line, 3895, 45)}).join('|'),
            printed);
    }

    // What ends the preparation or a report, and the orientation each leaves behind.
    // A register that cannot be read while the preview paints leaves no cut-short pages
    // to print: the preview says why and closes.
    void previewCutShortCloses() {
        TestYear year;
        seedWorkedExample(year);
        QPointer<Frm_Print> w = openPrint();
        QVERIFY(QTest::qWaitForWindowActive(w));
        bool closed = false;
        inPreview_ = [&](QDialog *preview) {
            year.exec("ALTER TABLE T_Cow RENAME TO T_Gone");
            preview->findChild<QPrintPreviewWidget *>()->updatePreview();
            QCoreApplication::processEvents();
            closed = !preview->isVisible();
            QVERIFY(MsgBox::shown().value(0).text.contains("T_Cow"));
        };
        click(w, "cmd_Tanaorosi");
        QVERIFY(closed);
    }

    void refusalsAndPrinterErrors() {
        TestYear year;
        QPointer<Frm_Print> w = openPrint();  // empty register
        QTRY_VERIFY(!w);
        QCOMPARE(MsgBox::shown().value(0).text, QStringLiteral("印刷データがありません。"));
        QCOMPARE(printer_.asked, QList<int>({1}));

        // A total that cannot be read is never valued as 0: nothing is written.
        seedWorkedExample(year);
        year.exec("DROP VIEW Q_Cost_Tesuu");  // one that fails when read
        year.exec(
            "CREATE VIEW Q_Cost_Tesuu AS SELECT Nidukuri FROM T_Cost "
            "WHERE abs(-9223372036854775808)");
        YearFile::writtenWhole(Y13);  // past the open's check
        MsgBox::clearShown();
        w = openPrint();
        QTRY_VERIFY(!w);
        QVERIFY2(MsgBox::shown().value(0).text.startsWith("集計を読み込めないため"),
                 qPrintable(MsgBox::shown().value(0).text));
        QCOMPARE(year.text("SELECT count(*) FROM T_Cow WHERE HiikuKingaku IS NOT NULL"), "0");

        // No printer: the printer error, no preview, the window stays; closing says nothing.
        year.exec("DROP VIEW Q_Cost_Tesuu");
        year.exec("CREATE VIEW Q_Cost_Tesuu AS SELECT Nidukuri FROM T_Cost ORDER BY rowid");
        MsgBox::clearShown();
        printer_.fails = true;
        w = openPrint();
        QVERIFY(QTest::qWaitForWindowActive(w));
        click(w, "cmd_Tanaorosi");
        QCOMPARE(MsgBox::shown().size(), 1);
        QCOMPARE(MsgBox::shown()[0].text,
                 QStringLiteral("プリンタエラーです。\r\nプリンタを確認してください。"));
        QCOMPARE(MsgBox::shown()[0].title, QStringLiteral("プリンタエラー"));
        QVERIFY(shown_.isEmpty());
        QVERIFY(w->isVisible());
        w->close();
        QTRY_VERIFY(!w);
        QCOMPARE(MsgBox::shown().size(), 1);
    }

    void keysAndGeometry() {
        TestYear year;
        seedWorkedExample(year);
        theYear().follow(YearFile::Change::All);
        QPointer<Frm_Print> w = openPrint();
        QVERIFY(QTest::qWaitForWindowActive(w));
        const double px = w->logicalDpiX() / 1440.0;
        QCOMPARE(w->findChild<QPushButton *>("cmd_Close")->geometry(),
                 QRect(qRound(2760 * px), qRound(600 * px), qRound(1335 * px), qRound(735 * px)));
        QCOMPARE(w->size(), QSize(qRound(4290 * px), qRound(2055 * px)));
        QStringList ring;
        auto *b = w->findChild<QPushButton *>("cmd_Tanaorosi");
        b->setFocus();
        for (int k : {Qt::Key_Right, Qt::Key_Down, Qt::Key_Right, Qt::Key_Left, Qt::Key_Up}) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key(k));
            ring << QApplication::focusWidget()->objectName();
        }
        QCOMPARE(ring, QStringList({"cmd_Meisai", "cmd_Close", "cmd_Tanaorosi", "cmd_Close",
                                    "cmd_Meisai"}));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QCOMPARE(shown_.size(), 1);
        QCOMPARE(shown_[0].orientation, QPageLayout::Portrait);
        w->close();
    }
};

QTEST_MAIN(TstReports)
#include "tst_reports.moc"
