#include "PrinterSetup.h"

#include <QPrinter>
#include <QPrinterInfo>

#ifdef Q_OS_WIN
#include <windows.h>

#include "PrinterSetupWin.h"
#else
#include <cups/cups.h>
#endif

namespace {

#ifdef Q_OS_WIN
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

QString spoolerError() {
#ifdef Q_OS_WIN
    // StartDoc and EndDoc leave their cause here; Qt only marks the printer's state.
    const DWORD code = GetLastError();
    return code ? qt_error_string(int(code)) : QString();
#else
    return {};
#endif
}

}  // namespace

PrinterSetup &PrinterSetup::current() {
    static PlatformSetup platform;
    return installed ? *installed : platform;
}

void PrinterSetup::install(PrinterSetup *setup) {
    installed = setup;
}

QString PrinterSetup::JobRefusal(const QPrinter &printer) {
    if (printer.outputFormat() != QPrinter::NativeFormat || !printer.outputFileName().isEmpty())
        return {};
    QString reason;
#ifndef Q_OS_WIN
    // The submission is the last request Qt makes when the painting ends, so the
    // thread's last CUPS status is its answer. Read first: any later request replaces it.
    if (cupsLastError() > IPP_STATUS_OK_EVENTS_COMPLETE)
        reason = QStringLiteral("%1: %2").arg(QString::fromUtf8(ippErrorString(cupsLastError())),
                                              QString::fromUtf8(cupsLastErrorString()));
#endif
    // A queue removed after the print dialog closed cannot even start the job, and Qt
    // says nothing of it.
    if (reason.isEmpty() && QPrinterInfo::printerInfo(printer.printerName()).isNull())
        reason = QStringLiteral("プリンタが見つかりません。");
    if (reason.isEmpty() && (printer.printerState() == QPrinter::Error ||
                             printer.printerState() == QPrinter::Aborted)) {
        reason = spoolerError();
        if (reason.isEmpty()) reason = QStringLiteral("印刷ジョブを作れませんでした。");
    }
    return reason;
}
