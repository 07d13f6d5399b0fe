#include "CowListModel.h"

#include "Binding.h"
#include "DataSource.h"

namespace {

using Binding::Kind;
struct Column {
    const char *field;
    QString caption;
    Kind kind;
};
const Column columns[] = {
    {"No", QStringLiteral("No"), Kind::Count},
    {"Name", QStringLiteral("子牛名前"), Kind::Text},
    {"OName", QStringLiteral("親牛名前"), Kind::Text},
    {"I_Date", QStringLiteral("導入・種付年月日"), Kind::Date},
    {"I_Kingaku", QStringLiteral("素畜費・種付料"), Kind::Amount},
    {"Kisyu", QStringLiteral("期首棚卸高"), Kind::Amount},
    {"O_Date", QStringLiteral("売却・死亡年月日"), Kind::Date},
    {"Hiikutuki", QStringLiteral("肥育月数"), Kind::Count},
};

}  // namespace

CowListModel::CowListModel(DataSource &source, QObject *parent)
    : QAbstractTableModel(parent), source_(source) {}

void CowListModel::sourceRefreshed() {
    beginResetModel();
    endResetModel();
}

int CowListModel::rowCount(const QModelIndex &parent) const {
    return parent.isValid() ? 0 : source_.recordCount();
}

int CowListModel::columnCount(const QModelIndex &parent) const {
    return parent.isValid() ? 0 : int(std::size(columns));
}

QVariant CowListModel::data(const QModelIndex &index, int role) const {
    if (!index.isValid() || index.row() >= rowCount() || index.column() >= columnCount()) return {};
    const Column &c = columns[index.column()];
    if (role == Qt::TextAlignmentRole)
        return QVariant::fromValue(Qt::AlignVCenter |
                                   (c.kind == Kind::Text ? Qt::AlignLeft : Qt::AlignRight));
    if (role != Qt::DisplayRole) return {};
    return Binding::display(source_.value(index.row(), QString::fromLatin1(c.field)), c.kind,
                            QLatin1Char('.'));
}

QVariant CowListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole) return {};
    if (orientation == Qt::Vertical) return section + 1;
    return section >= 0 && section < columnCount() ? columns[section].caption : QVariant();
}

bool CowListModel::canFetchMore(const QModelIndex &parent) const {
    return !parent.isValid() && source_.canFetchMore();
}

void CowListModel::fetchMore(const QModelIndex &parent) {
    if (parent.isValid()) return;
    const int first = rowCount();
    QString error;
    const bool read = source_.fetchMore(
        [&](int count) { beginInsertRows({}, first, first + count - 1); }, &error);
    if (rowCount() > first) endInsertRows();
    if (!read) emit readFailed(error);
}
