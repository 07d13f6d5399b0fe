#pragma once

#include <QString>
#include <functional>

class QWidget;

// The help pages: help/index.htm of the working folder, the installed pages, or the copy
// the program carries.
namespace Help {

// The page to open: the working folder's when there is one, else the installed one, else
// the carried copy written out to a folder of its own. Empty with *error when none can be
// had.
QString page(QString *error);

// Opens page() in the default browser; the program does not wait for it. When no browser
// can be started, the page is shown in a window of the program's own over `parent`.
// False with *error only when there is no page to show.
bool open(QWidget *parent, QString *error);

// --- test seam ---
// Starts a browser on a local file; true once one has really started. Replaces the
// system's way; an empty function restores it.
using Browser = std::function<bool(const QString &path)>;
void setBrowser(Browser browser);

}  // namespace Help
