#pragma once

#include <memory>

class Frm_Main;

// Start-up: read the pointer file (or run the initial setup), load the work window on
// the current year and make the main menu. nullptr when the program should end: the
// setup was closed without a year, or the year file could not be loaded.
std::unique_ptr<Frm_Main> StartUp();
