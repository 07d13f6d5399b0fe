#pragma once

#include <QString>
#include <QStringList>
#include <memory>

class Frm_Main;

// The program keeps cowdb.inf and the year files in its working folder. Started from a
// shell it works in the folder it was started in; the desktop menu, which would start it
// in the home folder, passes DocumentsOption for a folder of the farmer's own instead.
inline const QString DocumentsOption = QStringLiteral("documents");

// The documents folder's Moriva, the working folder of a start from the menu.
QString DocumentsWorkingFolder();

// Applies the command line to the working folder: with --documents it becomes
// DocumentsWorkingFolder(), made when missing; without, it stays. False with *error (in
// Japanese) on an unknown argument or a folder that cannot be made or entered.
bool EnterWorkingFolder(const QStringList &arguments, QString *error);

// Start-up: read the pointer file (or run the initial setup), load the work window on
// the current year and make the main menu. nullptr when the program should end: the
// setup was closed without a year, or the year file could not be loaded.
std::unique_ptr<Frm_Main> StartUp();
