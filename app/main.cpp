#include <QApplication>

#include "Frm_Main.h"
#include "StartUp.h"

int main(int argc, char *argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Moriva"));
    const auto main = StartUp();
    if (!main) return 0;
    main->show();
    main->activateWindow();  // the setup dialog had the focus before it
    return QApplication::exec();
}
