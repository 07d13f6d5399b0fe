#pragma once

#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

#include "Judgement.h"
#include "SoldHead.h"

// What the year's sales come to under the rule: each head's judgement, the totals of the
// three groups, the 5 % figure, the figures the return's 税額計算書 takes, and the words
// for them, without the page they go on.
namespace SaleReport {

// The exempt head the first route allows in a year; beyond them the second route taxes.
constexpr int Cap = 1500;

enum Group { ExemptGroup, FivePercentGroup, OutsideGroup };

// What the year's file says beside its sold heads.
struct Inputs {
    Fields::Keiri keiri = Fields::Keiri::Inclusive;
    QDate lastDate = Judgement::ownLastDate();  // the last sale date the rule covers
    bool lastDateSet = false;                   // set by the farmer, not the program's
    int western = 0;                            // the file's calendar year; 0 when unknown
    std::optional<qint64> hanbai;               // the income window's 販売金額
    // The detail statement's 計 of income (its line 5) and of costs (line 27), whose
    // difference is its 所得; nullopt when they cannot be computed.
    std::optional<qint64> income, costs;
};

struct Line {
    SoldHead head;
    Judgement::Verdict verdict;
    bool beyond = false;  // exempt, but counted among those over the cap
    qint64 income = 0;    // on the year's basis (Judgement::income)
    qint64 share = 0;     // of the costs no head's value holds, by income
    Group group() const;
};

// A head with no price above 0 adds to neither gain nor price.
struct Total {
    int count = 0;
    qint64 price = 0, cost = 0, gain = 0;  // price: the income on the year's basis
};

// Income and costs of some heads, with the year's other costs shared among them by price.
struct Part {
    qint64 income = 0, costs = 0;
    qint64 gain() const { return income - costs; }
};

// The figures of 肉用牛の売却による所得の税額計算書, and how they add up to the detail
// statement's 所得: the groups, plus what belongs to no sold head (other income, and the
// yen the sharing leaves over).
struct Split {
    Part groups[3];  // by Group
    Part specific;   // 特定の肉用牛: the exempt and the 5 % groups
    Part rest;
    qint64 statement = 0;  // the detail statement's 所得
};

struct Summary {
    QList<Line> lines;           // in the register's order
    Total totals[3];             // by Group
    qint64 base = 0;             // the prices taxed at 5 %, on the year's basis
    qint64 tax = 0;              // 5 % of base, yen below one dropped
    std::optional<Split> split;  // when the statement's figures are known
    QStringList verdict;         // paragraphs: the route, then the notes that go with it
    QStringList incomplete;      // 入力が足りない売却: one per head, with what it lacks
    QStringList checks;          // paragraphs after the list of heads outside the rule
};

// The judgement of every head, the cap applied to the cheapest exempt heads, the figures
// and the texts.
Summary summarize(const std::vector<SoldHead> &heads, const Inputs &inputs);

}  // namespace SaleReport
