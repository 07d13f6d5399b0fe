#include "BarePdf.h"

BarePdf::BarePdf(const QPageLayout &layout, const QString &path)
    : pdf_(path), font_(Report::family()), pen_(Qt::black) {
    pdf_.setPageLayout(layout);
    painter_.begin(&pdf_);
    painter_.scale(pdf_.logicalDpiX() / double(Report::Twips),
                   pdf_.logicalDpiY() / double(Report::Twips));
    pen_.setWidth(15);
}

void BarePdf::draw(const Report::Page &page) {
    if (!std::exchange(first_, false)) pdf_.newPage();
    for (const Report::Item &item : page) {
        if (item.kind == Report::Item::Kind::Rule) {
            painter_.setPen(pen_);
            painter_.drawLine(item.rule);
        } else {
            font_.setPixelSize(item.size);
            painter_.setFont(font_);
            painter_.setPen(Qt::black);
            painter_.drawText(item.box, int(item.align | Qt::AlignTop) | Qt::TextDontClip,
                              item.text);
        }
    }
}
