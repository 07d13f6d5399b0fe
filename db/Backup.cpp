#include "Backup.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QRegularExpression>
#include <QSet>
#include <algorithm>

#include "Checkpoint.h"
#include "Clock.h"
#include "MsgText.h"
#include "PathLimit.h"
#include "Snapshot.h"
#include "YearFile.h"

namespace {

const QString StampFormat = QStringLiteral("yyyy-MM-dd_HHmmss");
const QString ClearMark = QStringLiteral("_clear");
const QString RestoreMark = QStringLiteral("_restore");

QString markOf(Backup::Kind kind) {
    return kind == Backup::Kind::BeforeClear     ? ClearMark
           : kind == Backup::Kind::BeforeRestore ? RestoreMark
                                                 : QString();
}

// "cowdata13" + "_" + order + "_" + stamp + ["_clear"] + ".mdb". Earlier versions wrote
// "cowdata13" + "_" + stamp + ["_" + n] + ".mdb", n separating backups of one second.
QRegularExpression namePattern(const QString &yearFileName) {
    const QFileInfo info(yearFileName);
    return QRegularExpression(
        QStringLiteral(
            "^%1_(?:(\\d+)_)?((\\d{4}-\\d\\d-\\d\\d)_\\d{6})(?:_(\\d+))?(?:%2|%3)?\\.%4$")
            .arg(QRegularExpression::escape(info.completeBaseName()), ClearMark, RestoreMark,
                 QRegularExpression::escape(info.suffix())));
}

struct Entry {
    QString name;
    qint64 order;  // 0 for a name of an earlier version
    QString stamp;
    int n;
    QString day;
};

// The backups of a year file, oldest first by making.
QList<Entry> entries(const QString &yearFileName) {
    const QRegularExpression pattern = namePattern(yearFileName);
    QList<Entry> found;
    const QStringList names = QDir(Backup::Folder).entryList(QDir::Files);
    for (const QString &name : names) {
        const auto m = pattern.match(name);
        if (!m.hasMatch()) continue;
        found.append({name, m.captured(1).toLongLong(), m.captured(2),
                      m.captured(4).isEmpty() ? 1 : m.captured(4).toInt(), m.captured(3)});
    }
    std::sort(found.begin(), found.end(), [](const Entry &a, const Entry &b) {
        if (a.order != b.order) return a.order < b.order;
        return a.stamp != b.stamp ? a.stamp < b.stamp : a.n < b.n;
    });
    return found;
}

// Per year file, by full path: the stamp the last restore left it with, and the snapshots
// taken before the first and the latest restore of that run.
struct Run {
    QByteArray stamp;
    QString first, last;
};
QHash<QString, Run> &runs() {
    static QHash<QString, Run> byPath;
    return byPath;
}

QString inFolder(const QString &name) {
    return Backup::Folder + QLatin1Char('/') + name;
}

QString folderLabel() {
    return MsgText::fileLabel(QDir(Backup::Folder).absolutePath());
}

QString failed(const QString &fileName, const QString &why) {
    return QStringLiteral("%1 のバックアップをフォルダ %2 に作れませんでした。\n%3")
        .arg(fileName, folderLabel(), why);
}

// Why the backup folder cannot take a snapshot named name, before SQLite is asked, whose
// own words ("unable to open database file") would name none of these causes.
QString obstacle(const QString &name) {
    const QFileInfo folder(Backup::Folder);
    if (folder.exists() && !folder.isDir())
        return QStringLiteral(
                   "作業フォルダに %1 という名前のファイルがあり、同じ名前のフォルダを作れません。"
                   "そのファイルの名前を変えるか、別の場所に移してください。")
            .arg(Backup::Folder);
    if (const QString tooLong = PathLimit::problem(inFolder(name)); !tooLong.isEmpty())
        return QStringLiteral("バックアップのファイルの場所が長すぎます。") + tooLong +
               QStringLiteral("\n作業フォルダをもっと短い名前のフォルダに移してください。");
    return Snapshot::unwritable(folder.exists() ? folder.absoluteFilePath()
                                                : folder.absolutePath());
}

}  // namespace

QStringList Backup::of(const QString &yearFileName) {
    QStringList result;
    for (const Entry &e : entries(yearFileName)) result << e.name;
    return result;
}

QString Backup::newestOf(const QString &yearFileName) {
    const QStringList copies = of(yearFileName);
    if (copies.isEmpty()) return {};
    return QStringLiteral(
               "フォルダ %1 に %2 のバックアップが %3 個あります。"
               "いちばん新しいものは %4 です。")
        .arg(folderLabel(), yearFileName)
        .arg(copies.size())
        .arg(copies.last());
}

bool Backup::isBeforeClear(const QString &backupName) {
    return kindOf(backupName) == Kind::BeforeClear;
}

Backup::Kind Backup::kindOf(const QString &backupName) {
    const QString base = QFileInfo(backupName).completeBaseName();
    return base.endsWith(ClearMark)     ? Kind::BeforeClear
           : base.endsWith(RestoreMark) ? Kind::BeforeRestore
                                        : Kind::Ordinary;
}

bool Backup::make(const YearFile &file, QString *error, Kind kind) {
    const QList<Entry> before = entries(file.fileName());
    const QFileInfo info(file.fileName());
    const QString stamp = QDateTime(Clock::today(), QTime::currentTime()).toString(StampFormat);
    QString name;
    for (qint64 order = before.isEmpty() ? 1 : before.last().order + 1;
         name.isEmpty() || QFile::exists(inFolder(name)); ++order)
        name = info.completeBaseName() +
               QStringLiteral("_%1_").arg(order, 4, 10, QLatin1Char('0')) + stamp + markOf(kind) +
               QLatin1Char('.') + info.suffix();
    const QString target = inFolder(name);
    const QString temporary = Snapshot::temporaryPath(target);
    if (const QString why = obstacle(Snapshot::temporaryPath(name)); !why.isEmpty()) {
        *error = failed(file.fileName(), why);
        return false;
    }
    if (!QDir().mkpath(Folder)) {
        *error = failed(file.fileName(), QStringLiteral("フォルダを作れません。"));
        return false;
    }

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
    Run &run = runs()[info.absoluteFilePath()];
    QString replaced;  // what the restore before this one of the run had brought back
    if (kind == Kind::BeforeRestore) {
        if (run.stamp.isEmpty() || run.stamp != YearFile::stamp(file.fileName()))
            run = {{}, name, {}};
        else if (run.last != run.first)
            replaced = run.last;
        if (run.first.isEmpty()) run.first = name;
        run.last = name;
    }
    // The newest snapshot before a clear, and before a restore, stays out of the count
    // until a newer one of its kind replaces it, and so does the one before a run of
    // restores; the one just made never goes.
    QStringList all = of(file.fileName());
    for (const Kind kept : {Kind::BeforeClear, Kind::BeforeRestore}) {
        const auto newest = std::find_if(all.crbegin(), all.crend(),
                                         [kept](const QString &n) { return kindOf(n) == kept; });
        if (newest != all.crend()) all.removeAt(all.crend() - newest - 1);
    }
    all.removeOne(run.first);
    if (!replaced.isEmpty() && all.removeOne(replaced)) QFile::remove(inFolder(replaced));
    while (all.size() > Generations && all.first() != name)
        QFile::remove(inFolder(all.takeFirst()));
    // What a crash left half-made of an earlier backup of this file.
    const QStringList leftovers = QDir(Folder).entryList(
        {info.completeBaseName() + QStringLiteral("_*.") + info.suffix() + QStringLiteral(".tmp*")},
        QDir::Files);
    for (const QString &name : leftovers) QFile::remove(inFolder(name));
    return true;
}

void Backup::restored(const QString &yearFileName) {
    runs()[QFileInfo(yearFileName).absoluteFilePath()].stamp = YearFile::stamp(yearFileName);
}

void Backup::beforeChange(const YearFile &file) {
    if (!file.isCurrent()) return;
    static QHash<QString, QDate> tried;  // by full path: one run may see several folders
    const QString path = QFileInfo(file.fileName()).absoluteFilePath();
    const QDate today = Clock::today();
    if (tried.value(path) == today) return;
    tried.insert(path, today);
    const QString day = today.toString(QStringLiteral("yyyy-MM-dd"));
    const QList<Entry> existing = entries(file.fileName());
    if (std::any_of(existing.begin(), existing.end(), [&](const Entry &e) { return e.day == day; }))
        return;
    // The change goes ahead: the farmer's entry matters more than the day's copy. But
    // a safety net that is gone must be told, once a run for each file, not at every save.
    static QSet<QString> told;
    QString why;
    if (make(file, &why) || told.contains(path)) return;
    told.insert(path);
    MsgText::tell(MsgText::beforeDetail(why, QStringLiteral("変更の保存は続けます。")));
}
