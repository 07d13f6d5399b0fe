// The inventory table of the year file named on the command line, written as the
// program writes it to the PDF file named next; prints the page count, then the
// process's own peak memory in KiB.
#include <QApplication>
#include <QFile>
#include <cstdio>

#include "Frm_Wk.h"
#include "InventoryReport.h"
#include "M_Cow.h"
#include "Report.h"
#include "ViewTotals.h"

int main(int argc, char *argv[]) {
    QApplication app(argc, argv);
    if (argc < 3) return 2;
    M_Cow::DbFileName = QFile::decodeName(argv[1]);
    QString error;
    Report::Document doc;
    if (!Frm_Wk::load(&error) ||
        !InventoryReport::build(Frm_Wk::instance()->file(), *Frm_Wk::instance(), &doc, &error) ||
        !Report::savePdf(doc, QFile::decodeName(argv[2]), QPageSize(QPageSize::A4), &error)) {
        std::fprintf(stderr, "%s\n", qPrintable(error));
        return 1;
    }
    // Taken before the file is read back, which would count against the peak.
    const long peak = peakKiB();
    QFile pdf(QFile::decodeName(argv[2]));
    pdf.open(QIODevice::ReadOnly);
    std::printf("%lld\n%ld\n", pdf.readAll().count("/Type /Page\n"), peak);
    Frm_Wk::unload();
    return 0;
}
