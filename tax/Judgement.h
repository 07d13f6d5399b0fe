#pragma once

#include <QDate>
#include <QString>

#include "SoldHead.h"

// Whether one sold head falls under the special rule for income from selling beef cattle,
// and if so whether its sale is exempt. A guide: the farmer and the tax office decide.
namespace Judgement {

enum class Result {
    Outside,  // 特例の対象外: taxed as ordinary income
    Exempt,   // 免税対象飼育牛
    Taxed,    // 免税対象外: a 特定の肉用牛 taxed at 5 % under the second route
};

struct Verdict {
    Result result;
    QString reason;  // empty for Exempt
};

// The last sale date the rule covers: 租税特別措置法第25条第1項 reads "令和8年12月31日まで"
// (as amended by the 令和5年度 tax reform). Extended before, it may be extended again.
QDate lastDate();

// Dates of a head that cannot all be true, birth first. A calf bred on the farm has
// its dam's service date as 導入・種付年月日, before its birth: only a head bought in
// must be born by that date.
enum class Dates { Agree, BornAfterSold, BornAfterBought, SoldBeforeBought };
Dates dates(const SoldHead &head);

Verdict judge(const SoldHead &head);

// "特例の対象外", "免税対象飼育牛", "免税対象外".
QString label(Result result);

}  // namespace Judgement
