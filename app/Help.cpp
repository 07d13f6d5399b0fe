#include "Help.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QPointer>
#include <QProcess>
#include <QSaveFile>
#include <QStandardPaths>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

#include "MsgText.h"

namespace {

bool systemBrowser(const QString &path) {
#ifdef Q_OS_WIN
    return QDesktopServices::openUrl(QUrl::fromLocalFile(path));
#else
    // QDesktopServices counts it a success once xdg-open has started, even when xdg-open
    // then finds no browser and ends with an error; its exit code is the real answer.
    auto *opener = new QProcess(qApp);
    opener->setStandardOutputFile(QProcess::nullDevice());
    opener->setStandardErrorFile(QProcess::nullDevice());
    QObject::connect(opener, &QProcess::finished, opener, &QObject::deleteLater);
    opener->start(QStringLiteral("xdg-open"), {path});
    if (!opener->waitForStarted()) {
        opener->deleteLater();
        return false;
    }
    // xdg-open hands the page over and ends at once; one still running after a while has
    // become the browser itself (a desktop without a handler of its own), which started.
    if (!opener->waitForFinished(3000)) return true;
    return opener->exitStatus() == QProcess::NormalExit && opener->exitCode() == 0;
#endif
}

Help::Browser browser = systemBrowser;

// Without a browser the farmer still gets the page: the same file, links working.
void showInProgram(QWidget *parent, const QString &path) {
    static QPointer<QDialog> window;
    if (!window) {
        window = new QDialog(parent, Qt::Window);
        window->setObjectName(QStringLiteral("Help"));
        window->setWindowTitle(QStringLiteral("Moriva ヘルプ"));
        window->setAttribute(Qt::WA_DeleteOnClose);
        auto *text = new QTextBrowser(window);
        text->setObjectName(QStringLiteral("helpText"));
        text->setOpenExternalLinks(true);
        auto *layout = new QVBoxLayout(window);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->addWidget(text);
        window->resize(760, 600);
    }
    window->findChild<QTextBrowser *>()->setSource(QUrl::fromLocalFile(path));
    window->show();
    window->raise();
    window->activateWindow();
}

}  // namespace

void Help::setBrowser(Browser replacement) {
    browser = replacement ? std::move(replacement) : Browser(systemBrowser);
}

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
    *error = MsgText::withDetail(QStringLiteral("ヘルプのページを用意できませんでした。"),
                                 out.errorString());
    return {};
}

bool Help::open(QWidget *parent, QString *error) {
    const QString path = page(error);
    if (path.isEmpty()) return false;
    if (!browser(path)) showInProgram(parent, path);
    return true;
}
