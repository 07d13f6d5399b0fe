#pragma once

#include <QString>

class QPrinter;

// Sets the stored default page orientation of the current printer, so that the forms
// print the right way round from every program that uses the printer's defaults.
class PrinterSetup {
  public:
    enum Orientation : short { Portrait = 1, Landscape = 2 };
    virtual ~PrinterSetup() = default;
    // False with a technical detail when there is no usable printer or its settings
    // cannot be read; a write that the system refuses changes nothing and is no error.
    virtual bool SetPrinterOrientation(Orientation orientation, QString *detail) = 0;

    // Why the print system refused or failed the job just painted on printer, in its own
    // words ("server-error-not-accepting-jobs: …"); "" when it took the job or the job
    // went to a file. Qt itself drops the answer of the submission.
    static QString JobRefusal(const QPrinter &printer);

    // The platform's implementation, or the one a test installed.
    static PrinterSetup &current();
    // Test seam: nullptr restores the platform's implementation.
    static void install(PrinterSetup *setup);
};
