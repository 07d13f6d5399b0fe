#pragma once

#include <QString>

// SQLite opens no database whose full path, with room left for its journal's "-journal",
// passes its VFS's mxPathname (512 bytes of UTF-8 on Linux, so 504 for the file), and then
// says only "unable to open database file". The paths the program will hand SQLite are
// checked here before anything is made, so that the farmer learns the real cause.
namespace PathLimit {

// The longest full path, in bytes of UTF-8, of a database the SQLite the program links
// (the one Qt's driver uses too) opens.
int maxBytes();

// The full path SQLite makes of path: absolute, with links resolved as SQLite resolves
// them. path need not exist; the folders it names need not either.
QString fullPath(const QString &path);

// "" when SQLite can open a database at path; else why not, in Japanese: the limit and
// the length path would have. The caller names the folder.
QString problem(const QString &path);

// Start-up: "" when the working folder can hold every year file, and the copy under a
// temporary name a rollover makes; else why not, suggesting a shorter folder.
QString workingFolderProblem();

}  // namespace PathLimit
