#pragma once

#include <QLine>
#include <QList>
#include <QPageLayout>
#include <QPageSize>
#include <QRect>
#include <QString>

class QPagedPaintDevice;
class QPainter;

// A printed form as data: sections of text boxes and ruled lines in twips (1/1440
// inch), stacked onto pages from the printable origin and drawn by one painter on the
// preview, the printer or a PDF file.
namespace Report {

constexpr int Twips = 1440;  // per inch

struct Item {
    enum class Kind { Text, Rule } kind;
    QRect box;  // Text: the box the text aligns in
    QString text;
    Qt::Alignment align;
    int size = 0;  // Text: font size in twips (9 pt = 180)
    QLine rule;    // Rule: from one end to the other
};
Item text(int left, int top, int width, int height, const QString &text,
          Qt::Alignment align = Qt::AlignLeft, int size = 180);
Item rule(int x1, int y1, int x2, int y2);

// A band of the form; it is never split over two pages.
struct Section {
    int height = 0;
    QList<Item> items;
};
using Page = QList<Item>;

struct Document {
    QString title;    // the report's title, the PDF's title
    QString caption;  // the preview window's title
    QPageLayout::Orientation orientation = QPageLayout::Portrait;
    QList<Section> sections;
};

// The sections, in order, on pages of the given printable height: a section that does
// not fit on the page starts the next one.
QList<Page> flow(const QList<Section> &sections, int pageHeight);

// The typeface the forms ask for; IPAPGothic stands in where it is missing, so that
// PDFs embed a gothic whose text extracts as printed.
QString family();

// Margins of one inch on every side, on the given paper.
QPageLayout pageLayout(const Document &doc, const QPageSize &paper);

// Draws every page on the device, whose page layout the caller has set. False when the
// device cannot be painted on.
bool paint(const Document &doc, QPagedPaintDevice *device);

// Writes the document to a PDF file on the paper given. False with a message.
bool savePdf(const Document &doc, const QString &path, const QPageSize &paper, QString *error);

}  // namespace Report
