#pragma once

#include <QByteArray>
#include <QList>
#include <QSet>
#include <QString>
#include <QVariantMap>
#include <functional>
#include <memory>

class Frm_Wk;
class YearFile;

// The register and the year's figures as CSV files for spreadsheets and accountants, and
// a register brought back in from such a file.
namespace CowCsv {

// The register's columns, in the order the export writes them; the import finds them
// by these captions in any order.
QStringList captions();

// The calves of the year file in the table's stored order under a line of captions:
// dates yyyy/mm/dd, amounts plain, empty values empty.
bool exportRegister(const std::shared_ptr<YearFile> &file, QByteArray *csv, QString *error);

// The work totals under their captions, then the detail statement's 28 lines with
// their numbers and names, as the printed statement computes them. A total or a figure
// that has no value refuses the export with a message naming it.
bool exportTotals(const Frm_Wk &wk, QByteArray *csv, QString *error);

// Called now and then with how many of total rows are done.
using Progress = std::function<void(qint64 done, qint64 total)>;

struct Refusal {
    int line;  // physical line of the file, from 1
    QString reason;
};

struct Import {
    QString encoding;           // as the file was read, for the preview
    QList<QVariantMap> calves;  // T_Cow field -> value, ready to insert
    QList<Refusal> refused;     // every row that cannot come in, in file order
};

// Reads a file in the register's layout with the calf editor's readers and month rule.
// registered holds the numbers already in the register. False with a Japanese message
// when the file as a whole cannot be read; refused rows are not such a failure.
bool read(const QByteArray &bytes, const QSet<int> &registered, Import *out, QString *error,
          const Progress &progress = {});

// The calf numbers already in the register.
bool registeredNumbers(YearFile &file, QSet<int> *numbers, QString *error);

// Adds every calf in one transaction: all of them, or none when anything fails.
bool write(YearFile &file, const QList<QVariantMap> &calves, QString *error,
           const Progress &progress = {});

}  // namespace CowCsv
