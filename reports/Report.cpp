#include "Report.h"

#include <QFont>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPdfWriter>
#include <QSaveFile>
#include <utility>

#include "MsgBox.h"

namespace Report {

Item text(int left, int top, int width, int height, const QString &text, Qt::Alignment align,
          int size) {
    return {Item::Kind::Text, QRect(left, top, width, height), text, align, size, {}};
}

Item rule(int x1, int y1, int x2, int y2) {
    return {Item::Kind::Rule, {}, {}, {}, 0, QLine(x1, y1, x2, y2)};
}

bool flow(const Sections &sections, int pageHeight, const std::function<void(const Page &)> &page,
          QString *error) {
    Page current;
    int y = 0;
    auto place = [&](const Section &s) {
        if (y > 0 && y + s.height > pageHeight) {
            page(current);
            current.clear();
            y = 0;
        }
        for (Item item : s.items) {
            item.box.translate(0, y);
            item.rule.translate(0, y);
            current << std::move(item);
        }
        y += s.height;
    };
    const bool made = !sections || sections(place, error);
    page(current);
    return made;
}

QString family() {
    static const QString name = [] {
        const QString ms = QStringLiteral("ＭＳ Ｐゴシック");
        // Noto Sans CJK extracts from PDFs as radicals: only the last resort.
        QFont::insertSubstitutions(ms, {QStringLiteral("IPAPGothic"), QStringLiteral("IPAGothic"),
                                        QStringLiteral("Noto Sans CJK JP")});
        return ms;
    }();
    return name;
}

QPageLayout pageLayout(const Document &doc, const QPageSize &paper) {
    return QPageLayout(paper.isValid() ? paper : QPageSize(QPageSize::A4), doc.orientation,
                       QMarginsF(1, 1, 1, 1), QPageLayout::Inch);
}

bool paint(const Document &doc, QPagedPaintDevice *device, QString *error) {
    const QRectF area = device->pageLayout().paintRect(QPageLayout::Inch);
    QPainter p;
    if (!p.begin(device)) return false;
    // Everything is laid out in twips; fonts are sized in twips too, or the scale
    // would apply to them twice.
    p.scale(device->logicalDpiX() / double(Twips), device->logicalDpiY() / double(Twips));
    QPen pen(Qt::black);
    pen.setWidth(15);
    pen.setCapStyle(Qt::FlatCap);
    QFont font(family());
    bool first = true;
    auto draw = [&](const Page &page) {
        if (!std::exchange(first, false)) device->newPage();
        for (const Item &item : page) {
            if (item.kind == Item::Kind::Rule) {
                p.setPen(pen);
                p.drawLine(item.rule);
            } else {
                font.setPixelSize(item.size);
                p.setFont(font);
                p.setPen(Qt::black);
                p.drawText(item.box, int(item.align | Qt::AlignTop) | Qt::TextDontClip, item.text);
            }
        }
    };
    const bool made = flow(doc.sections, int(area.height() * Twips), draw, error);
    return p.end() && made;
}

bool savePdf(const Document &doc, const QString &path, const QPageSize &paper, QString *error) {
    const QString failed =
        QStringLiteral(
            "PDFファイル %1 を書き込めません。保存先のフォルダと空き容量を確認してください。")
            .arg(MsgBox::fileLabel(path));
    // Written beside and renamed over at the end: a PDF cut short by a failed read would
    // print as if the register ended there, and the earlier file is kept instead.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        *error = MsgBox::withDetail(failed, file.errorString());
        return false;
    }
    QPdfWriter pdf(&file);
    if (!pdf.setPageLayout(pageLayout(doc, paper))) {
        *error = QStringLiteral("用紙の設定ができません。");
        return false;
    }
    pdf.setTitle(doc.title);
    pdf.setCreator(QStringLiteral("Moriva"));
    error->clear();
    if (paint(doc, &pdf, error) && file.commit()) return true;
    file.cancelWriting();
    if (error->isEmpty()) *error = failed;  // the data was read: the file failed
    return false;
}

}  // namespace Report
