#include "Backup.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QRegularExpression>
#include <algorithm>

#include "Checkpoint.h"
#include "Clock.h"
#include "M_Cow.h"
#include "Snapshot.h"
#include "YearFile.h"

namespace {

const QString StampFormat = QStringLiteral("yyyy-MM-dd_HHmmss");

// "cowdata13" + "_" + stamp [+ "_" + n] + ".mdb"; n separates backups of one second.
QRegularExpression namePattern(const QString &yearFileName) {
    const QFileInfo info(yearFileName);
    return QRegularExpression(QStringLiteral("^%1_(\\d{4}-\\d\\d-\\d\\d_\\d{6})(?:_(\\d+))?\\.%2$")
                                  .arg(QRegularExpression::escape(info.completeBaseName()),
                                       QRegularExpression::escape(info.suffix())));
}

QString backupName(const QString &yearFileName, const QString &stamp, int n) {
    const QFileInfo info(yearFileName);
    return info.completeBaseName() + QLatin1Char('_') + stamp +
           (n > 1 ? QStringLiteral("_%1").arg(n) : QString()) + QLatin1Char('.') + info.suffix();
}

QString inFolder(const QString &name) {
    return Backup::Folder + QLatin1Char('/') + name;
}

QString failed(const QString &fileName, const QString &why) {
    return QStringLiteral("%1 のバックアップを作れませんでした。\n%2").arg(fileName, why);
}

}  // namespace

QStringList Backup::of(const QString &yearFileName) {
    const QRegularExpression pattern = namePattern(yearFileName);
    struct Entry {
        QString name, stamp;
        int n;
    };
    QList<Entry> found;
    const QStringList names = QDir(Folder).entryList(QDir::Files);
    for (const QString &name : names)
        if (const auto m = pattern.match(name); m.hasMatch())
            found.append(
                {name, m.captured(1), m.captured(2).isEmpty() ? 1 : m.captured(2).toInt()});
    std::sort(found.begin(), found.end(), [](const Entry &a, const Entry &b) {
        return a.stamp != b.stamp ? a.stamp < b.stamp : a.n < b.n;
    });
    QStringList result;
    for (const Entry &e : found) result << e.name;
    return result;
}

bool Backup::make(const YearFile &file, QString *error) {
    if (!QDir().mkpath(Folder)) {
        *error =
            failed(file.fileName(),
                   QStringLiteral("フォルダ %1 を作れません。").arg(QDir(Folder).absolutePath()));
        return false;
    }
    const QString stamp = QDateTime(Clock::today(), QTime::currentTime()).toString(StampFormat);
    QString name;
    for (int n = 1; name.isEmpty() || QFile::exists(inFolder(name)); ++n)
        name = backupName(file.fileName(), stamp, n);
    const QString target = inFolder(name);
    const QString temporary = Snapshot::temporaryPath(target);

    QString why;
    bool ok = Snapshot::copy(file, temporary, &why);
    if (ok) {
        MORIVA_CHECKPOINT("backup copied");
        // A snapshot that cannot be opened is no backup and must not push out one. It is
        // not checked again: SQLite copied it page for page from a file checked this
        // run, and a walk now would read the pages back from memory, not from the disk.
        ok = bool(YearFile::open(temporary, &why, true));
    }
    ok = ok && Snapshot::sync(temporary, &why) && Snapshot::publish(temporary, target, &why);
    if (!ok) {
        Snapshot::discard(temporary);
        *error = failed(file.fileName(), why);
        return false;
    }
    MORIVA_CHECKPOINT("backup made");
    QStringList all = of(file.fileName());
    while (all.size() > Generations) QFile::remove(inFolder(all.takeFirst()));
    // What a crash left half-made of an earlier backup of this file.
    const QFileInfo info(file.fileName());
    const QStringList leftovers = QDir(Folder).entryList(
        {info.completeBaseName() + QStringLiteral("_*.") + info.suffix() + QStringLiteral(".tmp*")},
        QDir::Files);
    for (const QString &name : leftovers) QFile::remove(inFolder(name));
    return true;
}

void Backup::beforeChange(const YearFile &file) {
    if (file.fileName() != M_Cow::DbFileName) return;
    static QHash<QString, QDate> tried;  // by full path: one run may see several folders
    const QString path = QFileInfo(file.fileName()).absoluteFilePath();
    const QDate today = Clock::today();
    if (tried.value(path) == today) return;
    tried.insert(path, today);
    const QString day = today.toString(QStringLiteral("yyyy-MM-dd"));
    const QStringList existing = of(file.fileName());
    if (std::any_of(existing.begin(), existing.end(), [&](const QString &n) {
            return n.contains(QLatin1Char('_') + day + QLatin1Char('_'));
        }))
        return;
    QString ignored;
    make(file, &ignored);
}
