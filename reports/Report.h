#pragma once

#include <QFont>
#include <QLine>
#include <QList>
#include <QPageLayout>
#include <QPageSize>
#include <QRect>
#include <QString>
#include <functional>

class QPagedPaintDevice;
class QPaintDevice;
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
    bool newPage = false;  // starts a page of its own even where it would fit
};
using Page = QList<Item>;

// Takes each section of a document, in order, as it is made.
using Sink = std::function<void(const Section &)>;
// Makes a document's sections into the sink, reading its data as it goes, so that no
// more than one section is held; run again for every pass (the preview paints more
// than once). False with a message when the data cannot be read.
using Sections = std::function<bool(const Sink &, QString *error)>;

struct Document {
    QString title;    // the report's title, the PDF's title
    QString caption;  // the preview window's title
    QPageLayout::Orientation orientation = QPageLayout::Portrait;
    Sections sections;
    QString year;  // the year it is of, as its PDF's name gives it
};

// The sections, in order, on pages of the given printable height, handed over one page
// at a time, at least one: a section that does not fit on the page starts the next one.
// False with a message when the sections cannot be made.
bool flow(const Sections &sections, int pageHeight, const std::function<void(const Page &)> &page,
          QString *error);

// The typeface the forms ask for; IPAPGothic stands in where it is missing, so that
// PDFs embed a gothic whose text extracts as printed.
QString family();

// The smallest size a text is shrunk to so that it fits its box (6 pt); below it the
// text is cut and ends in an ellipsis instead.
constexpr int MinSize = 120;

// A text item as it is drawn on a device: its font, its text on one line, and the
// alignment flags that drawing and measuring share. A text wider than its box is drawn
// smaller, down to MinSize, and cut after that, so that it never runs over its
// neighbours' figures.
struct Fitted {
    QFont font;
    QString text;
    int flags = 0;
};
Fitted fit(const Item &item, const QPaintDevice *device);

// Margins of one inch on every side, on the given paper.
QPageLayout pageLayout(const Document &doc, const QPageSize &paper);

// Draws every page on the device, whose page layout the caller has set. False when the
// device cannot be painted on, or with a message when the document's data cannot be read.
bool paint(const Document &doc, QPagedPaintDevice *device, QString *error);

// Writes the document to a PDF file on the paper given. False with a message.
bool savePdf(const Document &doc, const QString &path, const QPageSize &paper, QString *error);

}  // namespace Report
