#pragma once

#include <QFont>
#include <QPainter>
#include <QPdfWriter>
#include <QPen>

#include "Report.h"

// The least code that writes placed report items to a PDF: bare QPainter calls on a
// QPdfWriter, one page after another.
class BarePdf {
  public:
    BarePdf(const QPageLayout &layout, const QString &path);
    void draw(const Report::Page &page);

  private:
    QPdfWriter pdf_;
    QPainter painter_;
    QFont font_;
    QPen pen_;
    bool first_ = true;
};
