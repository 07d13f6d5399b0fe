#pragma once

#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>

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
    QString reason;  // why, for every result
};

// The periods the law has given the rule for individuals, oldest first: the last sale
// date each covered and the act that set it. The last is the one the program knows.
struct Period {
    QDate last;
    const char *law;
};
const QList<Period> &periods();
QDate ownLastDate();

// Dates of a head that cannot all be true, birth first. A calf bred on the farm has
// its dam's service date as 導入・種付年月日, before its birth: only a head bought in
// must be born by that date.
enum class Dates { Agree, BornAfterSold, BornAfterBought, SoldBeforeBought };
Dates dates(const SoldHead &head);

// lastDate: the last sale date the rule covers in this year's file.
Verdict judge(const SoldHead &head, const QDate &lastDate);

// What the price limit is held against: the price before tax with the grants.
qint64 limitPrice(const SoldHead &head);
// The head's income on the year's basis, and so its part of the 5 % base: the price and
// the grants, with the tax under 税込経理. 0 for a head with no price above 0.
qint64 income(const SoldHead &head, Fields::Keiri keiri);

// What a head lacks that its judgement depends on, by the fields' captions.
QStringList missing(const SoldHead &head);

// A warning for a 個体識別番号 that is not ten digits or fails the register's check digit,
// or "" (for an empty one too). The check is inferred from real numbers: never a refusal.
QString idWarning(const QString &number);

// "特例の対象外", "免税対象飼育牛", "免税対象外".
QString label(Result result);

}  // namespace Judgement
