#pragma once

#include <QString>

// cowdb.inf: one line naming the current year file.
namespace PointerFile {

inline const QString Name = QStringLiteral("cowdb.inf");

enum class Read {
    Ok,          // DbFileName set from the first line
    Unusable,    // missing, empty, or no two characters before a "." (no message needed)
    Unreadable,  // there but not readable as a file name; *problem says why
};

}  // namespace PointerFile

// Sets M_Cow::DbFileName and *year from cowdb.inf in the working folder. Only a bare
// file name is taken: a line with a path separator, a drive colon ("C:name" is a path on
// Windows) or a control character is refused, so a damaged or planted pointer file
// cannot lead the program out of its folder.
PointerFile::Read ReadCurrentYear(QString *year, QString *problem);

// Replaces cowdb.inf atomically with M_Cow::DbFileName, without a line terminator.
bool WritePointerFile(QString *error);
