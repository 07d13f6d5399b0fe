#include "SaleTerms.h"

#include <QSqlError>
#include <QSqlQuery>

#include "YearFile.h"

namespace SaleTerms {

bool load(const YearFile &file, Terms *terms, QString *error) {
    *terms = {};
    QSqlQuery q(file.db());
    q.setForwardOnly(true);
    if (!q.exec(QStringLiteral("SELECT count(*) FROM sqlite_master WHERE type = 'table' AND "
                               "name = 'T_Tokurei'")) ||
        !q.next()) {
        *error = file.readFailure(q.lastError().text());
        return false;
    }
    if (q.value(0).toInt() == 0) return true;
    q.finish();
    if (!q.exec(QStringLiteral("SELECT Keiri, Kigen FROM T_Tokurei ORDER BY rowid LIMIT 1"))) {
        *error = file.readFailure(q.lastError().text());
        return false;
    }
    if (q.next()) {
        if (q.value(0).toInt() == int(Fields::Keiri::Exclusive))
            terms->keiri = Fields::Keiri::Exclusive;
        if (!q.isNull(1)) terms->kigen = QDate::fromString(q.value(1).toString(), Qt::ISODate);
    }
    return true;
}

bool save(YearFile &file, const Terms &terms, QString *error) {
    const bool saved = file.transaction(
        [&](QString *err) {
            QSqlQuery q(file.db());
            // The one row the template holds; a file that lost it gets it back.
            if (!q.exec(QStringLiteral("INSERT INTO T_Tokurei SELECT NULL, NULL WHERE NOT "
                                       "EXISTS (SELECT 1 FROM T_Tokurei)"))) {
                *err = file.failure(QStringLiteral("保存"), q.lastError().text());
                return false;
            }
            q.prepare(QStringLiteral("UPDATE T_Tokurei SET Keiri = ?, Kigen = ?"));
            q.addBindValue(int(terms.keiri));
            q.addBindValue(terms.kigen.isValid() ? QVariant(terms.kigen.toString(Qt::ISODate))
                                                 : QVariant());
            if (!q.exec()) {
                *err = file.failure(QStringLiteral("保存"), q.lastError().text());
                return false;
            }
            return true;
        },
        error);
    if (saved) file.announce(YearFile::Change::SaleData);
    return saved;
}

}  // namespace SaleTerms
