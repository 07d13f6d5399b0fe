#pragma once

#include <QDir>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTemporaryDir>
#include <QtTest>

#include "Frm_Wk.h"
#include "M_Cow.h"
#include "WorkingFolder.h"
#include "YearFiles.h"

// A fresh working folder holding one year file made from the template, current and
// loaded into the work window; read back through a connection of the test's own.
class TestYear {
  public:
    explicit TestYear(const QString &name = QStringLiteral("cowdata13.mdb")) : name_(name) {
        QString error;
        if (!YearFiles::createFromTemplate(name, &error)) qFatal("%s", qPrintable(error));
        M_Cow::DbFileName = name;
        if (!Frm_Wk::load(&error)) qFatal("%s", qPrintable(error));
    }
    ~TestYear() {
        Frm_Wk::unload();
        QSqlDatabase::removeDatabase(QStringLiteral("test"));
    }

    QList<QVariantList> rows(const QString &sql) const {
        QList<QVariantList> result;
        {
            QSqlDatabase db =
                QSqlDatabase::contains(QStringLiteral("test"))
                    ? QSqlDatabase::database(QStringLiteral("test"))
                    : QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("test"));
            db.setDatabaseName(QDir(dir_.path()).absoluteFilePath(name_));
            if (!db.isOpen() && !db.open()) qFatal("cannot open %s", qPrintable(name_));
            QSqlQuery q(db);
            if (!q.exec(sql)) qFatal("%s: %s", qPrintable(sql), qPrintable(q.lastError().text()));
            while (q.next()) {
                QVariantList row;
                for (int c = 0; c < q.record().count(); ++c) row << q.value(c);
                result << row;
            }
        }
        return result;
    }
    QVariant value(const QString &sql) const {
        const auto r = rows(sql);
        return r.isEmpty() ? QVariant() : r.first().value(0);
    }
    // Every cell of the result as text, NULL as "NULL", cells joined by "|", rows by ";".
    QString text(const QString &sql) const {
        QStringList lines;
        for (const QVariantList &row : rows(sql)) {
            QStringList cells;
            for (const QVariant &v : row)
                cells << (v.isNull() ? QStringLiteral("NULL") : v.toString());
            lines << cells.join(QLatin1Char('|'));
        }
        return lines.join(QLatin1Char(';'));
    }
    void exec(const QString &sql) const { rows(sql); }
    QByteArray bytes() const {
        QFile f(QDir(dir_.path()).absoluteFilePath(name_));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    QString path() const { return dir_.path(); }

  private:
    WorkingFolder dir_;
    QString name_;
};
