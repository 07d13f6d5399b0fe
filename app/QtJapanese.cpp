#include "QtJapanese.h"

#include <QCoreApplication>
#include <QTranslator>

bool InstallQtJapanese() {
    static QTranslator *installed = nullptr;
    if (installed) return true;
    auto *qt = new QTranslator(QCoreApplication::instance());
    // The embedded copy by its full name: a catalogue found elsewhere (a system copy, a
    // folder beside the program) could be of another Qt version.
    if (!qt->load(QStringLiteral(":/moriva/translations/qtbase_ja.qm"))) {
        delete qt;
        return false;
    }
    QCoreApplication::installTranslator(qt);
    installed = qt;
    return true;
}
