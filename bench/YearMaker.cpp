#include "YearMaker.h"

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QStringList>
#include <QVariant>

#include "CurrentYear.h"
#include "Frm_Wk.h"
#include "Valuation.h"
#include "YearFile.h"
#include "YearFiles.h"

void makeYear(const QString &name, int calves) {
    QString error;
    if (!YearFiles::createFromTemplate(name, &error)) qFatal("%s", qPrintable(error));
    auto file = YearFile::open(name, &error);
    file->transaction(
        [&](QString *) {
            QSqlQuery q(file->db());
            q.exec(
                QStringLiteral("INSERT INTO T_Cost (Sozei, Siryou, Nidukuri, Zensiryou, "
                               "Konsiryou, Ikusei) VALUES (120000, 9000000, 300000, 400000, "
                               "500000, 600000)"));
            q.exec(QStringLiteral("INSERT INTO T_Proseed (Hanbai) VALUES (80000000)"));
            q.prepare(QStringLiteral(
                "INSERT INTO T_Cow (No, Name, OName, I_Date, I_Kingaku, Kisyu, O_Date, Syori, "
                "Hiikutuki) VALUES (?, 'みどり', 'はな', ?, ?, ?, ?, ?, ?)"));
            for (int n = 1; n <= calves; ++n) {
                const int status = n % 4 + 1;
                q.addBindValue(n);
                q.addBindValue(
                    QStringLiteral("2001-%1-01").arg(n % 12 + 1, 2, 10, QLatin1Char('0')));
                q.addBindValue(n % 17 ? QVariant(40000 + n % 1000) : QVariant());
                q.addBindValue(n % 13 ? QVariant(30000 + n % 1000) : QVariant());
                q.addBindValue(
                    status >= 3
                        ? QVariant(
                              QStringLiteral("2001-07-%1").arg(n % 28 + 1, 2, 10, QLatin1Char('0')))
                        : QVariant());
                q.addBindValue(n % 101 ? QVariant(status) : QVariant());
                q.addBindValue(n % 12 + 1);
                q.exec();
            }
            return true;
        },
        &error);
    // Valued once, with a cost small enough that the totals stay in range, so that the
    // rollover has sold and dead calves to drop and closing values to carry.
    Cal_Cow(*file, 1000, &error);
}

QString totalsOfWorkWindow() {
    const Frm_Wk &w = *benchYear().wk();
    QStringList out;
    for (const QString *f :
         {&w.t_KisyuKei, &w.t_KimatuKei, &w.t_HiikukingakuKei, &w.t_HiikuTukiKei, &w.t_Mototiku,
          &w.t_Keihi, &w.t_Syuunyuu, &w.t_Tesuu, &w.t_Zensiryou, &w.t_Konsiryou, &w.t_Ikusei})
        out << QString::number(Frm_Wk::number(*f).value_or(-1));
    return out.join(QLatin1Char(' '));
}

CurrentYear &benchYear() {
    static CurrentYear year;
    return year;
}
