#pragma once

#include <string>

// The Windows print spooler's part of the printer's default orientation, in plain C++ so
// that a cross compiler checks it on every build.
// orientation: 1 portrait, 2 landscape (DMORIENT_PORTRAIT, DMORIENT_LANDSCAPE). Both are
// false with a message when there is no default printer or its settings cannot be read.
bool SetDefaultPrinterOrientation(short orientation, std::string *error);
// The default printer's stored orientation; 0 when its driver keeps none.
bool DefaultPrinterOrientation(short *orientation, std::string *error);
