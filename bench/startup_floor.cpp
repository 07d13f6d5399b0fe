// The least a Qt Widgets program does to start on a year file: open it, run the seven
// totals, show a window and turn the event loop once.
#include <QApplication>
#include <QFile>
#include <QTimer>
#include <QWidget>
#include <cstdio>

#include "ViewTotals.h"

int main(int argc, char *argv[]) {
    QApplication app(argc, argv);
    QFile pointer(QStringLiteral("cowdb.inf"));
    if (!pointer.open(QIODevice::ReadOnly)) return 1;
    const QString totals = totalsOfViews(QString::fromLocal8Bit(pointer.readLine()).trimmed());
    QWidget window;
    window.show();
    QTimer::singleShot(0, &app, [&] {
        std::printf("%s\n%ld\n", qPrintable(totals), peakKiB());
        QApplication::quit();
    });
    return QApplication::exec();
}
