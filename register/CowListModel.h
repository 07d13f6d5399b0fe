#pragma once

#include <QAbstractTableModel>

class DataSource;

// The calf list's eight read-only columns over the list's data source, formatted the
// way the grid shows them (dates "ge.m.d", amounts "#,##0"). The grid asks for more
// rows as it is scrolled, so a long register opens as fast as a short one.
class CowListModel : public QAbstractTableModel {
    Q_OBJECT
  public:
    CowListModel(DataSource &source, QObject *parent);

    // Call after the source has been re-read.
    void sourceRefreshed();

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    bool canFetchMore(const QModelIndex &parent) const override;
    void fetchMore(const QModelIndex &parent) override;

  signals:
    void readFailed(const QString &message);

  private:
    DataSource &source_;
};
