#include <QApplication>
#include <cstdio>

#include "CurrentYear.h"
#include "Frm_Main.h"
#include "MsgBox.h"
#include "QtJapanese.h"
#include "StartUp.h"

#ifdef Q_OS_WIN
#include <windows.h>
#endif

int main(int argc, char *argv[]) {
#ifdef Q_OS_WIN
    // The setup looks for these names and will not replace files a running copy has in
    // use. Held until the process ends: every session's (Local) and, where Windows lets
    // it, one for all sessions (Global), so that another user's copy counts too.
    for (const wchar_t *name : {L"Local\\Moriva", L"Global\\Moriva"})
        CreateMutexW(nullptr, FALSE, name);
#endif
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Moriva"));
    // Lets the desktop tie the windows to the menu entry (and its icon).
    QApplication::setDesktopFileName(QStringLiteral(MORIVA_APP_ID));
    InstallQtJapanese();
    QString error, usage, yearFile;
    if (!EnterWorkingFolder(QApplication::arguments(), &error, &usage, &yearFile)) {
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
    // Made before the main menu and gone after it: every window is handed this one.
    CurrentYear year;
    const auto main = StartUp(year, yearFile);
    if (!main) return 0;
    main->show();
    main->activateWindow();  // the setup dialog had the focus before it
    return QApplication::exec();
}
