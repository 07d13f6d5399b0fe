#pragma once

#include <QString>

// cowdb.inf: one line naming the current year file.
namespace PointerFile {

inline const QString Name = QStringLiteral("cowdb.inf");

enum class Read {
    Ok,          // *fileName is the first line
    Unusable,    // missing, empty, or no two characters before a "." (no message needed)
    Unreadable,  // there but not readable as a file name; *problem says why
};

}  // namespace PointerFile

// The year file that cowdb.inf in the working folder names, into *fileName. Only a bare
// file name with a year in it is taken: a line with a path separator, a drive colon
// ("C:name" is a path on Windows) or a control character is refused, so a damaged or
// planted pointer file cannot lead the program out of its folder.
// folder is the working folder when empty, else a saved backup's.
PointerFile::Read ReadCurrentYear(QString *fileName, QString *problem,
                                  const QString &folder = QString());

// Replaces cowdb.inf atomically with fileName, without a line terminator.
bool WritePointerFile(const QString &fileName, QString *error);
