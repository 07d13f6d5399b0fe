#pragma once

// What the tests share: a working folder of their own, a file's bytes, and a connection of
// the test's own to a year file. Qt Core and Qt Sql only, as the year files' tests link.

#include <QDir>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTemporaryDir>
#include <QtTest>

#include "Fields.h"

// The year most tests work on.
inline const QString Y13 = QStringLiteral("cowdata13.mdb");

// A fresh temporary folder made the working folder for one test, and left (then
// removed) when the test is done.
class WorkingFolder {
  public:
    WorkingFolder() {
        if (!dir_.isValid() || !QDir::setCurrent(dir_.path()))
            qFatal("no temporary working folder");
    }
    ~WorkingFolder() { QDir::setCurrent(QDir::tempPath()); }
    WorkingFolder(const WorkingFolder &) = delete;
    WorkingFolder &operator=(const WorkingFolder &) = delete;

    QString path() const { return dir_.path(); }

  private:
    QTemporaryDir dir_;
};

// The whole file, or empty when it cannot be read.
// For rows whose outcome Windows decides otherwise (file locks, permissions).
#ifdef Q_OS_WIN
constexpr bool onWindows = true;
#else
constexpr bool onWindows = false;
#endif

inline QByteArray bytesOf(const QString &name) {
    QFile f(name);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

inline void writeBytes(const QString &name, const QByteArray &bytes) {
    QFile f(name);
    QVERIFY(f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size());
}

// A connection of the test's own to a file, so that what the program wrote is read back
// independently; closed and removed when it goes, so that no file stays busy.
class TestDb {
  public:
    explicit TestDb(const QString &file)
        : name_(QStringLiteral("test%1").arg(++count())),
          db_(QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name_)) {
        db_.setDatabaseName(file);
        db_.open();
    }
    ~TestDb() {
        db_.close();
        db_ = QSqlDatabase();
        QSqlDatabase::removeDatabase(name_);
    }
    TestDb(const TestDb &) = delete;
    TestDb &operator=(const TestDb &) = delete;

    QSqlDatabase &db() { return db_; }

    // Runs statements in order; the rows of the last one, NULL as a null QVariant.
    // *error gets the last failure.
    QList<QVariantList> rows(const QStringList &statements, QString *error = nullptr) {
        QList<QVariantList> rows;
        if (!db_.isOpen() && error) *error = db_.lastError().text();
        QSqlQuery q(db_);
        for (const QString &s : statements) {
            rows.clear();
            if (!q.exec(s) && error) *error = q.lastError().text();
            while (q.next()) {
                QVariantList row;
                for (int c = 0; c < q.record().count(); ++c)
                    row << (q.isNull(c) ? QVariant() : q.value(c));
                rows << row;
            }
        }
        return rows;
    }

  private:
    static int &count() {
        static int n = 0;
        return n;
    }
    QString name_;
    QSqlDatabase db_;
};

inline QList<QVariantList> sqlRows(const QString &file, const QStringList &statements,
                                   QString *error = nullptr) {
    return TestDb(file).rows(statements, error);
}

// Set-up that did not happen would make every later check meaningless: a failure ends the run.
inline void sqlExec(const QString &file, const QStringList &statements) {
    QString error;
    sqlRows(file, statements, &error);
    if (!error.isEmpty()) qFatal("%s: %s", qPrintable(file), qPrintable(error));
}

// Every cell of a query's result as text, NULL as "NULL", cells joined by "|", rows by
// ";"; "error: " and the error when the query fails.
inline QString sqlText(const QString &file, const QString &sql) {
    QString error;
    QStringList lines;
    for (const QVariantList &row : sqlRows(file, {sql}, &error)) {
        QStringList cells;
        for (const QVariant &v : row) cells << (v.isNull() ? QStringLiteral("NULL") : v.toString());
        lines << cells.join(QLatin1Char('|'));
    }
    return error.isEmpty() ? lines.join(QLatin1Char(';')) : QStringLiteral("error: ") + error;
}

// Takes a year file made from today's template back to an earlier version, as farms still
// hold them: none of the tables and columns added since, its user_version.
inline void makeVersion(const QString &file, int version) {
    QStringList steps;
    for (const Fields::Table &t : Fields::tables()) {
        if (t.since > version) {
            steps << QStringLiteral("DROP TABLE %1").arg(t.name);
            continue;
        }
        for (const Fields::Field &f : t.fields)
            if (f.since > version)
                steps << QStringLiteral("ALTER TABLE %1 DROP COLUMN %2").arg(t.name, f.name);
    }
    sqlExec(file, steps << QStringLiteral("PRAGMA user_version = %1").arg(version));
}
inline void makeVersion1(const QString &file) {
    makeVersion(file, 1);
}
