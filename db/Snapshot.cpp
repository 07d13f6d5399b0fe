#include "Snapshot.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>

#include "Checkpoint.h"
#include "MsgBox.h"
#include "YearFile.h"

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <unistd.h>
#endif

namespace {

bool syncPath(const QString &path, bool folder) {
#ifdef Q_OS_UNIX
    const int fd = ::open(QFile::encodeName(path).constData(), folder ? O_RDONLY : O_RDWR);
    if (fd < 0) return false;
    const bool ok = ::fsync(fd) == 0;
    return ::close(fd) == 0 && ok;
#else
    if (folder) return true;  // Windows has no folder flush; the rename is journalled
    QFile f(path);
    return f.open(QIODevice::ReadWrite) && f.flush();
#endif
}

}  // namespace

QString Snapshot::storageHint(const QSqlError &error) {
    const QString code = error.nativeErrorCode();
    if (code == QLatin1String("13")) return QStringLiteral("ディスクの空きが足りません。");
    if (code == QLatin1String("14") || code == QLatin1String("8"))
        return QStringLiteral("フォルダに書き込めません。");
    return {};
}

QString Snapshot::temporaryPath(const QString &finalPath) {
    return finalPath + QStringLiteral(".tmp");
}

bool Snapshot::copy(const YearFile &from, const QString &path, QString *error) {
    discard(path);  // VACUUM INTO refuses an existing target
    QSqlQuery q(from.db());
    q.prepare(QStringLiteral("VACUUM INTO ?"));
    q.addBindValue(QFileInfo(path).absoluteFilePath());
    if (q.exec()) {
        YearFile::writtenWhole(path);
        return true;
    }
    *error = MsgBox::withDetail(QStringLiteral("%1 の写しを作れません。%2")
                                    .arg(from.fileName(), storageHint(q.lastError())),
                                q.lastError().text());
    q.finish();
    discard(path);
    return false;
}

bool Snapshot::sync(const QString &path, QString *error) {
    if (syncPath(path, false)) return true;
    *error = QStringLiteral("%1 をディスクに書き出せません。").arg(QFileInfo(path).fileName());
    return false;
}

bool Snapshot::publish(const QString &temporary, const QString &finalPath, QString *error) {
    // QFile::rename never replaces an existing file.
    QFile file(temporary);
    const QByteArray before = YearFile::stamp(temporary);
    if (!file.rename(finalPath)) {
        *error = QStringLiteral("%1 を作れません。\n詳細：%2")
                     .arg(QFileInfo(finalPath).fileName(), file.errorString());
        return false;
    }
    MORIVA_CHECKPOINT("snapshot renamed");
    YearFile::renamed(temporary, finalPath, before);
    syncPath(QFileInfo(finalPath).absolutePath(), true);
    return true;
}

void Snapshot::discard(const QString &temporary) {
    QFile::remove(temporary);
    QFile::remove(temporary + QStringLiteral("-journal"));
}
