#include <QSqlDatabase>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QStringList>
#include <QVariant>
#include <fstream>
#include <string>

#include "ViewTotals.h"

QString totalsOfViews(const QString &path) {
    QStringList out;
    {
        QSqlDatabase db =
            QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("floor"));
        db.setDatabaseName(path);
        db.open();
        QSqlQuery q(db);
        for (const char *sql :
             {"SELECT Kisyu_Kei, Kimatu_Kei, HiikuKingaku_Kei, Hiiku_Kei, Moto_Kei FROM Q_Cow_Cal1",
              "SELECT Cost_Kei FROM Q_Cost_Cal1", "SELECT Syuunyuu_Kei FROM Q_Proseed_Cal1",
              "SELECT Nidukuri FROM Q_Cost_Tesuu", "SELECT Zensiryou FROM Q_Cost_Zensiryou",
              "SELECT Konsiryou FROM Q_Cost_Konsiryou", "SELECT Ikusei FROM Q_Cost_Ikusei"}) {
            q.exec(QString::fromLatin1(sql));
            q.next();
            for (int c = 0; c < q.record().count(); ++c)
                out << QString::number(q.value(c).toLongLong());
            q.finish();
        }
    }
    QSqlDatabase::removeDatabase(QStringLiteral("floor"));
    return out.join(QLatin1Char(' '));
}

long peakKiB() {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind("VmHWM:", 0) == 0) return std::stol(line.substr(6));
    return 0;
}
