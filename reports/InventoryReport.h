#pragma once

#include <QString>
#include <memory>

#include "Report.h"

class Frm_Wk;
class YearFile;

// The calf inventory table (子牛棚卸表): headings once, one line per calf in the
// register's stored order, then the column totals and how the per-head monthly cost
// was found.
namespace InventoryReport {

// Takes the work window's five figures now: figures from an earlier opening would print
// stale values. The calves are read one at a time whenever the sections are made. False
// with a message when the register cannot be read or a figure has no value.
bool build(const std::shared_ptr<YearFile> &file, const Frm_Wk &wk, Report::Document *doc,
           QString *error);

}  // namespace InventoryReport
