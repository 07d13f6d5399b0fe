#include "YearFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSqlError>
#include <QSqlQuery>
#include <QStringList>
#include <QUrl>
#include <atomic>

#include "Backup.h"
#include "Checkpoint.h"
#include "MsgText.h"
#include "Snapshot.h"

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#endif

namespace {

const QStringList requiredTables = {"T_Cow", "T_Cost", "T_Proseed"};
const QStringList requiredViews = {"Q_Cow_Cal1",    "Q_Cost_Cal1",      "Q_Proseed_Cal1",
                                   "Q_Cost_Tesuu",  "Q_Cost_Zensiryou", "Q_Cost_Konsiryou",
                                   "Q_Cost_Ikusei", "Q_Syuusi"};

QString nextConnectionName() {
    static std::atomic<int> counter{0};
    return QStringLiteral("moriva-%1").arg(++counter);
}

QString notOurs(const QString &fileName) {
    return QStringLiteral(
               "%1 は Moriva の年度データではないか、壊れています。\n"
               "ファイルには手を加えていません。")
        .arg(MsgText::fileLabel(fileName));
}

// SQLite's own check, which walks every page once: "ok", or the first lines of what it
// found; *failed says why it could not look. Evaluating every stored row's CHECK
// constraints made up five sixths of its cost; they guard every write already, and
// damage is what the walk is for.
QStringList walkPages(QSqlDatabase db, QString *failed) {
    QSqlQuery q(db);
    q.setForwardOnly(true);
    QStringList found;
    if (q.exec(QStringLiteral("PRAGMA ignore_check_constraints = ON")) &&
        q.exec(QStringLiteral("PRAGMA quick_check")))
        while (q.next() && found.size() < 10) found << q.value(0).toString();
    else
        *failed = q.lastError().text();
    q.finish();
    // Left on, the connection would store values its constraints refuse.
    if (!q.exec(QStringLiteral("PRAGMA ignore_check_constraints = OFF")) && failed->isEmpty())
        *failed = q.lastError().text();
    return found;
}

const QStringList Sound = {QStringLiteral("ok")};

// Damaged pages can sit inside a table whose schema reads fine: such a file showed
// blank rows and took new ones.
QString checkPages(QSqlDatabase &db, const QString &fileName) {
    QString failed;
    const QStringList found = walkPages(db, &failed);
    if (!failed.isEmpty()) return MsgText::withDetail(notOurs(fileName), failed);
    if (found == Sound) return {};
    return MsgText::withDetail(QStringLiteral("%1 は壊れています。ファイルには手を加えていません。")
                                   .arg(MsgText::fileLabel(fileName)),
                               found.mid(0, 3).join(QLatin1Char(' ')));
}

// Walking every page costs tens of milliseconds on a full register, and every window
// opens the year file anew. A file is checked the first time this run opens it, and
// again only once something other than this run's own SQLite writes has changed it
// since: the stamp is taken after the walk, after each commit, after a copy SQLite
// wrote whole and after this run's own rename.
QHash<QString, QByteArray> &walkedFiles() {
    static QHash<QString, QByteArray> stamps;  // by absolute path
    return stamps;
}

QByteArray stampOf(const QString &path) {
#ifdef Q_OS_UNIX
    // The change time cannot be set back by hand, and the inode tells a file copied
    // over this one.
    struct stat st {};
    if (::stat(QFile::encodeName(path).constData(), &st) != 0) return {};
    return QByteArray::number(qulonglong(st.st_dev)) + ':' +
           QByteArray::number(qulonglong(st.st_ino)) + ':' +
           QByteArray::number(qlonglong(st.st_size)) + ':' +
           QByteArray::number(qlonglong(st.st_ctim.tv_sec)) + '.' +
           QByteArray::number(qlonglong(st.st_ctim.tv_nsec));
#else
    const QFileInfo info(path);
    return QByteArray::number(info.size()) + ':' +
           QByteArray::number(info.lastModified().toMSecsSinceEpoch());
#endif
}

// Why the file cannot serve as a year file, or "" when it can.
QString checkSchema(QSqlDatabase &db, const QString &fileName) {
    QSqlQuery q(db);
    if (!q.exec(QStringLiteral("PRAGMA application_id")) || !q.next() ||
        q.value(0).toInt() != YearFile::ApplicationId)
        return notOurs(fileName);
    q.finish();
    if (!q.exec(QStringLiteral("PRAGMA user_version")) || !q.next() ||
        q.value(0).toInt() > YearFile::SchemaVersion)
        return QStringLiteral("%1 はこのバージョンの Moriva では開けない新しい形式です。")
            .arg(MsgText::fileLabel(fileName));
    q.finish();
    QStringList tables, views;
    if (!q.exec(QStringLiteral("SELECT type, name FROM sqlite_master WHERE type IN "
                               "('table', 'view')")))
        return notOurs(fileName);
    while (q.next())
        (q.value(0).toString() == QLatin1String("table") ? tables : views) << q.value(1).toString();
    for (const QString &t : requiredTables)
        if (!tables.contains(t, Qt::CaseInsensitive))
            return QStringLiteral("%1 には表 %2 がありません。ファイルには手を加えていません。")
                .arg(MsgText::fileLabel(fileName), t);
    for (const QString &v : requiredViews) {
        if (!views.contains(v, Qt::CaseInsensitive))
            return QStringLiteral("%1 にはクエリ %2 がありません。ファイルには手を加えていません。")
                .arg(MsgText::fileLabel(fileName), v);
        // Compiling the query is enough to find one that names a missing table or field.
        if (!q.exec(QStringLiteral("SELECT * FROM %1 LIMIT 0").arg(v)))
            return MsgText::withDetail(
                QStringLiteral("%1 のクエリ %2 が読めません。ファイルには手を加えていません。")
                    .arg(MsgText::fileLabel(fileName), v),
                q.lastError().text());
        q.finish();
    }
    return {};
}

}  // namespace

YearFile::YearFile(QString connection, QString fileName, QString path)
    : connection_(std::move(connection)), fileName_(std::move(fileName)), path_(std::move(path)) {}

std::shared_ptr<YearFile> YearFile::open(const QString &fileName, QString *error, bool readOnly) {
    const QFileInfo info(QDir::current(), fileName);
    if (info.isDir()) {
        *error = QStringLiteral("%1 はファイルではなくフォルダです。年度データとしては開けません。")
                     .arg(MsgText::fileLabel(fileName));
        return nullptr;
    }
    if (!info.isFile()) {
        *error = QStringLiteral("%1 が見つかりません。").arg(MsgText::fileLabel(fileName));
        return nullptr;
    }
    const QString name = nextConnectionName();
    std::shared_ptr<YearFile> opened;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        // A plain path would make SQLite create an empty database where none exists.
        db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_URI"));
        db.setDatabaseName(
            QUrl::fromLocalFile(info.absoluteFilePath()).toString(QUrl::FullyEncoded) +
            (readOnly ? QStringLiteral("?mode=ro") : QStringLiteral("?mode=rw")));
        const QString path = info.absoluteFilePath();
        const QByteArray stamp = stampOf(path);
        // Unchanged since this run checked it, the file has the same schema too.
        const bool checked = !stamp.isEmpty() && walkedFiles().value(path) == stamp;
        QString problem;
        if (!db.open())
            problem = MsgText::withDetail(
                QStringLiteral("%1 を開けません。").arg(MsgText::fileLabel(fileName)),
                db.lastError().text());
        else if (!checked)
            problem = checkSchema(db, fileName);
        if (problem.isEmpty() && !checked) {
            walkedFiles().remove(path);
            problem = checkPages(db, fileName);
            // Taken after the walk: opening may have rolled back a crashed change.
            if (problem.isEmpty()) walkedFiles().insert(path, stampOf(path));
        }
        if (problem.isEmpty()) {
            opened.reset(new YearFile(name, fileName, path));
        } else {
            *error = problem;
            db.close();
        }
    }
    if (opened && (readOnly || opened->upgrade(error))) return opened;
    if (!opened) QSqlDatabase::removeDatabase(name);
    return nullptr;
}

namespace {

// What turns a file of version n into one of version n + 1, at index n - 1. Columns are
// only ever added, nullable, so that the rows already there stand for "not entered".
const QList<QStringList> &upgradeSteps() {
    static const QList<QStringList> steps = {
        {QStringLiteral(
             "ALTER TABLE T_Cow ADD COLUMN S_Kingaku INTEGER CHECK (S_Kingaku IS NULL OR "
             "(typeof(S_Kingaku) = 'integer' AND S_Kingaku BETWEEN -2147483648 AND "
             "2147483647))"),
         QStringLiteral("ALTER TABLE T_Cow ADD COLUMN S_Hinsyu INTEGER CHECK (S_Hinsyu IS NULL OR "
                        "(typeof(S_Hinsyu) = 'integer' AND S_Hinsyu BETWEEN 1 AND 4))"),
         QStringLiteral(
             "ALTER TABLE T_Cow ADD COLUMN S_Touroku INTEGER CHECK (S_Touroku IS NULL OR "
             "(typeof(S_Touroku) = 'integer' AND S_Touroku IN (0, 1)))"),
         QStringLiteral("ALTER TABLE T_Cow ADD COLUMN S_Saki INTEGER CHECK (S_Saki IS NULL OR "
                        "(typeof(S_Saki) = 'integer' AND S_Saki BETWEEN 1 AND 3))"),
         QStringLiteral("ALTER TABLE T_Cow ADD COLUMN S_Jika INTEGER CHECK (S_Jika IS NULL OR "
                        "(typeof(S_Jika) = 'integer' AND S_Jika IN (0, 1)))"),
         QStringLiteral("ALTER TABLE T_Cow ADD COLUMN S_Birth TEXT CHECK (S_Birth IS NULL OR "
                        "(typeof(S_Birth) = 'text' AND date(S_Birth, '+0 days') IS S_Birth))")},
    };
    static_assert(YearFile::SchemaVersion == 2, "one step for every version before this one");
    return steps;
}

}  // namespace

bool YearFile::upgrade(QString *error) {
    QSqlQuery q(db());
    // A file that cannot even say its version is left to the first statement that needs
    // it, which says what went wrong in its own terms; nothing is written here.
    if (!q.exec(QStringLiteral("PRAGMA user_version")) || !q.next()) return true;
    const int version = q.value(0).toInt();
    q.finish();
    if (version >= SchemaVersion) return true;
    const QString refused =
        QStringLiteral(
            "%1 をこのバージョンの形式に更新できませんでした。ファイルには手を加えていません。")
            .arg(MsgText::fileLabel(fileName_));
    // A file still being made under a temporary name has its source untouched beside it.
    QString why;
    if (!Snapshot::isTemporary(path_) && !Backup::make(*this, &why)) {
        *error = refused + QLatin1Char('\n') + why;
        return false;
    }
    MORIVA_CHECKPOINT("upgrade: backup made");
    const bool done = transaction(
        [&](QString *err) {
            QSqlQuery step(db());
            for (int v = std::max(version, 1); v < SchemaVersion; ++v)
                for (const QString &sql : upgradeSteps()[v - 1])
                    if (!step.exec(sql)) {
                        *err = step.lastError().text();
                        return false;
                    }
            if (!step.exec(QStringLiteral("PRAGMA user_version = %1").arg(SchemaVersion))) {
                *err = step.lastError().text();
                return false;
            }
            MORIVA_CHECKPOINT("upgrade: before commit");
            return true;
        },
        &why);
    if (!done) *error = MsgText::withDetail(refused, why);
    return done;
}

QString YearFile::damage() const {
    QString failed;
    const QStringList found = walkPages(db(), &failed);
    if (!failed.isEmpty()) return failed;
    if (found != Sound) return found.join(QLatin1Char('\n'));
    walkedFiles().insert(path_, stampOf(path_));
    return {};
}

void YearFile::writtenWhole(const QString &path) {
    const QString absolute = QFileInfo(path).absoluteFilePath();
    walkedFiles().insert(absolute, stampOf(absolute));
}

void YearFile::renamed(const QString &from, const QString &to, const QByteArray &before) {
    const QString source = QFileInfo(from).absoluteFilePath();
    const QString target = QFileInfo(to).absoluteFilePath();
    if (!before.isEmpty() && walkedFiles().take(source) == before)
        walkedFiles().insert(target, stampOf(target));
}

QByteArray YearFile::stamp(const QString &path) {
    return stampOf(QFileInfo(path).absoluteFilePath());
}

YearFile::~YearFile() {
    {
        QSqlDatabase db = QSqlDatabase::database(connection_, false);
        db.close();
    }
    QSqlDatabase::removeDatabase(connection_);
}

QSqlDatabase YearFile::db() const {
    return QSqlDatabase::database(connection_, false);
}

QString YearFile::failure(const QString &what, const QString &detail) const {
    return MsgText::withDetail(QStringLiteral("%1 の%2に失敗しました。変更は保存されていません。")
                                   .arg(MsgText::fileLabel(fileName_), what),
                               detail);
}

QString YearFile::readFailure(const QString &detail) const {
    return MsgText::withDetail(
        QStringLiteral("%1 の読み込みに失敗しました。").arg(MsgText::fileLabel(fileName_)), detail);
}

bool YearFile::transaction(const std::function<bool(QString *error)> &work, QString *error) {
    // Every change of a year file passes here, so this is where the day's first change
    // of the current year is preceded by a backup.
    Backup::beforeChange(*this);
    QSqlDatabase d = db();
    if (!d.transaction()) {
        *error = failure(QStringLiteral("書き込み"), d.lastError().text());
        return false;
    }
    MORIVA_CHECKPOINT("transaction begun");
    const bool done = work(error);
    MORIVA_CHECKPOINT("before commit");
    if (done && d.commit()) {
        if (walkedFiles().contains(path_)) walkedFiles().insert(path_, stampOf(path_));
        MORIVA_CHECKPOINT("committed");
        return true;
    }
    if (error->isEmpty()) *error = failure(QStringLiteral("書き込み"), d.lastError().text());
    d.rollback();
    return false;
}
