#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

#include "Report.h"
#include "SaleSummary.h"

class CurrentYear;
class QWidget;

// 肉用牛の売却の明細（免税の判定）: one line per sold head with its judgement, the totals of
// the three groups, and what the rule makes of them. A guide for the return, one A4
// portrait report drawn by the forms' painter.
namespace SaleReport {

// The report of the year's sold heads (year: "13" as the work window shows it), with the
// page of figures for the return's 税額計算書 after it.
void build(const std::vector<SoldHead> &heads, const Inputs &inputs, const QString &year,
           Report::Document *doc);

// The current year's report: the work window's year file's sold calves, its settings for
// the rule and its statement's figures. *heads (when given) is how many were sold. False with a
// message when the year cannot be read.
bool buildYear(const CurrentYear &year, Report::Document *doc, int *heads, QString *error);

// "売却明細_13年度.pdf": the file the menu's PDFに保存 writes beside the two forms.
QString pdfName(const QString &year);

// Writes the report as a PDF at path, on the default printer's paper. False with a message.
bool savePdf(const std::vector<SoldHead> &heads, const Inputs &inputs, const QString &year,
             const QString &path, QString *error);

}  // namespace SaleReport
