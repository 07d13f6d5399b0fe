#pragma once

#include <QAbstractTableModel>
#include <QStringList>
#include <QVariantList>
#include <vector>

#include "SoldHead.h"

class YearFile;

#include "Fields.h"

// The grid of 売却牛の明細: No, 子牛名前 and 売却日 from the register, then the sale fields
// as they are being typed, in the order they are typed (a place, from 0, in shown()). A
// row's typing lives here until it is stored, so that nothing typed depends on an editor
// staying open.
class SaleModel : public QAbstractTableModel {
    Q_OBJECT
  public:
    static constexpr int FixedColumns = 3;  // No, 子牛名前, 売却日: read, never typed here
    static const QList<Fields::Sale> &shown();
    static int placeCount() { return int(shown().size()); }
    static int columnOf(int place) { return FixedColumns + place; }
    static int placeOf(int column) { return column - FixedColumns; }  // < 0 for a fixed one
    static int placeOf(Fields::Sale field) { return int(shown().indexOf(field)); }

    using QAbstractTableModel::QAbstractTableModel;

    // Reads the list again; a row typed and not stored keeps its typing while its calf is
    // listed. False with *error when the file cannot be read: the rows shown stay.
    bool load(const YearFile &file, QString *error);
    qint64 rowid(int row) const;    // 0 outside the list
    int rowOf(qint64 rowid) const;  // -1 when not listed

    struct Refusal {
        QString error;        // empty: stored, or nothing typed to store
        int place = -1;       // the field that refused what was typed; -1: the write
        qsizetype fits = -1;  // of a text too long: how much of it the field holds
        QString warning;      // stored, with something the farmer should check
    };
    // Stores a row typed since it was read; refused, the row keeps what was typed.
    Refusal save(YearFile &file, int row);

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    // A chosen field's EditRole is its code, its DisplayRole the code's word; a typed
    // field's are both the text as typed.
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex &index, const QVariant &value, int role = Qt::EditRole) override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

  private:
    struct Row {
        qint64 rowid = 0;
        SoldHead head;        // its register dates, which the birth date must agree with
        QVariantList stored;  // by Fields::Sale: what the file holds, or the code chosen since
        QStringList typed;    // by Fields::Sale: the text of a typed field as it stands
        bool dirty = false;
    };
    void showStored(Row *row) const;  // the typed fields' texts anew from what is stored

    std::vector<Row> rows_;
};
