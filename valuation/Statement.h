#pragma once

#include <QList>
#include <QString>
#include <QVariantMap>
#include <QtGlobal>
#include <optional>

#include "Frm_Wk.h"

// The 28 lines of the detail statement of tax-exempt income from beef cattle, as
// figures: what the printed form shows and what an export writes, from one place.
namespace Statement {

struct Line {
    int number;                    // 1..28, the number printed beside the amount
    QString name;                  // the caption, or the stored name for lines 3, 4, 19..22
    std::optional<qint64> amount;  // nullopt prints nothing
    QString remark;
};

// Lines 5, 23, 24, 25, 27 and 28, in that order, from the work window's totals
// (Syuunyuu, Keihi, KisyuKei, Zensiryou, KimatuKei, Konsiryou, Ikusei). 64-bit, as the
// totals are. The first figure that cannot be computed (a total that cannot, or a result
// that overflows) and every figure after it stay nullopt.
struct Figures {
    std::optional<qint64> kei1, kei2, kisyu, kimatu, kei3, kei4;
};
Figures figures(const Frm_Wk::Totals &totals);

// All 28 lines, in order, from one row of Q_Syuusi (column name -> value, the names as
// the view spells them, "T_Proseed.Zatu") and the totals.
QList<Line> lines(const QVariantMap &syuusi, const Frm_Wk::Totals &totals);

// Reads Q_Syuusi from the work window's year file and the work window's totals. False
// with a Japanese message when the file cannot be read.
bool compute(const Frm_Wk &wk, QList<Line> *out, QString *error);

// The first computed line of lines that has no amount, as a message names it
// ("「棚卸（期末）」（25 行目）"); empty when every one has its amount. A form or an
// export that would show it empty is refused instead.
QString missing(const QList<Line> &lines);

inline const QString Title = QStringLiteral("免税所得（肉用牛）の明細書");

}  // namespace Statement
