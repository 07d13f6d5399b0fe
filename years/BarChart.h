#pragma once

#include <QList>
#include <QString>
#include <QWidget>

// One figure per year as bars, drawn with QPainter. The years overview needs nothing
// more, and a chart library would be one more thing to build for every platform.
class BarChart : public QWidget {
    Q_OBJECT
  public:
    struct Bar {
        QString label;
        qint64 value;
    };

    BarChart(const QString &title, const QString &axisTitle, QWidget *parent = nullptr);
    void setBars(QList<Bar> bars);
    const QList<Bar> &bars() const { return bars_; }

    // The value axis: round steps of 1, 2 or 5 times a power of ten that cover every
    // value and 0, about five of them.
    static QList<qint64> ticks(qint64 low, qint64 high);

    QSize sizeHint() const override;

  protected:
    void paintEvent(QPaintEvent *event) override;

  private:
    QString title_, axisTitle_;
    QList<Bar> bars_;
};
