// Moriva's own start-up in the current folder, ended at the main menu's first turn of
// the event loop; prints the totals the work window read.
#include <QApplication>
#include <QTimer>
#include <cstdio>

#include "CurrentYear.h"
#include "Frm_Main.h"
#include "StartUp.h"
#include "ViewTotals.h"
#include "YearMaker.h"

int main(int argc, char *argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Moriva"));
    const auto main = StartUp(benchYear());
    if (!main) return 1;
    main->show();
    main->activateWindow();
    QTimer::singleShot(0, &app, [] {
        std::printf("%s\n%ld\n", qPrintable(totalsOfWorkWindow()), peakKiB());
        QCoreApplication::exit(0);  // quit() would close the menu, which asks first
    });
    const int result = QApplication::exec();
    benchYear().close();  // its connection must go before the application does
    return result;
}
