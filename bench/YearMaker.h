#pragma once

#include <QString>

class CurrentYear;

// Builds a year file of the given number of calves in the current folder, with one
// expense and one income row, in a mix of all four statuses, empty fields included;
// amounts small enough that the totals of 32,766 calves stay in the 32-bit range.
void makeYear(const QString &name, int calves);

// The eleven totals start-up reads, one line, as the work window holds them.
QString totalsOfWorkWindow();

// The benchmark process's one current year, as main() makes the program's.
CurrentYear &benchYear();
