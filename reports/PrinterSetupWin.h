#pragma once

#include <string>

// The Windows print spooler's part of setting the printer's default orientation, in
// plain C++ so that a cross compiler checks it on every build.
// orientation: 1 portrait, 2 landscape (DMORIENT_PORTRAIT, DMORIENT_LANDSCAPE). False
// with a message when there is no default printer or its settings cannot be read.
bool SetDefaultPrinterOrientation(short orientation, std::string *error);
