#pragma once

#include <QString>

#include "Report.h"

class Frm_Wk;

// The detail statement (免税所得（肉用牛）の明細書): one portrait page of 28 lines.
namespace StatementReport {

// Reads the year's income and expense record and computes the figures from the work
// window's totals, now. False with a message when the file fails or a figure cannot be
// computed.
bool build(const Frm_Wk &wk, Report::Document *doc, QString *error);

}  // namespace StatementReport
