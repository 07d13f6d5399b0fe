// The inventory table of the year file named on the command line, written as the
// program writes it to the PDF file named next, or with "floor" after them the same
// pages drawn by bare QPainter calls as they are placed; prints the page count, then
// the process's own peak memory in KiB.
#include <QApplication>
#include <QFile>
#include <cstdio>

#include "BarePdf.h"
#include "CurrentYear.h"
#include "Frm_Wk.h"
#include "InventoryReport.h"
#include "M_Cow.h"
#include "Report.h"
#include "ViewTotals.h"
#include "YearMaker.h"

int main(int argc, char *argv[]) {
    QApplication app(argc, argv);
    if (argc < 3) return 2;
    const QString name = QFile::decodeName(argv[1]);
    const QString path = QFile::decodeName(argv[2]);
    const QPageSize a4(QPageSize::A4);
    QString error;
    Report::Document doc;
    if (!benchYear().open(name, &error) ||
        !InventoryReport::build(benchYear().wk()->file(), *benchYear().wk(), &doc, &error)) {
        std::fprintf(stderr, "%s\n", qPrintable(error));
        return 1;
    }
    bool written = false;
    if (argc > 3 && qstrcmp(argv[3], "floor") == 0) {
        const QPageLayout layout = Report::pageLayout(doc, a4);
        BarePdf pdf(layout, path);
        written = Report::flow(
            doc.sections, layout.paintRectPoints().height() * 20,
            [&](const Report::Page &page) { pdf.draw(page); }, &error);
    } else {
        written = Report::savePdf(doc, path, a4, &error);
    }
    if (!written) {
        std::fprintf(stderr, "%s\n", qPrintable(error));
        return 1;
    }
    // Taken before the file is read back, which would count against the peak.
    const long peak = peakKiB();
    QFile pdf(path);
    pdf.open(QIODevice::ReadOnly);
    std::printf("%lld\n%ld\n", pdf.readAll().count("/Type /Page\n"), peak);
    benchYear().close();
    return 0;
}
