#pragma once

#include <QString>

// The little state every window shares for the whole run.
namespace M_Cow {

// Bare file name of the current year's database, "cowdata" + year + ".mdb". Set only
// when a work window on it is installed, together with that window's t_Nendo.
inline QString DbFileName;
// What the calf editor binds to: "T_Cow" for a new calf, or a one-row selection.
inline QString CowRecordSource;
// True: the calf editor edits the selected calf; false: it adds new ones.
inline bool CowEditMode = false;

// The year text that names a year's file: always two digits ("05" for 5), because
// start-up reads the year back as the two characters before the ".". Empty above 99.
QString yearText(int year);

// "cowdata" + year text + ".mdb".
QString yearFileName(const QString &yearText);

// The two characters before the first "." of a file name, or "" when there are not two.
QString yearOfFileName(const QString &fileName);

}  // namespace M_Cow
