#include "Help.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QSaveFile>
#include <QStandardPaths>
#include <QUrl>

#include "MsgBox.h"

QString Help::page(QString *error) {
    const QString local = QDir::current().absoluteFilePath(QStringLiteral("help/index.htm"));
    if (QFile::exists(local)) return local;
#ifdef MORIVA_HELP_FROM_PROGRAM
    // An installed program has its pages in a fixed place beside it.
    const QString installed =
        QDir::cleanPath(QCoreApplication::applicationDirPath() +
                        QStringLiteral("/" MORIVA_HELP_FROM_PROGRAM "/index.htm"));
    if (QFile::exists(installed)) return installed;
#endif

    const QString folder =
        QStandardPaths::writableLocation(QStandardPaths::CacheLocation) + QStringLiteral("/help");
    const QString copy = folder + QStringLiteral("/index.htm");
    QFile carried(QStringLiteral(":/moriva/help/index.htm"));
    QSaveFile out(copy);
    if (QDir().mkpath(folder) && carried.open(QIODevice::ReadOnly) &&
        out.open(QIODevice::WriteOnly) && out.write(carried.readAll()) >= 0 && out.commit())
        return copy;
    *error = MsgBox::withDetail(QStringLiteral("ヘルプのページを用意できませんでした。"),
                                out.errorString());
    return {};
}

bool Help::open(QString *error) {
    const QString path = page(error);
    if (path.isEmpty()) return false;
    if (QDesktopServices::openUrl(QUrl::fromLocalFile(path))) return true;
    *error = MsgBox::withDetail(QStringLiteral("ヘルプを表示するブラウザを起動できませんでした。"),
                                MsgBox::fileLabel(path));
    return false;
}
