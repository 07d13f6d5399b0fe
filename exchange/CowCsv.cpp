#include "CowCsv.h"

#include <QDate>
#include <QHash>
#include <QSqlError>
#include <QSqlQuery>

#include "Amount.h"
#include "Binding.h"
#include "Checkpoint.h"
#include "Clock.h"
#include "Csv.h"
#include "DataSource.h"
#include "FatteningMonths.h"
#include "Frm_Wk.h"
#include "Statement.h"
#include "YearFile.h"

namespace {

using Binding::Kind;

struct Column {
    QString caption;
    QString field;  // of T_Cow; empty for the status name, which the code stands for
    Kind kind;
    int low = 0, high = 0;  // of a code chosen from a list; both 0 for any other field
};

const QList<Column> &columns() {
    static const QList<Column> list = {
        {QStringLiteral("No"), QStringLiteral("No"), Kind::Count},
        {QStringLiteral("子牛名前"), QStringLiteral("Name"), Kind::Text},
        {QStringLiteral("親牛名前"), QStringLiteral("OName"), Kind::Text},
        {QStringLiteral("導入・種付年月日"), QStringLiteral("I_Date"), Kind::Date},
        {QStringLiteral("導入・種付金額"), QStringLiteral("I_Kingaku"), Kind::Amount},
        {QStringLiteral("期首棚卸高"), QStringLiteral("Kisyu"), Kind::Amount},
        {QStringLiteral("売却・死亡年月日"), QStringLiteral("O_Date"), Kind::Date},
        {QStringLiteral("処理"), QStringLiteral("Syori"), Kind::Count},
        {QStringLiteral("処理名"), QString(), Kind::Text},
        {QStringLiteral("肥育月数"), QStringLiteral("Hiikutuki"), Kind::Count},
        {QStringLiteral("肥育金額"), QStringLiteral("HiikuKingaku"), Kind::Amount},
        {QStringLiteral("期末棚卸高"), QStringLiteral("Kimatu"), Kind::Amount},
        // A sold calf's sale data, after every column of earlier versions' files.
        {QStringLiteral("売却価額"), QStringLiteral("S_Kingaku"), Kind::Price},
        {QStringLiteral("品種区分"), QStringLiteral("S_Hinsyu"), Kind::Count, 1, 4},
        {QStringLiteral("高等登録"), QStringLiteral("S_Touroku"), Kind::Count, 0, 1},
        {QStringLiteral("売却先"), QStringLiteral("S_Saki"), Kind::Count, 1, 3},
        {QStringLiteral("自家産"), QStringLiteral("S_Jika"), Kind::Count, 0, 1},
        {QStringLiteral("生年月日"), QStringLiteral("S_Birth"), Kind::Date},
    };
    return list;
}
enum {
    ColNo,
    ColName,
    ColOName,
    ColIDate,
    ColIKingaku,
    ColKisyu,
    ColODate,
    ColSyori,
    ColSyoriName,
    ColHiikutuki,
    ColHiikuKingaku,
    ColKimatu,
    ColSKingaku,
    ColSHinsyu,
    ColSTouroku,
    ColSSaki,
    ColSJika,
    ColSBirth
};

const QStringList statusNames = {QStringLiteral("導入・種付"), QStringLiteral("肥育中"),
                                 QStringLiteral("売却"), QStringLiteral("死亡")};

// Header cells and status names as typed in a spreadsheet: full-width letters, stray
// blanks and the case of "NO" do not matter.
QString normalKey(const QString &text) {
    return text.normalized(QString::NormalizationForm_KC).trimmed().toCaseFolded();
}

QString cell(const QVariant &stored, Kind kind) {
    if (stored.isNull()) return {};
    if (kind == Kind::Date) {
        const QDate d = QDate::fromString(stored.toString(), Qt::ISODate);
        return d.isValid() ? d.toString(QStringLiteral("yyyy/MM/dd")) : stored.toString();
    }
    return kind == Kind::Text ? Csv::textCell(stored.toString()) : stored.toString();
}

}  // namespace

QStringList CowCsv::captions() {
    QStringList list;
    for (const Column &c : columns()) list << c.caption;
    return list;
}

bool CowCsv::exportRegister(const std::shared_ptr<YearFile> &file, QByteArray *csv,
                            QString *error) {
    DataSource cows(file, QStringLiteral("T_Cow"));
    if (!cows.refresh(error)) return false;
    *csv = Csv::bom() + Csv::line(captions());
    for (int r = 0; r < cows.recordCount(); ++r) {
        QStringList cells;
        for (const Column &c : columns()) {
            if (c.field.isEmpty()) {
                bool numeric = false;
                const int code = cows.value(r, QStringLiteral("Syori")).toInt(&numeric);
                cells << (numeric && code >= 1 && code <= 4 ? statusNames[code - 1] : QString());
            } else {
                cells << cell(cows.value(r, c.field), c.kind);
            }
        }
        *csv += Csv::line(cells);
    }
    return true;
}

bool CowCsv::exportTotals(const Frm_Wk &wk, QByteArray *csv, QString *error) {
    QList<Statement::Line> lines;
    if (!Statement::compute(wk, &lines, error)) return false;
    QString Frm_Wk::*const fields[] = {
        &Frm_Wk::t_Keihi,      &Frm_Wk::t_Syuunyuu,     &Frm_Wk::t_Mototiku,  &Frm_Wk::t_Tesuu,
        &Frm_Wk::t_NendoHiiku, &Frm_Wk::t_HiikuTukiKei, &Frm_Wk::t_TukiHiiku, &Frm_Wk::t_KisyuKei,
        &Frm_Wk::t_KimatuKei,  &Frm_Wk::t_Zensiryou,    &Frm_Wk::t_Konsiryou, &Frm_Wk::t_Ikusei,
    };
    // An accountant reads an empty cell as nothing owed: a figure without a value
    // refuses the file instead.
    const QString refused = QStringLiteral("集計を出力できません");
    QByteArray rows;
    for (QString Frm_Wk::*f : fields) {
        const auto n = wk.value(f);
        if (!n) {
            *error =
                Frm_Wk::cannotCompute(QStringLiteral("「%1」").arg(Frm_Wk::caption(f)), refused);
            return false;
        }
        // An empty total stays empty: no rows, not a sum of 0.
        rows += Csv::line(
            {Frm_Wk::caption(f), (wk.*f).trimmed().isEmpty() ? QString() : QString::number(*n)});
    }
    if (const QString figure = Statement::missing(lines); !figure.isEmpty()) {
        *error = Frm_Wk::cannotCompute(figure, refused);
        return false;
    }
    *csv = Csv::bom() + Csv::line({QStringLiteral("項目"), QStringLiteral("金額")}) + rows;
    // A blank line and a heading of its own, so that a spreadsheet shows two tables.
    *csv += Csv::line({}) + Csv::line({Statement::Title}) +
            Csv::line({QStringLiteral("番号"), QStringLiteral("科目"), QStringLiteral("金額")});
    for (const Statement::Line &l : lines)
        *csv += Csv::line({QString::number(l.number), Csv::textCell(l.name),
                           l.amount ? QString::number(*l.amount) : QString()});
    return true;
}

bool CowCsv::registeredNumbers(YearFile &file, QSet<int> *numbers, QString *error) {
    QSqlQuery q(file.db());
    q.setForwardOnly(true);
    if (!q.exec(QStringLiteral("SELECT No FROM T_Cow WHERE No IS NOT NULL"))) {
        *error = file.failure(QStringLiteral("読み込み"), q.lastError().text());
        return false;
    }
    numbers->clear();
    while (q.next()) numbers->insert(q.value(0).toInt());
    q.finish();
    return true;
}

namespace {

// Where each known column stands in the file (-1 when it has none), from its header.
bool findColumns(const QStringList &header, const QString &encoding, QList<int> *at,
                 QString *error) {
    QHash<QString, int> known;
    for (int c = 0; c < columns().size(); ++c) known.insert(normalKey(columns()[c].caption), c);
    // What the calf list calls the purchase amount is the same column.
    known.insert(normalKey(QStringLiteral("素畜費・種付料")), ColIKingaku);
    *at = QList<int>(columns().size(), -1);
    for (int i = 0; i < header.size(); ++i) {
        const int c = known.value(normalKey(header[i]), -1);
        if (c < 0) continue;
        if ((*at)[c] >= 0) {
            *error =
                QStringLiteral("見出しの行に「%1」の列が 2 つあります。").arg(columns()[c].caption);
            return false;
        }
        (*at)[c] = i;
    }
    for (int required : {ColNo, ColIDate}) {
        if ((*at)[required] >= 0) continue;
        // A file read in the wrong encoding shows up here, so the message names the one used.
        *error = QStringLiteral(
                     "見出しの行に「%1」の列がありません。\n"
                     "1 行目には列の名前（No、子牛名前、導入・種付年月日 など）を書いてください。\n"
                     "（このファイルは %2 として読みました。）")
                     .arg(columns()[required].caption, encoding);
        return false;
    }
    return true;
}

// The status from its code, else from its name; a calf with neither starts at 導入・種付,
// as a new calf in the editor does. Returns why the row is refused, or "".
QString statusOf(const QString &code, const QString &name, int *status) {
    *status = Dounyuu;
    if (!code.isEmpty()) {
        const auto n = Amount::parseCount(code);
        if (!n || *n < 1 || *n > 4)
            return QStringLiteral("「処理」は 1 から 4 の番号にしてください（%1）。")
                .arg(Binding::excerpt(code));
        *status = *n;
    } else if (!name.isEmpty()) {
        for (int i = 0; i < statusNames.size(); ++i)
            if (normalKey(statusNames[i]) == normalKey(name)) {
                *status = i + 1;
                return {};
            }
        return QStringLiteral(
                   "「処理名」は 導入・種付、肥育中、売却、死亡 のどれかにしてください（%1）。")
            .arg(Binding::excerpt(name));
    }
    return {};
}

// One row as the calf editor would store it: the editor's readers for every field, the
// month rule for the months. Returns why the row is refused, or "".
QString calfOf(const QStringList &cells, const QList<int> &at, QVariantMap *calf) {
    const auto cellOf = [&](int c) { return at[c] < 0 ? QString() : cells[at[c]]; };
    QString problem;
    for (int c :
         {ColNo, ColName, ColOName, ColIDate, ColIKingaku, ColKisyu, ColODate, ColHiikuKingaku,
          ColKimatu, ColSKingaku, ColSHinsyu, ColSTouroku, ColSSaki, ColSJika, ColSBirth}) {
        const Column &col = columns()[c];
        const QString typed = col.kind == Kind::Text ? Csv::readText(cellOf(c)) : cellOf(c);
        const auto value = Binding::toStored(typed, col.kind, col.caption, &problem);
        if (!value) return problem + QStringLiteral("（%1）").arg(Binding::excerpt(typed));
        if (col.high > 0 && !value->isNull() &&
            (value->toInt() < col.low || value->toInt() > col.high))
            return QStringLiteral("「%1」は %2にしてください（%3）。")
                .arg(col.caption,
                     col.low == 0 && col.high == 1
                         ? QStringLiteral("0（いいえ）か 1（はい）")
                         : QStringLiteral("%1 から %2 の番号").arg(col.low).arg(col.high),
                     Binding::excerpt(typed));
        calf->insert(col.field, *value);
    }
    if (calf->value(QStringLiteral("No")).isNull()) return QStringLiteral("「No」が空です。");
    if (calf->value(QStringLiteral("I_Date")).isNull())
        return QStringLiteral("「導入・種付年月日」が空です。");
    int status = 0;
    problem = statusOf(cellOf(ColSyori).trimmed(), cellOf(ColSyoriName).trimmed(), &status);
    if (!problem.isEmpty()) return problem;
    const QDate start =
        QDate::fromString(calf->value(QStringLiteral("I_Date")).toString(), Qt::ISODate);
    const QVariant sold = calf->value(QStringLiteral("O_Date"));
    const QDate end =
        sold.isNull() ? Clock::today() : QDate::fromString(sold.toString(), Qt::ISODate);
    calf->insert(QStringLiteral("Syori"), status);
    calf->insert(QStringLiteral("Hiikutuki"), int(FatteningMonths(start, end, qint16(status))));
    return {};
}

}  // namespace

bool CowCsv::read(const QByteArray &bytes, const QSet<int> &registered, Import *out, QString *error,
                  const Progress &progress) {
    *out = {};
    QString text;
    if (!Csv::decode(bytes, &text, &out->encoding, error)) return false;
    QList<Csv::Record> records;
    if (!Csv::parse(text, &records, error)) return false;
    text.clear();
    const QStringList header = records.value(0).cells;
    QList<int> at;
    if (!findColumns(header, out->encoding, &at, error)) return false;

    QHash<int, int> seen;  // calf number -> line it first came on
    const qint64 total = records.size() - 1;
    for (qint64 r = 1; r < records.size(); ++r) {
        if (progress && r % 1000 == 0) progress(r, total);
        const Csv::Record &rec = records[r];
        QVariantMap calf;
        QString problem;
        if (rec.cells.size() != header.size())
            problem = QStringLiteral("列の数が見出しと違います（見出し %1 列、この行 %2 列）。")
                          .arg(header.size())
                          .arg(rec.cells.size());
        else
            problem = calfOf(rec.cells, at, &calf);
        if (problem.isEmpty()) {
            const int no = calf.value(QStringLiteral("No")).toInt();
            if (registered.contains(no))
                problem = QStringLiteral("No %1 の子牛はすでに台帳に登録されています。").arg(no);
            else if (const int first = seen.value(no, 0); first > 0)
                problem = QStringLiteral("No %1 はこのファイルの %2 行目にもあります。")
                              .arg(no)
                              .arg(first);
            else
                seen.insert(no, rec.line);
        }
        if (problem.isEmpty())
            out->calves << std::move(calf);
        else
            out->refused.append({rec.line, problem});
    }
    if (progress) progress(total, total);
    return true;
}

bool CowCsv::write(YearFile &file, const QList<QVariantMap> &calves, QString *error,
                   const Progress &progress) {
    QStringList fields = {"Syori", "Hiikutuki"};
    for (const Column &c : columns())
        if (!c.field.isEmpty() && !fields.contains(c.field)) fields << c.field;
    QStringList marks;
    for (int i = 0; i < fields.size(); ++i) marks << QStringLiteral("?");
    const QString sql = QStringLiteral("INSERT INTO T_Cow (%1) VALUES (%2)")
                            .arg(fields.join(QLatin1Char(',')), marks.join(QLatin1Char(',')));
    return file.transaction(
        [&](QString *err) {
            QSqlQuery q(file.db());
            if (!q.prepare(sql)) {
                *err = file.failure(QStringLiteral("取り込み"), q.lastError().text());
                return false;
            }
            for (qsizetype i = 0; i < calves.size(); ++i) {
                for (int f = 0; f < fields.size(); ++f) q.bindValue(f, calves[i].value(fields[f]));
                if (!q.exec()) {
                    *err = file.failure(QStringLiteral("取り込み"), q.lastError().text());
                    return false;
                }
                if (i == 0) MORIVA_CHECKPOINT("csv import: first calf inserted");
                if (progress && (i + 1) % 1000 == 0) progress(i + 1, calves.size());
            }
            if (progress) progress(calves.size(), calves.size());
            return true;
        },
        error);
}
