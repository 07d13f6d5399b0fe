#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVariantMap>
#include <memory>
#include <optional>

class YearFile;

// A table, saved query or one-table selection ("SELECT T_Cow.* FROM T_Cow WHERE ...")
// of a year file, read into memory in the table's stored order (rowid), with a current
// record that can be edited or added and then saved in one transaction. Reading
// everything at once leaves no statement open that could block another window's commit.
class DataSource {
  public:
    DataSource(std::shared_ptr<YearFile> file, QString recordSource);

    // Re-reads the rows; the first becomes current. False with a message on failure.
    bool refresh(QString *error);

    const QString &recordSource() const { return recordSource_; }
    const std::shared_ptr<YearFile> &file() const { return file_; }
    bool updatable() const { return !table_.isEmpty(); }

    int recordCount() const { return int(rows_.size()); }
    int position() const { return position_; }
    void setPosition(int row) { position_ = row; }
    bool isNew() const { return position_ == NewRecord; }

    // A field of the current record by name (case-insensitive); null when empty, on a
    // new record, or when there is no current record.
    QVariant value(const QString &field) const;
    QVariant value(int row, const QString &field) const;
    int column(const QString &field) const;  // -1 when the source has no such field
    const QVariantList &row(int r) const { return rows_[r]; }
    qint64 rowid(int r) const;

    // Choose the record to work on: the current stored one, or a new empty one.
    void editCurrent();
    void addNew();

    // Saves the named fields into the current record (or inserts the new one) in one
    // transaction and reads the saved record back; it is then current.
    bool update(const QVariantMap &values, QString *error);
    // Whether a stored record other than the current one has this value in field.
    std::optional<bool> otherRecordHas(const QString &field, const QVariant &value,
                                       QString *error) const;
    // Deletes the current record and re-reads; the next record becomes current.
    bool deleteCurrent(QString *error);

  private:
    static constexpr int NewRecord = -2;
    QString selectSql() const;
    bool reread(qint64 rowid, QString *error);

    std::shared_ptr<YearFile> file_;
    QString recordSource_;
    QString table_;  // the table that rows are saved to; empty when read-only
    QString view_;   // the saved query read when the source is not a table
    QString where_;
    QStringList columns_;
    QList<QVariantList> rows_;
    int position_ = -1;
};
