#include "Valuation.h"

#include <QVariant>

#include "Calves.h"
#include "Checkpoint.h"
#include "FatteningMonths.h"
#include "Frm_Wk.h"
#include "MsgText.h"
#include "YearFile.h"

std::array<QString, 12> SetMonthMark(int month, int status) {
    std::array<QString, 12> marks;
    marks.fill(QLatin1String(""));  // empty text, not NULL
    if (month < 1 || month > 12) return marks;
    switch (status) {
        case Dounyuu:
            marks[month - 1] = QStringLiteral("買");
            break;
        case Baikyaku:
            marks[month - 1] = QStringLiteral("売");
            break;
        case Sibou:
            marks[month - 1] = QStringLiteral("死");
            break;
        default:
            break;
    }
    return marks;
}

namespace {

QString noPerHeadCost() {
    return QStringLiteral(
        "１頭１月肥育が計算できないため、棚卸の計算ができません。\n"
        "経費と子牛の金額を確かめてください。");
}

// Every work total read again: a total that could not be read must never be valued
// as 0. An empty １頭１月肥育 means it could not be computed; Cal_Cow refuses it.
bool freshPerHead(Frm_Wk &wk, std::optional<qint64> *perHead, QString *error) {
    QString why;
    if (!wk.refresh({Frm_Wk::Data_CowCal1, Frm_Wk::Data_CostCal, Frm_Wk::Data_Cost2,
                     Frm_Wk::Data_ProseedCal1, Frm_Wk::Data_Cost_Zensiryou,
                     Frm_Wk::Data_Cost_Konsiryou, Frm_Wk::Data_Cost_Ikusei},
                    &why)) {
        *error = MsgText::withDetail(
            QStringLiteral("集計を読み込めないため、棚卸の計算ができません。"), why);
        return false;
    }
    *perHead = wk.value(&Frm_Wk::t_TukiHiiku);
    return true;
}

}  // namespace

bool Cal_Cow(YearFile &file, std::optional<qint64> perHeadMonth, QString *error) {
    if (!perHeadMonth) {
        *error = noPerHeadCost();
        return false;
    }
    return file.transaction(
        [&](QString *err) {
            std::optional<QVariant> beyond;
            if (!Calves::firstBeyondRange(file, *perHeadMonth, &beyond, err)) return false;
            if (beyond) {
                *err = QStringLiteral(
                           "No %1 の子牛の肥育金額または期末棚卸高が、"
                           "計算できる範囲（±2,147,483,647円）を超えました。\n"
                           "棚卸の計算は行っていません。")
                           .arg(beyond->toString());
                return false;
            }
            if (!Calves::value(file, *perHeadMonth, err)) return false;
            MORIVA_CHECKPOINT("valuation: calf written");  // written, not yet committed
            return true;
        },
        error);
}

std::optional<qint64> Cal_Cow_Changes(YearFile &file, std::optional<qint64> perHeadMonth,
                                      QString *error) {
    if (!perHeadMonth) {
        *error = noPerHeadCost();
        return std::nullopt;
    }
    return Calves::stale(file, *perHeadMonth, error);
}

bool valueRegister(Frm_Wk &wk, YearFile &file, QString *error) {
    std::optional<qint64> perHead;
    return freshPerHead(wk, &perHead, error) && Cal_Cow(file, perHead, error) &&
           wk.refresh({Frm_Wk::Data_CowCal1}, error);
}

std::optional<qint64> staleCalves(Frm_Wk &wk, YearFile &file, QString *error) {
    std::optional<qint64> perHead;
    if (!freshPerHead(wk, &perHead, error)) return std::nullopt;
    return Cal_Cow_Changes(file, perHead, error);
}
