#pragma once

#include <QString>

// How a year is named. The year itself, its file and its totals, is CurrentYear's.
namespace M_Cow {

// The year text that names a year's file: always two digits ("05" for 5), because
// start-up reads the year back as the two characters before the ".". Empty above 99.
QString yearText(int year);

// "cowdata" + year text + ".mdb".
QString yearFileName(const QString &yearText);

// The two characters before the first "." of a file name, or "" when there are not two.
QString yearOfFileName(const QString &fileName);

}  // namespace M_Cow
