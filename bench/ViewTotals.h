#pragma once

#include <QString>

// The eleven totals start-up reads, one line, straight from the views of a year file.
QString totalsOfViews(const QString &path);

// The process's own peak resident memory in KiB (VmHWM). Not getrusage of the child:
// Linux carries a spawning process's peak over exec into the child's ru_maxrss.
long peakKiB();
