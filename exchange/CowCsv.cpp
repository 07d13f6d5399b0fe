#include "CowCsv.h"

#include <QDate>
#include <QHash>

#include "Amount.h"
#include "Binding.h"
#include "Calves.h"
#include "Clock.h"
#include "Csv.h"
#include "FatteningMonths.h"
#include "Fields.h"
#include "Frm_Wk.h"
#include "Statement.h"
#include "YearFile.h"

namespace {

using Binding::Kind;

// A column of the file: a field of T_Cow, or (field null) the status's name beside its code.
struct Column {
    const Fields::Field *field;
    QString caption;
    Kind kind;
};

const QString SyoriName = QStringLiteral("処理名");
// The route's column in files of earlier versions, in their codes: 1 市場, 2 農協, 3 その他.
const QString OldSakiName = QStringLiteral("売却先");

// T_Cow's exported fields in the table's order, the sale data after every column of
// earlier versions' files.
const QList<Column> &columns() {
    static const QList<Column> list = [] {
        QList<Column> l;
        for (const Fields::Field &f : Fields::cow()) {
            if (f.csv.isEmpty()) continue;
            l.append({&f, f.csv, f.kind});
            if (&f == &Fields::field(Fields::Syori)) l.append({nullptr, SyoriName, Kind::Text});
        }
        return l;
    }();
    return list;
}

int columnOf(Fields::Register f) {
    for (int c = 0; c < columns().size(); ++c)
        if (columns()[c].field == &Fields::field(f)) return c;
    return -1;
}

const Fields::Field &syori() {
    return Fields::field(Fields::Syori);
}

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
    Calves::Columns read;
    QList<int> at;  // each column's place in the rows read; the status's name is its code's
    for (const Column &c : columns()) {
        if (c.field) read << c.field;
        at << int(read.size()) - 1;
    }
    QByteArray out = Csv::bom() + Csv::line(captions());
    const bool done = Calves::each(
        *file, read,
        [&](const QVariantList &calf) {
            QStringList cells;
            for (int c = 0; c < columns().size(); ++c)
                cells << (columns()[c].field ? cell(calf[at[c]], columns()[c].kind)
                                             : syori().word(calf[at[c]]));
            out += Csv::line(cells);
        },
        error);
    if (done) *csv = std::move(out);
    return done;
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
    return Calves::numbers(file, numbers, error);
}

namespace {

// Where each known column stands in the file (-1 when it has none), from its header.
bool findColumns(const QStringList &header, const QString &encoding, QList<int> *at,
                 QString *error) {
    QHash<QString, int> known;
    for (int c = 0; c < columns().size(); ++c) known.insert(normalKey(columns()[c].caption), c);
    // What the calf list calls the purchase amount is the same column.
    known.insert(normalKey(QStringLiteral("素畜費・種付料")), columnOf(Fields::I_Kingaku));
    known.insert(normalKey(OldSakiName), int(columns().size()));
    *at = QList<int>(columns().size() + 1, -1);  // the last: an earlier version's route
    for (int i = 0; i < header.size(); ++i) {
        const int c = known.value(normalKey(header[i]), -1);
        if (c < 0) continue;
        if ((*at)[c] >= 0) {
            *error = QStringLiteral("見出しの行に「%1」の列が 2 つあります。")
                         .arg(c < columns().size() ? columns()[c].caption : OldSakiName);
            return false;
        }
        (*at)[c] = i;
    }
    for (int required : {columnOf(Fields::No), columnOf(Fields::I_Date)}) {
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
        if (!n || !syori().code(int(*n)))
            return QStringLiteral("「%1」は %2にしてください（%3）。")
                .arg(syori().caption, syori().choices(), Binding::excerpt(code));
        *status = *n;
    } else if (!name.isEmpty()) {
        QStringList words;
        for (const Fields::Code &c : syori().codes) {
            if (normalKey(c.word) == normalKey(name)) {
                *status = c.code;
                return {};
            }
            words << c.word;
        }
        return QStringLiteral("「%1」は %2 のどれかにしてください（%3）。")
            .arg(SyoriName, words.join(QStringLiteral("、")), Binding::excerpt(name));
    }
    return {};
}

// One row as the calf editor would store it: the editor's readers for every field, the
// month rule for the months. Returns why the row is refused, or "".
QString calfOf(const QStringList &cells, const QList<int> &at, QVariantMap *calf) {
    const auto cellOf = [&](int c) { return at[c] < 0 ? QString() : cells[at[c]]; };
    QString problem;
    // The status is read apart, and the months follow from the dates.
    const Fields::Field &months = Fields::field(Fields::Hiikutuki);
    for (int c = 0; c < columns().size(); ++c) {
        const Column &col = columns()[c];
        if (!col.field || col.field == &syori() || col.field == &months) continue;
        const QString typed = col.kind == Kind::Text ? Csv::readText(cellOf(c)) : cellOf(c);
        const auto value = Binding::toStored(typed, col.kind, col.caption, &problem);
        if (!value) return problem + QStringLiteral("（%1）").arg(Binding::excerpt(typed));
        if (col.field->checkedCodes && !value->isNull() && !col.field->code(*value))
            return QStringLiteral("「%1」は %2にしてください（%3）。")
                .arg(col.caption, col.field->choices(), Binding::excerpt(typed));
        calf->insert(col.field->name, *value);
    }
    if (const QString old = cellOf(int(columns().size())).trimmed(); !old.isEmpty()) {
        const auto code = Amount::parseCount(old);
        // Read by the old route's own catalogue entry, which keeps its codes.
        const Fields::Field &saki = Fields::field(Fields::S_Saki);
        const Fields::Field &uriba = Fields::field(Fields::S_Uriba);
        if (!code || !saki.code(int(*code)))
            return QStringLiteral("「%1」は %2にしてください（%3）。")
                .arg(OldSakiName, saki.choices(), Binding::excerpt(old));
        if (calf->value(uriba.name).isNull())
            calf->insert(uriba.name, int(Fields::sakiOfVersion2(int(*code))));
    }
    if (calf->value(QStringLiteral("No")).isNull()) return QStringLiteral("「No」が空です。");
    if (calf->value(QStringLiteral("I_Date")).isNull())
        return QStringLiteral("「導入・種付年月日」が空です。");
    int status = 0;
    const int syoriAt = columnOf(Fields::Syori);
    problem = statusOf(cellOf(syoriAt).trimmed(), cellOf(syoriAt + 1).trimmed(), &status);
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
    return Calves::import(file, calves, error, progress);
}
