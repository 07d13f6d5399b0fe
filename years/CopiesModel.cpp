#include "CopiesModel.h"

#include <QDir>

#include "Amount.h"
#include "M_Cow.h"

namespace {

enum Column { Year, Made, KindColumn, Heads, Closing, Reason, Columns };

QString kindName(Restore::Kind kind) {
    switch (kind) {
        case Restore::Kind::Daily:
            return QStringLiteral("毎日");
        case Restore::Kind::BeforeClear:
            return QStringLiteral("データクリアの前");
        case Restore::Kind::BeforeRestore:
            return QStringLiteral("戻す前");
        case Restore::Kind::Saved:
            return QStringLiteral("保存したもの");
    }
    return {};
}

// When each copy was made as its row says it: to the minute, and to the second where
// rows would look alike. A saved backup's folder name knows only the minute.
QStringList madeTexts(const QList<Restore::Copy> &copies) {
    QStringList minutes;
    for (const Restore::Copy &c : copies)
        minutes << c.made.toString(QStringLiteral("yyyy-MM-dd HH:mm"));
    QStringList texts = minutes;
    for (int r = 0; r < copies.size(); ++r)
        if (minutes.count(minutes[r]) > 1 && copies[r].kind != Restore::Kind::Saved)
            texts[r] = copies[r].made.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    return texts;
}

}  // namespace

void CopiesModel::setCopies(QList<Restore::Copy> copies) {
    beginResetModel();
    copies_ = std::move(copies);
    made_ = madeTexts(copies_);
    endResetModel();
}

int CopiesModel::rowCount(const QModelIndex &parent) const {
    return parent.isValid() ? 0 : int(copies_.size());
}

int CopiesModel::columnCount(const QModelIndex &parent) const {
    return parent.isValid() ? 0 : Columns;
}

QVariant CopiesModel::data(const QModelIndex &index, int role) const {
    if (!checkIndex(index, CheckIndexOption::IndexIsValid)) return {};
    const Restore::Copy &c = copies_[index.row()];
    const bool usable = c.problem.isEmpty();
    switch (role) {
        case Qt::ToolTipRole:
            return QDir::toNativeSeparators(c.path) +
                   (usable ? QString() : QLatin1Char('\n') + c.problem);
        case Qt::TextAlignmentRole:
            if (index.column() == Heads || index.column() == Closing)
                return int(Qt::AlignRight | Qt::AlignVCenter);
            return {};
        case Qt::DisplayRole:
            break;
        default:
            return {};
    }
    switch (index.column()) {
        case Year:
            return M_Cow::yearOfFileName(c.yearFile);
        case Made:
            return made_[index.row()];
        case KindColumn:
            return kindName(c.kind);
        case Heads:
            return usable ? Amount::format(c.heads) : QString();
        case Closing:
            return usable && c.closing ? Amount::format(*c.closing) : QString();
        case Reason:
            return c.reason;
    }
    return {};
}

Qt::ItemFlags CopiesModel::flags(const QModelIndex &index) const {
    // Greyed and not selectable: a copy that cannot be used is never restored.
    if (!checkIndex(index, CheckIndexOption::IndexIsValid) ||
        !copies_[index.row()].problem.isEmpty())
        return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable;
}

QVariant CopiesModel::headerData(int section, Qt::Orientation orientation, int role) const {
    static const QString captions[Columns] = {
        QStringLiteral("年度"), QStringLiteral("作った日時"), QStringLiteral("種類"),
        QStringLiteral("頭数"), QStringLiteral("期末棚卸計"), QStringLiteral("備考")};
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 &&
        section < Columns)
        return captions[section];
    return QAbstractTableModel::headerData(section, orientation, role);
}
