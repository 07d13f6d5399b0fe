#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

#include "Judgement.h"
#include "Report.h"
#include "SoldHead.h"

class CurrentYear;
class QWidget;

// 肉用牛の売却の明細（免税の判定）: one line per sold head with its judgement, the totals of
// the three groups, and what the rule makes of them. A guide for the return, one A4
// portrait report drawn by the forms' painter.
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

// The report of the year's sold heads (year: "13" as the work window shows it).
void build(const std::vector<SoldHead> &heads, std::optional<qint64> hanbai, const QString &year,
           Report::Document *doc);

// The current year's report: the work window's year file's sold calves and the 販売金額 of
// its statement. *heads (when given) is how many were sold. False with a message when the
// year cannot be read.
bool buildYear(const CurrentYear &year, Report::Document *doc, int *heads, QString *error);

// Opens the preview, from which the user prints or saves a PDF.
void preview(QWidget *parent, const std::vector<SoldHead> &heads, std::optional<qint64> hanbai,
             const QString &year);

// "売却明細_13年度.pdf": the file the menu's PDFに保存 writes beside the two forms.
QString pdfName(const QString &year);

// Writes the report as a PDF at path, on the default printer's paper. False with a message.
bool savePdf(const std::vector<SoldHead> &heads, std::optional<qint64> hanbai, const QString &year,
             const QString &path, QString *error);

}  // namespace SaleReport
