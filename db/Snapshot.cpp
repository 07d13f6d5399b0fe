#include "Snapshot.h"

#include <sqlite3.h>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <QStorageInfo>

#include "Checkpoint.h"
#include "MsgText.h"
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

QString Snapshot::unwritable(const QString &folder) {
    const QFileInfo where(folder);
    if (QStorageInfo(where.absoluteFilePath()).isReadOnly())
        return QStringLiteral("%1 は書き込みのできない場所にあります。")
            .arg(MsgText::fileLabel(where.absoluteFilePath()));
    if (!where.isWritable())
        return QStringLiteral("%1 に書き込む権限がありません。")
            .arg(MsgText::fileLabel(where.absoluteFilePath()));
    return {};
}

std::optional<Snapshot::Counts> Snapshot::counts(const YearFile &file, QString *error,
                                                 Calves calves) {
    QSqlQuery q(file.db());
    q.setForwardOnly(true);
    if (!q.exec(QStringLiteral("SELECT (SELECT count(*) FROM T_Cow WHERE %1), "
                               "(SELECT count(*) FROM T_Cost), (SELECT count(*) FROM T_Proseed)")
                    .arg(calves == Calves::Carried ? QStringLiteral("Kimatu IS NOT 0")
                                                   : QStringLiteral("1"))) ||
        !q.next()) {
        *error =
            MsgText::withDetail(QStringLiteral("%1 の件数を数えられません。").arg(file.fileName()),
                                q.lastError().text());
        return std::nullopt;
    }
    return Counts{q.value(0).toLongLong(), q.value(1).toLongLong(), q.value(2).toLongLong()};
}

QString Snapshot::check(const YearFile &copy, const Counts &expected) {
    QSqlQuery q(copy.db());
    if (!q.exec(QStringLiteral("PRAGMA quick_check")) || !q.next())
        return copy.readFailure(q.lastError().text());
    if (const QString verdict = q.value(0).toString(); verdict != QLatin1String("ok"))
        return QStringLiteral("%1 の写しが壊れています。\n詳細：%2").arg(copy.fileName(), verdict);
    q.finish();
    QString error;
    const auto found = counts(copy, &error);
    if (!found) return error;
    if (*found != expected)
        return QStringLiteral("%1 の写しの件数が元のファイルと合いません。").arg(copy.fileName());
    return {};
}

QString Snapshot::temporaryPath(const QString &finalPath) {
    return finalPath + QStringLiteral(".tmp");
}

bool Snapshot::isTemporary(const QString &path) {
    return path.endsWith(QStringLiteral(".tmp"));
}

bool Snapshot::copy(const YearFile &from, const QString &path, QString *error) {
    discard(path);  // the copy must start from nothing
    // SQLite's backup copies the pages as they are, where VACUUM INTO rebuilt every
    // table. The source is read under its own lock, so the copy is
    // consistent; the target is neither journalled nor synced here, as the caller syncs
    // and renames it, and a crash leaves only a temporary file behind.
    const QVariant handle = from.db().driver()->handle();
    sqlite3 *source = qstrcmp(handle.typeName(), "sqlite3*") == 0
                          ? *static_cast<sqlite3 *const *>(handle.constData())
                          : nullptr;
    sqlite3 *target = nullptr;
    // SQLite takes UTF-8 names everywhere, as Qt's driver passes them.
    int rc = source ? sqlite3_open_v2(QFileInfo(path).absoluteFilePath().toUtf8().constData(),
                                      &target, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr)
                    : SQLITE_MISUSE;
    if (rc == SQLITE_OK)
        rc = sqlite3_exec(target, "PRAGMA journal_mode = OFF; PRAGMA synchronous = OFF", nullptr,
                          nullptr, nullptr);
    if (rc == SQLITE_OK) {
        sqlite3_backup *backup = sqlite3_backup_init(target, "main", source, "main");
        if (backup) {
            rc = sqlite3_backup_step(backup, -1);
            sqlite3_backup_finish(backup);
            if (rc == SQLITE_DONE) rc = SQLITE_OK;
        } else {
            rc = sqlite3_errcode(target);
        }
    }
    const QString detail = QString::fromUtf8(target ? sqlite3_errmsg(target) : sqlite3_errstr(rc));
    if (sqlite3_close(target) != SQLITE_OK && rc == SQLITE_OK) rc = SQLITE_IOERR;
    if (rc == SQLITE_OK) {
        YearFile::writtenWhole(path);
        return true;
    }
    const QSqlError failure(detail, {}, QSqlError::StatementError, QString::number(rc & 0xff));
    // The folder is named: a restore copies from a stick, and a full disk or a folder that
    // cannot be written is the one the copy goes to.
    *error = MsgText::withDetail(
        QStringLiteral("%1 の写しをフォルダ %2 に作れません。%3")
            .arg(from.fileName(), MsgText::fileLabel(QFileInfo(path).absolutePath()),
                 storageHint(failure)),
        detail);
    discard(path);
    return false;
}

namespace {
std::function<void(const QString &, bool)> beforeSync;
}

void Snapshot::setBeforeSync(std::function<void(const QString &, bool)> hook) {
    beforeSync = std::move(hook);
}

bool Snapshot::sync(const QString &path, QString *error, bool folder) {
    if (beforeSync) beforeSync(path, folder);
    if (syncPath(path, folder)) return true;
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
