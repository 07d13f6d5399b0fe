#include "PrinterSetup.h"

#ifdef _WIN32
#include "PrinterSetupWin.h"
#else
#include <cups/cups.h>
#endif

namespace {

#ifdef _WIN32
class PlatformSetup : public PrinterSetup {
  public:
    bool SetPrinterOrientation(Orientation orientation, QString *detail) override {
        std::string error;
        if (SetDefaultPrinterOrientation(short(orientation), &error)) return true;
        *detail = QString::fromLocal8Bit(error.c_str());
        return false;
    }
};
#else
// The current printer is the CUPS default destination; its stored default is the
// orientation-requested option, as lpoptions keeps it.
class PlatformSetup : public PrinterSetup {
  public:
    bool SetPrinterOrientation(Orientation orientation, QString *detail) override {
        cups_dest_t *dests = nullptr;
        const int count = cupsGetDests2(CUPS_HTTP_DEFAULT, &dests);
        cups_dest_t *dest = cupsGetDest(nullptr, nullptr, count, dests);
        if (!dest) {
            *detail = count == 0 && cupsLastError() > IPP_STATUS_OK_EVENTS_COMPLETE
                          ? QString::fromUtf8(cupsLastErrorString())
                          : QStringLiteral("既定のプリンタがありません。");
            cupsFreeDests(count, dests);
            return false;
        }
        dest->num_options =
            cupsAddOption("orientation-requested", orientation == Landscape ? "4" : "3",
                          dest->num_options, &dest->options);
        // A refused write leaves the printer as it was, and is not reported.
        (void)cupsSetDests2(CUPS_HTTP_DEFAULT, count, dests);
        cupsFreeDests(count, dests);
        return true;
    }
};
#endif

PrinterSetup *installed = nullptr;

}  // namespace

PrinterSetup &PrinterSetup::current() {
    static PlatformSetup platform;
    return installed ? *installed : platform;
}

void PrinterSetup::install(PrinterSetup *setup) {
    installed = setup;
}
