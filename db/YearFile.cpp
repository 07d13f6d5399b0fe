#include "YearFile.h"

#include <sqlite3.h>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QMap>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <QStringList>
#include <QUrl>
#include <algorithm>
#include <atomic>

#include "Backup.h"
#include "Checkpoint.h"
#include "Fields.h"
#include "MsgText.h"
#include "Snapshot.h"

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#endif

namespace {

// A column a version added to a table of the version before, or (field null) a table
// it added. Columns are only ever added, nullable, so that the rows already there stand
// for "not entered"; a table comes with one row of empty fields.
struct AddedColumn {
    QString table;
    const Fields::Field *field;
};

// What turns a file of version n into one of version n + 1, at index n - 1: the tables and
// columns the catalogue says version n + 1 added, in the tables' order.
const QList<QList<AddedColumn>> &upgradeSteps() {
    static const QList<QList<AddedColumn>> steps = [] {
        QList<QList<AddedColumn>> by(YearFile::SchemaVersion - 1);
        for (const Fields::Table &t : Fields::tables()) {
            if (t.since > 1) by[t.since - 2].append({t.name, nullptr});
            for (const Fields::Field &f : t.fields) {
                Q_ASSERT(f.since >= t.since && f.since <= YearFile::SchemaVersion);
                if (f.since > t.since) by[f.since - 2].append({t.name, &f});
            }
        }
        return by;
    }();
    return steps;
}

QStringList added(const AddedColumn &c) {
    if (c.field)
        return {QStringLiteral("ALTER TABLE %1 ADD COLUMN %2").arg(c.table, c.field->definition())};
    QStringList columns;
    for (const Fields::Table &t : Fields::tables())
        if (t.name == c.table)
            for (const Fields::Field &f : t.fields) columns << f.definition();
    return {QStringLiteral("CREATE TABLE %1 (%2)").arg(c.table, columns.join(QStringLiteral(", "))),
            QStringLiteral("INSERT INTO %1 DEFAULT VALUES").arg(c.table)};
}

// What a step does to the rows after adding its columns, at index n - 1 as above.
QStringList rewritten(int version) {
    if (version != 2) return {};
    // The route's codes move to S_Uriba in the rule's words; S_Saki is left empty, so
    // that no reader takes its old codes for new ones.
    QStringList when;
    for (int old = 1; old <= 3; ++old)
        when << QStringLiteral("WHEN %1 THEN %2").arg(old).arg(int(Fields::sakiOfVersion2(old)));
    return {QStringLiteral("UPDATE T_Cow SET S_Uriba = CASE S_Saki %1 END, S_Saki = NULL "
                           "WHERE S_Saki IS NOT NULL")
                .arg(when.join(u' '))};
}

// The statement as SQLite reads it: comments gone, each run of blanks one space and none
// beside a bracket or a comma, strings and quoted names as they are. SQLite rewrites a
// table's stored text when a column is added or dropped, in its own spacing.
QString normalized(QStringView sql) {
    const auto blank = [](QChar c) {
        return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r' || c == u'\f';
    };
    const auto tight = [](QChar c) { return c == u'(' || c == u')' || c == u','; };
    const auto at = [&](qsizetype i) { return i < sql.size() ? sql[i] : QChar(); };
    QString out;
    out.reserve(sql.size());
    bool gap = false;
    for (qsizetype i = 0; i < sql.size();) {
        const QChar c = sql[i];
        const bool line = c == u'-' && at(i + 1) == u'-', block = c == u'/' && at(i + 1) == u'*';
        if (blank(c) || line || block) {
            if (line || block) {
                const qsizetype end = sql.indexOf(line ? u"\n" : u"*/", i + 2);
                i = end < 0 ? sql.size() : end + (line ? 1 : 2);
            } else {
                ++i;
            }
            gap = true;
            continue;
        }
        if (gap && !out.isEmpty() && !tight(out.back()) && !tight(c)) out += u' ';
        gap = false;
        qsizetype end = i + 1;
        if (c == u'\'' || c == u'"' || c == u'`' || c == u'[') {
            // A quote doubled stands for itself; brackets have no escape.
            const QChar close = c == u'[' ? u']' : c;
            for (;;) {
                end = sql.indexOf(close, end);
                end = end < 0 ? sql.size() : end + 1;
                if (close == u']' || at(end) != close) break;
                ++end;
            }
        }
        out += sql.mid(i, end - i);
        i = end;
    }
    return out;
}

struct SchemaObject {
    QString type, name;
    QString text;  // as stored; for one of ours "" when no file stores it so
    QString sql;   // normalized; for one of ours only
    // Comparing the stored texts first spares most files the normalizing.
    bool isAs(const SchemaObject &own) const {
        return type == own.type && (text == own.text || normalized(text) == own.sql);
    }
};
using Schema = QMap<QString, SchemaObject>;  // by name in lower case, as SQLite matches names

Schema schemaOf(sqlite3 *db) {
    Schema schema;
    sqlite3_stmt *q = nullptr;
    const auto text = [&](int c) {
        return QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(q, c)));
    };
    // An index SQLite makes for a table's own constraint has no text and runs nothing.
    if (sqlite3_prepare_v2(db, "SELECT type, name, sql FROM sqlite_master WHERE sql IS NOT NULL",
                           -1, &q, nullptr) == SQLITE_OK)
        while (sqlite3_step(q) == SQLITE_ROW)
            schema.insert(text(1).toLower(), {text(0), text(1), text(2), normalized(text(2))});
    sqlite3_finalize(q);
    return schema;
}

// The embedded template's schema, read in memory.
Schema templateSchema() {
    QFile in(QStringLiteral(":/moriva/cowdata.mdb"));
    QByteArray bytes = in.open(QIODevice::ReadOnly) ? in.readAll() : QByteArray();
    sqlite3 *db = nullptr;
    Schema schema;
    if (!bytes.isEmpty() && sqlite3_open(":memory:", &db) == SQLITE_OK &&
        sqlite3_deserialize(db, "main", reinterpret_cast<unsigned char *>(bytes.data()),
                            bytes.size(), bytes.size(), SQLITE_DESERIALIZE_READONLY) == SQLITE_OK)
        schema = schemaOf(db);
    sqlite3_close(db);
    return schema;
}

// The schema of a file of each version as the program makes it: this version's as the
// template has it, each earlier one's without the columns added since. A file brought up
// by the upgrade reads as the template does, SQLite keeping an added column's text as it
// was given. Made once a run, without a statement that changes a schema: those cost
// milliseconds each.
const QHash<int, Schema> &ownSchemas() {
    static const QHash<int, Schema> schemas = [] {
        QHash<int, Schema> by;
        Schema schema = templateSchema();
        for (int v = YearFile::SchemaVersion; !schema.isEmpty(); --v) {
            by.insert(v, schema);
            if (v == 1) break;
            for (const AddedColumn &c : upgradeSteps()[v - 2]) {
                if (!c.field) {
                    schema.remove(c.table.toLower());
                    continue;
                }
                SchemaObject &table = schema[c.table.toLower()];
                const QString column = u',' + normalized(c.field->definition());
                // Earlier versions stay unknown, and their files refused, should the
                // template and its upgrade ever disagree.
                if (table.sql.count(column) != 1) return by;
                table.sql.remove(column);
                table.text.clear();
            }
        }
        return by;
    }();
    return schemas;
}

QString kindOf(const SchemaObject &o) {
    if (o.type == QLatin1String("table")) return QStringLiteral("表");
    if (o.type == QLatin1String("view")) return QStringLiteral("クエリ");
    if (o.type == QLatin1String("index")) return QStringLiteral("インデックス");
    if (o.type == QLatin1String("trigger")) return QStringLiteral("トリガー");
    return o.type;
}

// What in the file's schema is not as ours has it, in Japanese; "" when nothing is. A table
// of someone's own is left alone: nothing in it runs when ours are read or written.
QString differenceFrom(const Schema &file, const Schema &own) {
    for (const SchemaObject &o : own)
        if (!file.value(o.name.toLower()).isAs(o))
            return QStringLiteral("%1 %2 が Moriva のものと違います。").arg(kindOf(o), o.name);
    for (const SchemaObject &f : file)
        if (!own.contains(f.name.toLower()) &&
            !(f.type == QLatin1String("table") &&
              normalized(f.text).startsWith(QLatin1String("CREATE TABLE "), Qt::CaseInsensitive)))
            return QStringLiteral("Moriva のものでない%1 %2 があります。").arg(kindOf(f), f.name);
    return {};
}

sqlite3 *handleOf(const QSqlDatabase &db) {
    const QVariant handle = db.driver()->handle();
    return qstrcmp(handle.typeName(), "sqlite3*") == 0
               ? *static_cast<sqlite3 *const *>(handle.constData())
               : nullptr;
}

// A year file may come from anywhere: what its schema names runs with SQLite's harmless
// functions only, and no statement can rewrite the schema behind SQLite's back.
bool harden(const QSqlDatabase &db) {
    sqlite3 *h = handleOf(db);
    return h && sqlite3_db_config(h, SQLITE_DBCONFIG_DEFENSIVE, 1, nullptr) == SQLITE_OK &&
           sqlite3_db_config(h, SQLITE_DBCONFIG_TRUSTED_SCHEMA, 0, nullptr) == SQLITE_OK;
}

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
    const int version = std::max(q.value(0).toInt(), 1);  // as the upgrade reads it
    q.finish();
    Schema schema;
    if (!q.exec(QStringLiteral("SELECT type, name, sql FROM sqlite_master WHERE sql IS NOT NULL")))
        return notOurs(fileName);
    while (q.next())
        schema.insert(q.value(1).toString().toLower(),
                      {q.value(0).toString(), q.value(1).toString(), q.value(2).toString(), {}});
    q.finish();
    const auto has = [&](const QString &name, const char *type) {
        return schema.value(name.toLower()).type == QLatin1String(type);
    };
    for (const QString &t : requiredTables)
        if (!has(t, "table"))
            return QStringLiteral("%1 には表 %2 がありません。ファイルには手を加えていません。")
                .arg(MsgText::fileLabel(fileName), t);
    for (const QString &v : requiredViews) {
        if (!has(v, "view"))
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
    const auto own = ownSchemas().constFind(version);
    const QString difference =
        own == ownSchemas().cend()
            ? QStringLiteral("この形式（%1）の年度データを読めません。").arg(version)
            : differenceFrom(schema, *own);
    if (!difference.isEmpty()) return MsgText::withDetail(notOurs(fileName), difference);
    return {};
}

// Files of an earlier version this run could not bring up to this one, with their stamps:
// read as they are until something changes them, so that one run shows one state.
QHash<QString, QByteArray> &notUpgraded() {
    static QHash<QString, QByteArray> stamps;  // by absolute path
    return stamps;
}

}  // namespace

YearFile::YearFile(QString connection, QString fileName, QString path, bool readOnly)
    : connection_(std::move(connection)),
      fileName_(std::move(fileName)),
      path_(std::move(path)),
      readOnly_(readOnly) {}

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
    const QString path = info.absoluteFilePath();
    const QByteArray stamp = stampOf(path);
    readOnly = readOnly || (!stamp.isEmpty() && notUpgraded().value(path) == stamp);
    const QString name = nextConnectionName();
    std::shared_ptr<YearFile> opened;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        // A plain path would make SQLite create an empty database where none exists.
        db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_URI"));
        db.setDatabaseName(QUrl::fromLocalFile(path).toString(QUrl::FullyEncoded) +
                           (readOnly ? QStringLiteral("?mode=ro") : QStringLiteral("?mode=rw")));
        // Unchanged since this run checked it, the file has the same schema too.
        const bool checked = !stamp.isEmpty() && walkedFiles().value(path) == stamp;
        QString problem;
        if (!db.open() || !harden(db))
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
            opened.reset(new YearFile(name, fileName, path, readOnly));
        } else {
            *error = problem;
            db.close();
        }
    }
    if (!opened) {
        QSqlDatabase::removeDatabase(name);
        return nullptr;
    }
    QString why;
    if (readOnly || opened->upgrade(&why)) return opened;
    opened.reset();
    // A file still being made is the caller's to discard; the farmer's own year is shown.
    if (Snapshot::isTemporary(path)) {
        *error = why;
        return nullptr;
    }
    if (!(opened = open(fileName, error, true))) return nullptr;
    const bool told = notUpgraded().contains(path);
    notUpgraded().insert(path, stampOf(path));
    if (!told)
        MsgText::tell(MsgText::beforeDetail(
            why, QStringLiteral("見るだけで開きます（変更は保存できず、売却の項目は空欄です）。\n"
                                "書き込めるようになってから Moriva を起動し直すと、"
                                "そのとき更新します。")));
    return opened;
}

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
            for (int v = std::max(version, 1); v < SchemaVersion; ++v) {
                QStringList statements;
                for (const AddedColumn &c : upgradeSteps()[v - 1]) statements << added(c);
                for (const QString &sql : statements + rewritten(v))
                    if (!step.exec(sql)) {
                        *err = step.lastError().text();
                        return false;
                    }
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
    if (readOnly_) {
        *error = QStringLiteral("%1 は見るだけで開いているため、変更は保存されていません。")
                     .arg(MsgText::fileLabel(fileName_));
        return false;
    }
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
