#include <QApplication>
#include <cstdio>

#include "Frm_Main.h"
#include "MsgBox.h"
#include "QtJapanese.h"
#include "StartUp.h"

int main(int argc, char *argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Moriva"));
    // Lets the desktop tie the windows to the menu entry (and its icon).
    QApplication::setDesktopFileName(QStringLiteral(MORIVA_APP_ID));
    InstallQtJapanese();
    QString error, usage;
    if (!EnterWorkingFolder(QApplication::arguments(), &error, &usage)) {
        MsgBox::show(nullptr, error);
        return 2;
    }
    if (!usage.isEmpty()) {
#ifdef Q_OS_WIN
        MsgBox::show(nullptr, usage);  // a windowed program has no console to print to
#else
        std::fputs(usage.toLocal8Bit().constData(), stdout);
#endif
        return 0;
    }
    const auto main = StartUp();
    if (!main) return 0;
    main->show();
    main->activateWindow();  // the setup dialog had the focus before it
    return QApplication::exec();
}
