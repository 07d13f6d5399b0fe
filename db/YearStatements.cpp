#include "YearStatements.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QStringList>

#include "FatteningMonths.h"
#include "Fields.h"
#include "MsgText.h"
#include "Snapshot.h"
#include "YearFile.h"

namespace YearStatements {

namespace {

bool run(YearFile &file, const QString &what, const QStringList &statements, QString *error) {
    for (const QString &sql : statements) {
        QSqlQuery q(file.db());
        if (!q.exec(sql)) {
            *error = MsgText::withDetail(QStringLiteral("%1に失敗しました。%2")
                                             .arg(what, Snapshot::storageHint(q.lastError())),
                                         q.lastError().text());
            return false;
        }
    }
    return true;
}

// Every field of the table emptied, as a new year starts it: amounts 0, names ''.
QString cleared(const QString &table, const QList<Fields::Field> &fields,
                const QList<const Fields::Field *> &kept = {}) {
    QStringList set;
    for (const Fields::Field &f : fields)
        if (!kept.contains(&f))
            set << f.name + (f.kind == Binding::Kind::Text ? QStringLiteral(" = ''")
                                                           : QStringLiteral(" = 0"));
    return QStringLiteral("UPDATE %1 SET %2").arg(table, set.join(QStringLiteral(", ")));
}

}  // namespace

bool carryOverCalves(YearFile &file, QString *error) {
    // One pass each: a row-by-row walk that re-reads the table is quadratic in the
    // size of the register.
    return run(file, QStringLiteral("子牛の繰り越し"),
               {QStringLiteral("DELETE FROM T_Cow WHERE Kimatu = 0"),
                // A carried calf is held from the first day of the new year. Kept as a
                // purchase (status 1) with I_Kingaku 0, its opening value would drop out
                // of the new year's closing value.
                QStringLiteral("UPDATE T_Cow SET No = k.n, I_Kingaku = 0, Kisyu = T_Cow.Kimatu, "
                               "Syori = %1, Hiikutuki = 12 "
                               "FROM (SELECT rowid AS id, row_number() OVER (ORDER BY rowid) AS n "
                               "FROM T_Cow) AS k WHERE T_Cow.rowid = k.id")
                    .arg(Hiiku)},
               error);
}

bool clearExpenses(YearFile &file, QString *error) {
    // The feed in stock at the year's two ends is counted, not spent: it stays.
    return run(file, QStringLiteral("経費のクリア"),
               {cleared(QStringLiteral("T_Cost"), Fields::cost(),
                        {&Fields::field(Fields::Cost::Zensiryou),
                         &Fields::field(Fields::Cost::Konsiryou)})},
               error);
}

bool clearIncome(YearFile &file, QString *error) {
    return run(file, QStringLiteral("収入のクリア"),
               {cleared(QStringLiteral("T_Proseed"), Fields::proseed())}, error);
}

bool deleteAllCalves(YearFile &file, QString *error) {
    return run(file, QStringLiteral("子牛の削除"), {QStringLiteral("DELETE FROM T_Cow")}, error);
}

}  // namespace YearStatements
