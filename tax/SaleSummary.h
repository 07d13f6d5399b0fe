#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

#include "Judgement.h"
#include "SoldHead.h"

// What the year's sales come to under the rule: each head's judgement, the totals of the
// three groups, the 5 % figure and the words for them, without the page they go on.
namespace SaleReport {

// The exempt head the first route allows in a year; beyond them the second route taxes.
constexpr int Cap = 1500;

enum Group { ExemptGroup, FivePercentGroup, OutsideGroup };

struct Line {
    SoldHead head;
    Judgement::Verdict verdict;
    bool beyond = false;  // exempt, but counted among those over the cap
    Group group() const;
};

// A head with no price above 0 adds to neither gain nor price.
struct Total {
    int count = 0;
    qint64 price = 0, cost = 0, gain = 0;
};

struct Summary {
    QList<Line> lines;    // in the register's order
    Total totals[3];      // by Group
    qint64 base = 0;      // the prices taxed at 5 %
    qint64 tax = 0;       // 5 % of base, yen below one dropped
    QStringList verdict;  // paragraphs: the route, then the notes that go with it
    QStringList checks;   // paragraphs after the list of heads outside the rule
};

// The judgement of every head, the cap applied to the cheapest exempt heads, and the
// texts. hanbai: the income window's 販売金額, which the prices should add up to.
Summary summarize(const std::vector<SoldHead> &heads, std::optional<qint64> hanbai);

}  // namespace SaleReport
