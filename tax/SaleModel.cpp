#include "SaleModel.h"

#include <QHash>

#include "EraDate.h"
#include "Fields.h"
#include "SaleData.h"

using Binding::Kind;

namespace {

const Fields::Field &fieldAt(int field) {
    return Fields::field(Fields::Sale(field));
}

bool chosen(int field) {
    return !fieldAt(field).codes.isEmpty();
}

}  // namespace

const QList<Fields::Sale> &SaleModel::shown() {
    using namespace Fields;
    static const QList<Sale> order = {S_Kingaku, S_Zei,  S_Hokyu, S_Hinsyu, S_Touroku,
                                      S_Uriba,   S_Jika, S_Birth, S_Kotai,  S_Aite};
    return order;
}

bool SaleModel::load(const YearFile &file, QString *error) {
    std::vector<SaleData::Row> data;
    if (!SaleData::load(file, &data, error)) return false;
    QHash<qint64, const Row *> typing;
    for (const Row &r : rows_)
        if (r.dirty) typing.insert(r.rowid, &r);
    std::vector<Row> rows;
    rows.reserve(data.size());
    bool sameCalves = data.size() == rows_.size();
    for (size_t i = 0; i < data.size(); ++i) {
        SaleData::Row &d = data[i];
        sameCalves = sameCalves && rows_[i].rowid == d.rowid;
        Row row;
        if (const Row *kept = typing.value(d.rowid)) {
            row = *kept;
        } else {
            row.rowid = d.rowid;
            row.stored = std::move(d.stored);
            showStored(&row);
        }
        row.head = std::move(d.head);  // the register's 導入日 may have changed
        rows.push_back(std::move(row));
    }
    // The same calves in the same order: the view keeps its place and its open editor.
    if (sameCalves) {
        rows_ = std::move(rows);
        if (!rows_.empty()) emit dataChanged(index(0, 0), index(rowCount() - 1, columnCount() - 1));
        return true;
    }
    beginResetModel();
    rows_ = std::move(rows);
    endResetModel();
    return true;
}

void SaleModel::showStored(Row *row) const {
    row->typed.clear();
    for (int f = 0; f < Fields::SaleCount; ++f)
        row->typed << (chosen(f) ? QString() : Binding::display(row->stored[f], fieldAt(f).kind));
}

qint64 SaleModel::rowid(int row) const {
    return row >= 0 && row < rowCount() ? rows_[row].rowid : 0;
}

int SaleModel::rowOf(qint64 rowid) const {
    for (int r = 0; r < rowCount(); ++r)
        if (rows_[r].rowid == rowid) return r;
    return -1;
}

SaleModel::Refusal SaleModel::save(YearFile &file, int r) {
    if (r < 0 || r >= rowCount() || !rows_[r].dirty) return {};
    Row &row = rows_[r];
    Refusal no;
    QVariantList stored = row.stored;
    // In the order typed, so that the first field refused is the one the farmer reached first.
    for (Fields::Sale f : shown()) {
        if (chosen(f)) continue;
        const Fields::Field &field = fieldAt(f);
        const auto value = Binding::toStored(row.typed[f], field.kind, field.caption, &no.error);
        if (!value) {
            no.place = placeOf(f);
            if (field.kind == Kind::Text) no.fits = Binding::fitting(row.typed[f]);
            return no;
        }
        stored[f] = *value;
    }
    Fields::Sale refused = Fields::S_Birth;
    no.error = SaleData::refusal(row.head, stored, &refused);
    if (!no.error.isEmpty()) {
        no.place = placeOf(refused);
        return no;
    }
    if (!SaleData::save(file, row.rowid, stored, &no.error)) return no;
    row.stored = stored;
    row.dirty = false;
    // As stored: "1000" comes back "1,000", "R1.5.1" as the era form; one cell at a time,
    // so that an open editor shows it too.
    showStored(&row);
    for (int p = 0; p < placeCount(); ++p)
        emit dataChanged(index(r, columnOf(p)), index(r, columnOf(p)));
    return {{}, -1, -1, SaleData::warning(row.head, stored)};
}

int SaleModel::rowCount(const QModelIndex &parent) const {
    return parent.isValid() ? 0 : int(rows_.size());
}

int SaleModel::columnCount(const QModelIndex &parent) const {
    return parent.isValid() ? 0 : FixedColumns + placeCount();
}

QVariant SaleModel::data(const QModelIndex &index, int role) const {
    if (!checkIndex(index, CheckIndexOption::IndexIsValid)) return {};
    const Row &row = rows_[index.row()];
    const int place = placeOf(index.column());
    const int f = place < 0 ? -1 : shown()[place];
    if (role == Qt::TextAlignmentRole) {
        const bool number =
            f >= 0 && !chosen(f) && fieldAt(f).kind != Kind::Text && fieldAt(f).kind != Kind::Date;
        return int((number ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter);
    }
    if (role != Qt::DisplayRole && role != Qt::EditRole) return {};
    switch (index.column()) {
        case 0:
            return QString::number(row.head.No);
        case 1:
            return Binding::plainText(row.head.Name);
        case 2:
            return EraDate::format(row.head.O_Date);
    }
    if (!chosen(f)) return row.typed[f];
    return role == Qt::EditRole ? row.stored[f] : QVariant(fieldAt(f).word(row.stored[f]));
}

bool SaleModel::setData(const QModelIndex &index, const QVariant &value, int role) {
    if (!checkIndex(index, CheckIndexOption::IndexIsValid) || role != Qt::EditRole) return false;
    const int place = placeOf(index.column());
    if (place < 0) return false;
    const int f = shown()[place];
    Row &row = rows_[index.row()];
    if (!chosen(f))
        row.typed[f] = value.toString();
    else if (value.isNull() || fieldAt(f).code(value))
        row.stored[f] = value.isNull() ? QVariant() : QVariant(value.toInt());
    else
        return false;  // a number off the list is never taken
    row.dirty = true;
    emit dataChanged(index, index);
    return true;
}

Qt::ItemFlags SaleModel::flags(const QModelIndex &index) const {
    if (!checkIndex(index, CheckIndexOption::IndexIsValid)) return Qt::NoItemFlags;
    return Qt::ItemIsEnabled |
           (placeOf(index.column()) >= 0 ? Qt::ItemIsEditable : Qt::ItemFlags());
}

QVariant SaleModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || section < 0 || section >= columnCount())
        return QAbstractTableModel::headerData(section, orientation, role);
    if (role == Qt::TextAlignmentRole) return int(Qt::AlignLeft | Qt::AlignBottom);
    if (role != Qt::DisplayRole) return {};
    static const QString fixed[] = {QStringLiteral("No"), QStringLiteral("子牛名前"),
                                    QStringLiteral("売却日")};
    if (section < FixedColumns) return fixed[section];
    // A chosen field's heading lists its choices, one a line: they are typed by number.
    const Fields::Field &f = fieldAt(shown()[placeOf(section)]);
    QStringList parts{f.caption};
    for (const Fields::Code &c : f.codes) parts << QStringLiteral("%1 %2").arg(c.code).arg(c.word);
    return parts.join(QLatin1Char('\n'));
}
