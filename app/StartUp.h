#pragma once

#include <QString>
#include <QStringList>
#include <memory>

#include "OwnFiles.h"

class CurrentYear;
class Frm_Main;

// The program keeps cowdb.inf and the year files in its working folder. Started from a
// shell it works in the folder it was started in; the desktop menu, which would start it
// in the home folder, passes DocumentsOption for a folder of the farmer's own instead.
inline const QString DocumentsOption = QStringLiteral("documents");

// The documents folder's Moriva, the working folder of a start from the menu.
QString DocumentsWorkingFolder();

// Applies the command line to the working folder: with --documents it becomes
// DocumentsWorkingFolder(), made when missing; without, it stays, except that a copy the
// Windows setup installed, started in its own program folder, goes to the documents
// folder as its Start-menu entry does. One argument naming a year file (cowdataNN.mdb,
// as "Open with" passes it) makes the file's folder the working folder and *yearFile its
// name, for StartUp to switch to. False with *error (in Japanese) on an unknown argument
// or a folder that cannot be made or entered. With --help nothing is changed and *usage
// gets CommandLineUsage(): the program shows it and ends.
bool EnterWorkingFolder(const QStringList &arguments, QString *error, QString *usage = nullptr,
                        QString *yearFile = nullptr);

// Whether folder is where the setup installed the program (installLocation, from the
// uninstall entry it registers; empty when there is none, as for the portable copy).
bool IsInstalledFolder(const QString &folder, const QString &installLocation);

// The options, in Japanese.
QString CommandLineUsage();

// The lock file in the working folder that keeps a second copy of the program out (named
// in db/, whose check keeps every save dialog off it).
inline const QString LockFileName = OwnFiles::LockName;

// Start-up: keep the working folder for this process, read the pointer file (or run the
// initial setup; again after a year file that cannot be read), open that year in year,
// the run's one current year, and make the main menu on it. A yearFile from the command line is
// switched to first, as the year switch does it; when it is refused the farmer is told why and the
// start goes on with the year the folder had. A folder that takes no new file is named with the way
// out: a year there is opened to be read. nullptr when the program should end: another copy runs in
// the folder, it takes no file and holds no year, or the setup was closed without a year.
std::unique_ptr<Frm_Main> StartUp(CurrentYear &year, const QString &yearFile = QString());

// Lets go of the working folder before the process ends: for tests that start the
// program in one folder after another.
void releaseWorkingFolder();
