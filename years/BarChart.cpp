#include "BarChart.h"

#include <QPainter>
#include <algorithm>

#include "Amount.h"

BarChart::BarChart(const QString &title, const QString &axisTitle, QWidget *parent)
    : QWidget(parent), title_(title), axisTitle_(axisTitle) {
    setMinimumHeight(220);
    setFocusPolicy(Qt::NoFocus);
}

void BarChart::setBars(QList<Bar> bars) {
    bars_ = std::move(bars);
    update();
}

QSize BarChart::sizeHint() const {
    return {600, 260};
}

QList<qint64> BarChart::ticks(qint64 low, qint64 high) {
    low = std::min<qint64>(low, 0);
    high = std::max<qint64>(high, 0);
    if (low == high) high = 1;
    const qint64 span = high - low;
    // 1, 2, 5, 10, 20, 50 …: the first step that needs at most five intervals.
    qint64 step = 1;
    for (int i = 0; step < (span + 4) / 5; ++i) step = i % 3 == 1 ? step / 2 * 5 : step * 2;
    const qint64 first = low >= 0 ? low / step * step : -((-low + step - 1) / step * step);
    const qint64 last = high <= 0 ? -(-high / step * step) : (high + step - 1) / step * step;
    QList<qint64> out;
    for (qint64 t = first; t <= last; t += step) out << t;
    return out;
}

void BarChart::paintEvent(QPaintEvent *) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.fillRect(rect(), palette().base());
    p.setPen(palette().color(QPalette::Text));
    const QFontMetrics fm(font());
    const int line = fm.height();

    QFont bold = font();
    bold.setBold(true);
    p.setFont(bold);
    p.drawText(QRect(0, 4, width(), line), Qt::AlignCenter, title_);
    p.setFont(font());

    qint64 low = 0, high = 0;
    for (const Bar &b : bars_) {
        low = std::min(low, b.value);
        high = std::max(high, b.value);
    }
    const QList<qint64> axis = ticks(low, high);
    int labelWidth = 0;
    for (const qint64 t : axis)
        labelWidth = std::max(labelWidth, fm.horizontalAdvance(Amount::format(t)));
    const QRect plot(labelWidth + 12, line * 2 + 12, width() - labelWidth - 24,
                     height() - line * 4 - 16);
    if (plot.width() < 10 || plot.height() < 10) return;
    const double bottom = double(axis.first()), top = double(axis.last());
    const auto yOf = [&](qint64 v) {
        return plot.bottom() - (double(v) - bottom) / (top - bottom) * plot.height();
    };

    const QColor grid = palette().color(QPalette::Mid);
    for (const qint64 t : axis) {
        const int y = int(yOf(t));
        p.setPen(t == 0 ? palette().color(QPalette::Text) : grid);
        p.drawLine(plot.left(), y, plot.right(), y);
        p.setPen(palette().color(QPalette::Text));
        p.drawText(QRect(0, y - line / 2, labelWidth + 6, line), Qt::AlignRight | Qt::AlignVCenter,
                   Amount::format(t));
    }

    if (!bars_.isEmpty()) {
        const double slot = double(plot.width()) / bars_.size();
        const QColor fill = palette().color(QPalette::Highlight);
        for (int i = 0; i < bars_.size(); ++i) {
            const Bar &b = bars_[i];
            const double x = plot.left() + slot * i;
            const double y0 = yOf(0), y1 = yOf(b.value);
            const QRectF bar(x + slot * 0.2, std::min(y0, y1), slot * 0.6, std::abs(y1 - y0));
            p.fillRect(bar, fill);
            p.drawText(QRectF(x, plot.bottom() + 4, slot, line), Qt::AlignCenter, b.label);
            const QRectF value(x, b.value < 0 ? bar.bottom() + 2 : bar.top() - line - 2, slot,
                               line);
            p.drawText(value, Qt::AlignCenter, Amount::format(b.value));
        }
    }
    p.drawText(QRect(plot.left(), plot.bottom() + line + 8, plot.width(), line), Qt::AlignCenter,
               axisTitle_);
}
