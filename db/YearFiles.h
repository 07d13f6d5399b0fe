#pragma once

#include <QString>

// Making year files from the template.
namespace YearFiles {

inline const QString TemplateName = QStringLiteral("cowdata.mdb");

// Creates fileName in the working folder as a copy of the working folder's template,
// or of the copy built into the program when the folder has none. The file appears
// only when complete. An existing file is never overwritten.
bool createFromTemplate(const QString &fileName, QString *error);

}  // namespace YearFiles
