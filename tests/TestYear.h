#pragma once

#include "CurrentYear.h"
#include "Kit.h"
#include "M_Cow.h"
#include "YearFiles.h"

// The current year, as main() makes the program's: windows are handed it. A test that
// must start with no year before it (not even one closed) makes it anew.
inline std::unique_ptr<CurrentYear> &yearSlot() {
    static std::unique_ptr<CurrentYear> year;
    return year;
}
inline CurrentYear &theYear() {
    if (!yearSlot()) yearSlot() = std::make_unique<CurrentYear>();
    return *yearSlot();
}
inline void forgetYear() {
    yearSlot().reset();
}

// A fresh working folder holding one year file made from the template, current and
// loaded into the work window; read back through a connection of the test's own. A test
// that changes the file before the program first reads it asks for it only made; one of
// the first start, for an empty folder.
class TestYear {
  public:
    enum class Start { Opened, Made, Empty };
    explicit TestYear(const QString &name = Y13, Start start = Start::Opened) : name_(name) {
        QString error;
        if (start != Start::Empty && !YearFiles::createFromTemplate(name, &error))
            qFatal("%s", qPrintable(error));
        forgetYear();
        if (start == Start::Opened && !theYear().open(name, &error))
            qFatal("%s", qPrintable(error));
    }
    explicit TestYear(Start start) : TestYear(Y13, start) {}
    ~TestYear() { forgetYear(); }

    QList<QVariantList> rows(const QString &sql) const {
        QString error;
        const QList<QVariantList> result = sqlRows(file(), {sql}, &error);
        if (!error.isEmpty()) qFatal("%s: %s", qPrintable(sql), qPrintable(error));
        return result;
    }
    QVariant value(const QString &sql) const {
        const auto r = rows(sql);
        return r.isEmpty() ? QVariant() : r.first().value(0);
    }
    // Every cell of the result as text, NULL as "NULL", cells joined by "|", rows by ";".
    QString text(const QString &sql) const {
        const QString cells = sqlText(file(), sql);
        if (cells.startsWith(QLatin1String("error: ")))
            qFatal("%s: %s", qPrintable(sql), qPrintable(cells));
        return cells;
    }
    void exec(const QString &sql) const { rows(sql); }
    QByteArray bytes() const { return bytesOf(file()); }
    QString path() const { return dir_.path(); }

  private:
    QString file() const { return QDir(dir_.path()).absoluteFilePath(name_); }
    WorkingFolder dir_;
    QString name_;
};
