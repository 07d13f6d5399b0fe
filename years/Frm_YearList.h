#pragma once

#include <QDialog>
#include <QList>
#include <QString>
#include <optional>

class QTableWidget;

// 年度一覧: every year file of the working folder side by side, with a bar chart of the
// cost per head per month. It only reads: each file is opened read-only, and choosing
// a row switches nothing.
class Frm_YearList : public QDialog {
    Q_OBJECT
  public:
    // One row of the overview.
    struct Year {
        QString fileName;
        QString nendo;    // the era year ("平成31", "令和元"), or the digits when none fits
        QString problem;  // why the file cannot be read; empty when it could
        qint64 heads = 0;
        // The work window's fields as it computes them: 年間経費, 年間収入, 年度肥育費,
        // 肥育月数計, １頭１月肥育, 期末棚卸計.
        // nullopt when the figure could not be computed.
        QList<std::optional<qint64>> figures;
    };
    // The year files of the working folder ("cowdata" + one or two ASCII digits + ".mdb";
    // not the template, nor a copy a file manager named after one), in calendar order.
    static QList<Year> readYears();

    // current: the current year's file, whose row stands out and is chosen.
    explicit Frm_YearList(const QString &current, QWidget *parent = nullptr);

  private:
    QTableWidget *grid_Years;
};
