#pragma once

#include <QString>
#include <QtGlobal>
#include <array>
#include <optional>

class YearFile;

// The month marks of one calf: "買" in the month of purchase (status 1), "売" or "死"
// in the month of sale or death (3, 4); all empty for status 2, for another status or
// for a month outside 1..12.
std::array<QString, 12> SetMonthMark(int month, int status);

// Values every calf of the year file in the table's order, in one transaction: its
// fattening amount (months x perHeadMonth), its closing value and its month marks. A
// calf whose status is not 1..4 only gets its fattening amount. A value outside the
// 32-bit range, or no per-head cost at all, stops it with a message; the file is then
// as it was. Rows whose values do not change are not written.
bool Cal_Cow(YearFile &file, std::optional<qint64> perHeadMonth, QString *error);
