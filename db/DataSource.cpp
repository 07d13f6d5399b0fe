#include "DataSource.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>

#include "MsgText.h"
#include "YearFile.h"

namespace {

QString quoted(const QString &identifier) {
    return QLatin1Char('"') + QString(identifier).replace(QLatin1Char('"'), QLatin1String("\"\"")) +
           QLatin1Char('"');
}

}  // namespace

DataSource::DataSource(std::shared_ptr<YearFile> file, QString recordSource,
                       std::optional<qint64> only)
    : file_(std::move(file)), recordSource_(std::move(recordSource)), only_(only) {
    QSqlQuery q(file_->db());
    q.prepare(QStringLiteral("SELECT type, name FROM sqlite_master WHERE name = ? COLLATE NOCASE"));
    q.addBindValue(recordSource_.trimmed());
    if (q.exec() && q.next()) {
        if (q.value(0).toString() == QLatin1String("table"))
            table_ = q.value(1).toString();
        else if (!only_)
            view_ = q.value(1).toString();
    }
}

QString DataSource::selectSql(bool next) const {
    if (chunked())
        return QStringLiteral("SELECT rowid, * FROM %1%2 ORDER BY rowid LIMIT ?")
            .arg(quoted(table_), next ? QStringLiteral(" WHERE rowid > ?") : QString());
    if (!table_.isEmpty())
        return QStringLiteral("SELECT rowid, * FROM %1%2 ORDER BY rowid")
            .arg(quoted(table_), only_ ? QStringLiteral(" WHERE rowid = ?") : QString());
    return QStringLiteral("SELECT * FROM %1").arg(quoted(view_));
}

bool DataSource::read(const QString &sql, const QVariantList &binds, QList<QVariantList> *rows,
                      QStringList *columns, QString *error) const {
    QSqlQuery q(file_->db());
    q.setForwardOnly(true);
    q.prepare(sql);
    for (const QVariant &b : binds) q.addBindValue(b);
    if (!q.exec()) {
        *error = file_->readFailure(q.lastError().text());
        return false;
    }
    const QSqlRecord rec = q.record();
    const int first = table_.isEmpty() ? 0 : 1;  // rowid leads when the rows are saved back
    if (columns)
        for (int c = first; c < rec.count(); ++c) *columns << rec.fieldName(c);
    while (q.next()) {
        QVariantList row;
        row.reserve(rec.count());
        for (int c = 0; c < rec.count(); ++c) row << q.value(c);
        *rows << std::move(row);
    }
    q.finish();
    return true;
}

bool DataSource::refresh(QString *error) {
    if (table_.isEmpty() && view_.isEmpty()) {
        *error = QStringLiteral("%1 に %2 がありません。")
                     .arg(MsgText::fileLabel(file_->fileName()), recordSource_);
        return false;
    }
    QStringList columns;
    QList<QVariantList> rows;
    // A re-read keeps what the window had scrolled to, and the row chosen in it.
    const int wanted = chunked() ? std::max(chunk_, int(rows_.size())) : 0;
    const QVariantList binds = chunked() ? QVariantList{wanted}
                               : only_   ? QVariantList{*only_}
                                         : QVariantList{};
    if (!read(selectSql(), binds, &rows, &columns, error)) return false;
    complete_ = !chunked() || rows.size() < wanted;
    columns_ = std::move(columns);
    rows_ = std::move(rows);
    position_ = rows_.isEmpty() ? -1 : 0;
    return true;
}

bool DataSource::fetchMore(const std::function<void(int count)> &beforeAppend, QString *error) {
    if (complete_) return true;
    QList<QVariantList> rows;
    const bool next = !rows_.isEmpty();
    const int wanted = std::max(chunk_, nextChunk_);
    const QVariantList binds =
        next ? QVariantList{rowid(int(rows_.size()) - 1), wanted} : QVariantList{wanted};
    if (!read(selectSql(next), binds, &rows, nullptr, error)) {
        complete_ = true;  // asked again on every scroll, it would say so on every one
        return false;
    }
    complete_ = rows.size() < wanted;
    if (rows.isEmpty()) return true;
    beforeAppend(int(rows.size()));
    rows_ << rows;
    return true;
}

int DataSource::column(const QString &field) const {
    for (int c = 0; c < columns_.size(); ++c)
        if (columns_[c].compare(field, Qt::CaseInsensitive) == 0) return c;
    return -1;
}

QVariant DataSource::value(int r, const QString &field) const {
    const int c = column(field);
    if (r < 0 || r >= rows_.size() || c < 0) return {};
    return rows_[r][c + (table_.isEmpty() ? 0 : 1)];
}

QVariant DataSource::value(const QString &field) const {
    return value(position_, field);
}

qint64 DataSource::rowid(int r) const {
    return table_.isEmpty() ? -1 : rows_[r][0].toLongLong();
}

void DataSource::editCurrent() {
    if (position_ == NewRecord) position_ = rows_.isEmpty() ? -1 : 0;
}

void DataSource::addNew() {
    position_ = NewRecord;
}

bool DataSource::update(const QVariantMap &values, QString *error) {
    if (!updatable() || (!isNew() && (position_ < 0 || position_ >= rows_.size()))) {
        *error = QStringLiteral("保存するデータがありません。");
        return false;
    }
    const QStringList fields = values.keys();
    QString sql;
    if (isNew()) {
        QStringList names, marks;
        for (const QString &f : fields) names << quoted(f), marks << QStringLiteral("?");
        sql = fields.isEmpty() ? QStringLiteral("INSERT INTO %1 DEFAULT VALUES").arg(quoted(table_))
                               : QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                                     .arg(quoted(table_), names.join(QLatin1Char(',')),
                                          marks.join(QLatin1Char(',')));
    } else {
        QStringList sets;
        for (const QString &f : fields) sets << quoted(f) + QStringLiteral(" = ?");
        if (sets.isEmpty()) return reread(rowid(position_), error);
        sql = QStringLiteral("UPDATE %1 SET %2 WHERE rowid = ?")
                  .arg(quoted(table_), sets.join(QLatin1Char(',')));
    }
    qint64 saved = isNew() ? -1 : rowid(position_);
    const bool ok = file_->transaction(
        [&](QString *err) {
            QSqlQuery q(file_->db());
            q.prepare(sql);
            for (const QString &f : fields) q.addBindValue(values.value(f));
            if (!isNew()) q.addBindValue(saved);
            if (!q.exec()) {
                *err = file_->failure(QStringLiteral("保存"), q.lastError().text());
                return false;
            }
            if (!isNew() && q.numRowsAffected() != 1) {
                *err = QStringLiteral(
                           "%1 の保存に失敗しました。このデータはほかの画面で削除されています。")
                           .arg(MsgText::fileLabel(file_->fileName()));
                return false;
            }
            if (isNew()) saved = q.lastInsertId().toLongLong();
            return true;
        },
        error);
    if (!ok) return false;
    const bool readBack = reread(saved, error);
    announce();
    if (readBack) return true;
    // Saved, but not read back: never leave the record "new", or the next save would
    // insert a second row.
    QString ignored;
    refresh(&ignored);
    for (int r = 0; r < rows_.size(); ++r)
        if (rowid(r) == saved) position_ = r;
    return false;
}

bool DataSource::reread(qint64 id, QString *error) {
    QSqlQuery q(file_->db());
    q.setForwardOnly(true);
    q.prepare(QStringLiteral("SELECT rowid, * FROM %1 WHERE rowid = ?").arg(quoted(table_)));
    q.addBindValue(id);
    if (!q.exec() || !q.next()) {
        *error = file_->readFailure(q.lastError().text());
        return false;
    }
    QVariantList row;
    for (int c = 0; c < q.record().count(); ++c) row << q.value(c);
    q.finish();
    if (isNew()) {
        rows_ << std::move(row);
        position_ = int(rows_.size()) - 1;
    } else {
        rows_[position_] = std::move(row);
    }
    return true;
}

bool DataSource::deleteCurrent(QString *error) {
    if (!updatable() || position_ < 0 || position_ >= rows_.size()) return true;
    const qint64 id = rowid(position_);
    const int at = position_;
    const bool ok = file_->transaction(
        [&](QString *err) {
            QSqlQuery q(file_->db());
            q.prepare(QStringLiteral("DELETE FROM %1 WHERE rowid = ?").arg(quoted(table_)));
            q.addBindValue(id);
            if (q.exec()) return true;
            *err = file_->failure(QStringLiteral("削除"), q.lastError().text());
            return false;
        },
        error);
    if (!ok) return false;
    const bool readBack = refresh(error);
    announce();
    if (!readBack) return false;
    position_ = rows_.isEmpty() ? -1 : std::min(at, int(rows_.size()) - 1);
    return true;
}

std::optional<bool> DataSource::otherRecordHas(const QString &field, const QVariant &value,
                                               QString *error) const {
    QSqlQuery q(file_->db());
    q.setForwardOnly(true);
    q.prepare(QStringLiteral("SELECT 1 FROM %1 WHERE %2 = ? AND rowid IS NOT ? LIMIT 1")
                  .arg(quoted(table_), quoted(field)));
    q.addBindValue(value);
    q.addBindValue(isNew() || position_ < 0 ? QVariant() : QVariant(rowid(position_)));
    if (!q.exec()) {
        *error = file_->readFailure(q.lastError().text());
        return std::nullopt;
    }
    const bool found = q.next();
    q.finish();
    return found;
}

void DataSource::announce() const {
    static const std::pair<const char *, YearFile::Change> tables[] = {
        {"T_Cow", YearFile::Change::Calves},
        {"T_Cost", YearFile::Change::Expenses},
        {"T_Proseed", YearFile::Change::Income},
    };
    for (const auto &[name, change] : tables)
        if (table_.compare(QLatin1String(name), Qt::CaseInsensitive) == 0) file_->announce(change);
}
