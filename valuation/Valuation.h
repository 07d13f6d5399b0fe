#pragma once

#include <QString>
#include <QtGlobal>
#include <array>
#include <optional>

class Frm_Wk;
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
// How many calves Cal_Cow would write with this cost, by the same rule; nothing is
// written. nullopt with a message when it cannot be worked out.
std::optional<qint64> Cal_Cow_Changes(YearFile &file, std::optional<qint64> perHeadMonth,
                                      QString *error);

// The register brought up to date for printing or carrying forward: every work total
// read again, Cal_Cow with the fresh per-head cost, then the calf totals read again so
// that they include what it wrote. false with the message to show.
bool valueRegister(Frm_Wk &wk, YearFile &file, QString *error);
// The calves valueRegister would change now, with the totals read again; nothing is
// written to the file.
std::optional<qint64> staleCalves(Frm_Wk &wk, YearFile &file, QString *error);
