#include "PrinterSetupWin.h"

#ifdef _WIN32

#include <windows.h>
#include <winspool.h>

#include <vector>

bool SetDefaultPrinterOrientation(short orientation, std::string *error) {
    DWORD nameSize = 0;
    GetDefaultPrinterA(nullptr, &nameSize);
    std::vector<char> name(nameSize ? nameSize : 1);
    if (nameSize == 0 || !GetDefaultPrinterA(name.data(), &nameSize)) {
        *error = "no default printer";
        return false;
    }

    PRINTER_DEFAULTSA defaults{};
    defaults.DesiredAccess = PRINTER_ALL_ACCESS;
    HANDLE printer = nullptr;
    DWORD needed = 0;
    if (OpenPrinterA(name.data(), &printer, &defaults))
        GetPrinterA(printer, 2, nullptr, 0, &needed);
    // A failed open or read shows up as a size of 0.
    if (needed == 0) {
        if (printer) ClosePrinter(printer);
        *error = "cannot read the printer's settings";
        return false;
    }
    std::vector<BYTE> buffer(needed);
    if (!GetPrinterA(printer, 2, buffer.data(), needed, &needed)) {
        ClosePrinter(printer);
        *error = "cannot read the printer's settings";
        return false;
    }
    auto *info = reinterpret_cast<PRINTER_INFO_2A *>(buffer.data());
    // Only the fixed part of the device mode is touched; a driver that does not know
    // orientation, or a printer without a device mode, is left as it is.
    DEVMODEA *mode = info->pDevMode;
    if (mode && (mode->dmFields & DM_ORIENTATION)) {
        mode->dmOrientation = orientation;
        // A refused write changes nothing and is not reported.
        SetPrinterA(printer, 2, buffer.data(), 0);
    }
    ClosePrinter(printer);
    return true;
}

#endif
