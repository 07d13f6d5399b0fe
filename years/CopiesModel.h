#pragma once

#include <QAbstractTableModel>
#include <QList>
#include <QStringList>

#include "Restore.h"

// The restore list: one row per copy a year can be brought back from, newest first, with
// its 年度, when it was made, its kind, its calves and 期末棚卸計, and why it cannot be
// used. A copy that cannot be used is listed disabled, so that it is never chosen.
class CopiesModel : public QAbstractTableModel {
    Q_OBJECT
  public:
    using QAbstractTableModel::QAbstractTableModel;

    void setCopies(QList<Restore::Copy> copies);
    const QList<Restore::Copy> &copies() const { return copies_; }
    // When the row's copy was made as the row shows it.
    const QString &made(int row) const { return made_[row]; }

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

  private:
    QList<Restore::Copy> copies_;
    QStringList made_;
};
