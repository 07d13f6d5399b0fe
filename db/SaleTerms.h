#pragma once

#include <QDate>
#include <QString>

#include "Fields.h"

class YearFile;

// The year's settings for the rule on beef cattle sales (T_Tokurei): how the farm keeps
// consumption tax in its books, and the last sale date the rule covers when the farmer has
// set it because the law was extended.
namespace SaleTerms {

struct Terms {
    Fields::Keiri keiri = Fields::Keiri::Inclusive;
    QDate kigen;  // null: the date the program knows
    bool operator==(const Terms &) const = default;
};

// A file of an earlier version, opened only to be read, has no such table: the defaults.
bool load(const YearFile &file, Terms *terms, QString *error);
bool save(YearFile &file, const Terms &terms, QString *error);

}  // namespace SaleTerms
