#pragma once

#include <QAbstractTableModel>

class DataSource;

// The calf list's eight read-only columns over the list's data source, formatted the
// way the grid shows them (dates "ge.m.d", amounts "#,##0").
class CowListModel : public QAbstractTableModel {
    Q_OBJECT
  public:
    CowListModel(const DataSource &source, QObject *parent);

    // Call after the source has been re-read.
    void sourceRefreshed();

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

  private:
    const DataSource &source_;
};
