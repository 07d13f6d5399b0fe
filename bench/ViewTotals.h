#pragma once

#include <QString>

// The eleven totals start-up reads, one line, straight from the views of a year file.
QString totalsOfViews(const QString &path);
