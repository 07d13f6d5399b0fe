#pragma once

#include <QString>

// The help pages: help/index.htm of the working folder, the installed pages, or the copy
// the program carries.
namespace Help {

// The page to open: the working folder's when there is one, else the installed one, else
// the carried copy written out to a folder of its own. Empty with *error when none can be
// had.
QString page(QString *error);

// Opens page() in the default browser; the program does not wait for it.
bool open(QString *error);

}  // namespace Help
