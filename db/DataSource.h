#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVariantMap>
#include <functional>
#include <memory>
#include <optional>

class YearFile;

// A table or saved query of a year file, or one row of a table, read into memory in the
// table's stored order (rowid), with a current record that can be edited or added and
// then saved in one transaction. Every read runs to its end, so no statement is left
// open that could block another window's commit. What is saved or deleted is announced
// on the file, by the table it went to.
class DataSource {
  public:
    // recordSource: the table's or saved query's name; only: the one row of the table
    // it stands for, by rowid.
    DataSource(std::shared_ptr<YearFile> file, QString recordSource,
               std::optional<qint64> only = std::nullopt);

    // A whole table can be read a chunk of rows at a time, by rowid, so that a list
    // shows its first page without reading the rest (0, the default: all at once);
    // later chunks may be larger, so that scrolling asks less often.
    void setChunks(int first, int next) { chunk_ = first, nextChunk_ = next; }
    bool canFetchMore() const { return !complete_; }
    // Reads the next chunk; beforeAppend(count) is told how many rows come first.
    bool fetchMore(const std::function<void(int count)> &beforeAppend, QString *error);

    // Re-reads the rows, as many as had been read before; the first becomes current.
    // False with a message on failure.
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
    bool chunked() const { return chunk_ > 0 && !table_.isEmpty() && !only_; }
    void announce() const;
    QString selectSql(bool next = false) const;  // next: the rows after a rowid
    bool read(const QString &sql, const QVariantList &binds, QList<QVariantList> *rows,
              QStringList *columns, QString *error) const;
    bool reread(qint64 rowid, QString *error);

    std::shared_ptr<YearFile> file_;
    QString recordSource_;
    QString table_;  // the table that rows are saved to; empty when read-only
    QString view_;   // the saved query read when the source is not a table
    std::optional<qint64> only_;
    QStringList columns_;
    QList<QVariantList> rows_;
    int position_ = -1;
    int chunk_ = 0;
    int nextChunk_ = 0;
    bool complete_ = true;
};
