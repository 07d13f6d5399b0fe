#include "YearFile.h"

#include <QDir>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>
#include <QStringList>
#include <QUrl>
#include <atomic>

#include "Backup.h"
#include "Checkpoint.h"
#include "MsgBox.h"

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
        .arg(MsgBox::fileLabel(fileName));
}

// Damaged pages can sit inside a table whose schema reads fine: such a file showed
// blank rows and took new ones. SQLite's own check walks every page once.
QString checkPages(QSqlDatabase &db, const QString &fileName) {
    QSqlQuery q(db);
    q.setForwardOnly(true);
    if (!q.exec(QStringLiteral("PRAGMA quick_check")))
        return MsgBox::withDetail(notOurs(fileName), q.lastError().text());
    QStringList problems;
    while (q.next() && problems.size() < 3) problems << q.value(0).toString();
    if (problems == QStringList{QStringLiteral("ok")}) return {};
    return MsgBox::withDetail(QStringLiteral("%1 は壊れています。ファイルには手を加えていません。")
                                  .arg(MsgBox::fileLabel(fileName)),
                              problems.join(QLatin1Char(' ')));
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
            .arg(MsgBox::fileLabel(fileName));
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
                .arg(MsgBox::fileLabel(fileName), t);
    for (const QString &v : requiredViews) {
        if (!views.contains(v, Qt::CaseInsensitive))
            return QStringLiteral("%1 にはクエリ %2 がありません。ファイルには手を加えていません。")
                .arg(MsgBox::fileLabel(fileName), v);
        // Compiling the query is enough to find one that names a missing table or field.
        if (!q.exec(QStringLiteral("SELECT * FROM %1 LIMIT 0").arg(v)))
            return MsgBox::withDetail(
                QStringLiteral("%1 のクエリ %2 が読めません。ファイルには手を加えていません。")
                    .arg(MsgBox::fileLabel(fileName), v),
                q.lastError().text());
        q.finish();
    }
    return {};
}

}  // namespace

YearFile::YearFile(QString connection, QString fileName)
    : connection_(std::move(connection)), fileName_(std::move(fileName)) {}

std::shared_ptr<YearFile> YearFile::open(const QString &fileName, QString *error, bool readOnly) {
    const QFileInfo info(QDir::current(), fileName);
    if (info.isDir()) {
        *error = QStringLiteral("%1 はファイルではなくフォルダです。年度データとしては開けません。")
                     .arg(MsgBox::fileLabel(fileName));
        return nullptr;
    }
    if (!info.isFile()) {
        *error = QStringLiteral("%1 が見つかりません。").arg(MsgBox::fileLabel(fileName));
        return nullptr;
    }
    const QString name = nextConnectionName();
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        // A plain path would make SQLite create an empty database where none exists.
        db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_URI"));
        db.setDatabaseName(
            QUrl::fromLocalFile(info.absoluteFilePath()).toString(QUrl::FullyEncoded) +
            (readOnly ? QStringLiteral("?mode=ro") : QStringLiteral("?mode=rw")));
        QString problem;
        if (!db.open())
            problem = MsgBox::withDetail(
                QStringLiteral("%1 を開けません。").arg(MsgBox::fileLabel(fileName)),
                db.lastError().text());
        else
            problem = checkSchema(db, fileName);
        if (problem.isEmpty()) problem = checkPages(db, fileName);
        if (problem.isEmpty()) return std::shared_ptr<YearFile>(new YearFile(name, fileName));
        *error = problem;
        db.close();
    }
    QSqlDatabase::removeDatabase(name);
    return nullptr;
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
    return MsgBox::withDetail(QStringLiteral("%1 の%2に失敗しました。変更は保存されていません。")
                                  .arg(MsgBox::fileLabel(fileName_), what),
                              detail);
}

QString YearFile::readFailure(const QString &detail) const {
    return MsgBox::withDetail(
        QStringLiteral("%1 の読み込みに失敗しました。").arg(MsgBox::fileLabel(fileName_)), detail);
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
        MORIVA_CHECKPOINT("committed");
        return true;
    }
    if (error->isEmpty()) *error = failure(QStringLiteral("書き込み"), d.lastError().text());
    d.rollback();
    return false;
}
