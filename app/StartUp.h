#pragma once

#include <QString>
#include <QStringList>
#include <memory>

#include "OwnFiles.h"

class Frm_Main;

// The program keeps cowdb.inf and the year files in its working folder. Started from a
// shell it works in the folder it was started in; the desktop menu, which would start it
// in the home folder, passes DocumentsOption for a folder of the farmer's own instead.
inline const QString DocumentsOption = QStringLiteral("documents");

// The documents folder's Moriva, the working folder of a start from the menu.
QString DocumentsWorkingFolder();

// Applies the command line to the working folder: with --documents it becomes
// DocumentsWorkingFolder(), made when missing; without, it stays. False with *error (in
// Japanese) on an unknown argument or a folder that cannot be made or entered. With
// --help nothing is changed and *usage gets CommandLineUsage(): the program shows it
// and ends.
bool EnterWorkingFolder(const QStringList &arguments, QString *error, QString *usage = nullptr);

// The options, in Japanese.
QString CommandLineUsage();

// The lock file in the working folder that keeps a second copy of the program out (named
// in db/, whose check keeps every save dialog off it).
inline const QString LockFileName = OwnFiles::LockName;

// Start-up: keep the working folder for this process, read the pointer file (or run the
// initial setup; again after a year file that cannot be read), load the work window on
// the current year and make the main menu. nullptr when the program should end: another
// copy runs in the folder, or the setup was closed without a year.
std::unique_ptr<Frm_Main> StartUp();

// Lets go of the working folder before the process ends: for tests that start the
// program in one folder after another.
void releaseWorkingFolder();
