#pragma once

#include <QString>
#include <memory>

class Frm_Main;

// The lock file in the working folder that keeps a second copy of the program out.
inline const QString LockFileName = QStringLiteral("moriva.lock");

// Start-up: keep the working folder for this process, read the pointer file (or run the
// initial setup; again after a year file that cannot be read), load the work window on
// the current year and make the main menu. nullptr when the program should end: another
// copy runs in the folder, or the setup was closed without a year.
std::unique_ptr<Frm_Main> StartUp();

// Lets go of the working folder before the process ends: for tests that start the
// program in one folder after another.
void releaseWorkingFolder();
