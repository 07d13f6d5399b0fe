#include "PrinterSetupWin.h"

// Plain C++ without Qt (see the header), so the compiler's own platform macro.
#ifdef _WIN32

#include <windows.h>
#include <winspool.h>

#include <vector>

namespace {

// The default printer, open, with its settings (PRINTER_INFO_2A) read.
class DefaultPrinter {
  public:
    DefaultPrinter(const DefaultPrinter &) = delete;
    DefaultPrinter &operator=(const DefaultPrinter &) = delete;
    DefaultPrinter(DWORD access, std::string *error) {
        DWORD nameSize = 0;
        GetDefaultPrinterA(nullptr, &nameSize);
        std::vector<char> name(nameSize ? nameSize : 1);
        if (nameSize == 0 || !GetDefaultPrinterA(name.data(), &nameSize)) {
            *error = "no default printer";
            return;
        }
        PRINTER_DEFAULTSA defaults{};
        defaults.DesiredAccess = access;
        DWORD needed = 0;
        if (OpenPrinterA(name.data(), &handle_, &defaults))
            GetPrinterA(handle_, 2, nullptr, 0, &needed);
        // A failed open or read shows up as a size of 0.
        if (needed > 0) buffer_.resize(needed);
        if (needed == 0 || !GetPrinterA(handle_, 2, buffer_.data(), needed, &needed)) {
            buffer_.clear();
            *error = "cannot read the printer's settings";
        }
    }
    ~DefaultPrinter() {
        if (handle_) ClosePrinter(handle_);
    }
    bool read() const { return !buffer_.empty(); }
    // Only the fixed part of the device mode counts; a driver that does not know
    // orientation, or a printer without a device mode, has none.
    DEVMODEA *modeWithOrientation() {
        DEVMODEA *mode = reinterpret_cast<PRINTER_INFO_2A *>(buffer_.data())->pDevMode;
        return mode && (mode->dmFields & DM_ORIENTATION) ? mode : nullptr;
    }
    // A refused write changes nothing and is not reported.
    void write() { SetPrinterA(handle_, 2, buffer_.data(), 0); }

  private:
    HANDLE handle_ = nullptr;
    std::vector<BYTE> buffer_;
};

}  // namespace

bool SetDefaultPrinterOrientation(short orientation, std::string *error) {
    DefaultPrinter printer(PRINTER_ALL_ACCESS, error);
    if (!printer.read()) return false;
    if (DEVMODEA *mode = printer.modeWithOrientation()) {
        mode->dmOrientation = orientation;
        printer.write();
    }
    return true;
}

bool DefaultPrinterOrientation(short *orientation, std::string *error) {
    DefaultPrinter printer(PRINTER_ACCESS_USE, error);
    if (!printer.read()) return false;
    const DEVMODEA *mode = printer.modeWithOrientation();
    *orientation = mode ? mode->dmOrientation : 0;
    return true;
}

#endif
