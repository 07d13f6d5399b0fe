#include "Report.h"

#include <QFontMetricsF>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPdfWriter>
#include <QSaveFile>
#include <utility>

#include "Binding.h"
#include "MsgText.h"

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
        if (y > 0 && (s.newPage || y + s.height > pageHeight)) {
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

Fitted fit(const Item &item, const QPaintDevice *device) {
    Fitted f{QFont(family()), item.text, int(item.align | Qt::AlignTop)};
    int size = item.size;
    f.font.setPixelSize(size);
    QStringList lines = item.text.split(u'\n');
    // Lines are kept where the form stacks them within the box (a caption printed one
    // character a line); a break that does not fit the box's height, as in a name
    // stored with one, would run over the row below, so that text goes on one line.
    if (lines.size() > 1 &&
        lines.size() * QFontMetricsF(f.font, device).lineSpacing() > item.box.height()) {
        f.text = Binding::oneLine(item.text);
        lines = {f.text};
        f.flags |= Qt::TextSingleLine;
    }
    const qreal room = item.box.width();
    const auto widest = [&] {
        f.font.setPixelSize(size);
        const QFontMetricsF m(f.font, device);
        qreal w = 0;
        for (const QString &line : lines) w = std::max(w, m.horizontalAdvance(line));
        return w;
    };
    qreal wide = widest();
    if (wide > room && size > MinSize) {
        // Widths grow almost in proportion to the size; hinting can add a little, so
        // step down from the proportional size until the text really fits.
        size = std::clamp(int(size * room / wide), MinSize, size - 1);
        while ((wide = widest()) > room && size > MinSize) --size;
    }
    if (wide > room) {
        const QFontMetricsF m(f.font, device);
        for (QString &line : lines) line = m.elidedText(line, Qt::ElideRight, room);
        f.text = lines.join(u'\n');
    }
    return f;
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
    bool first = true;
    auto draw = [&](const Page &page) {
        if (!std::exchange(first, false)) device->newPage();
        for (const Item &item : page) {
            if (item.kind == Item::Kind::Rule) {
                p.setPen(pen);
                p.drawLine(item.rule);
            } else {
                const Fitted f = fit(item, device);
                p.setFont(f.font);
                p.setPen(Qt::black);
                // Not clipped: a descender may reach a little below a box as low as the
                // font, and the fit has already kept the text within the box's width.
                p.drawText(item.box, f.flags | Qt::TextDontClip, f.text);
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
            .arg(MsgText::fileLabel(path));
    // Written beside and renamed over at the end: a PDF cut short by a failed read would
    // print as if the register ended there, and the earlier file is kept instead.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        *error = MsgText::withDetail(failed, file.errorString());
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
