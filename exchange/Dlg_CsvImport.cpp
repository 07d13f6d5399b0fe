#include "Dlg_CsvImport.h"

#include <QAbstractTableModel>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

#include "Amount.h"
#include "KeyNav.h"
#include "MsgText.h"

namespace {

// A view over the refused rows; a file of 100,000 bad rows must not build 200,000 items.
class RefusalModel : public QAbstractTableModel {
  public:
    RefusalModel(const QList<CowCsv::Refusal> &rows, QObject *parent)
        : QAbstractTableModel(parent), rows_(rows) {}
    int rowCount(const QModelIndex &parent = {}) const override {
        return parent.isValid() ? 0 : int(rows_.size());
    }
    int columnCount(const QModelIndex &parent = {}) const override {
        return parent.isValid() ? 0 : 2;
    }
    QVariant data(const QModelIndex &index, int role) const override {
        if (!index.isValid()) return {};
        const CowCsv::Refusal &r = rows_[index.row()];
        if (role == Qt::DisplayRole)
            return index.column() == 0 ? QVariant(Amount::format(r.line)) : QVariant(r.reason);
        if (role == Qt::TextAlignmentRole && index.column() == 0)
            return int(Qt::AlignRight | Qt::AlignVCenter);
        return {};
    }
    QVariant headerData(int section, Qt::Orientation o, int role) const override {
        if (o != Qt::Horizontal || role != Qt::DisplayRole) return {};
        return section == 0 ? QStringLiteral("行") : QStringLiteral("理由");
    }

  private:
    const QList<CowCsv::Refusal> rows_;
};

}  // namespace

Dlg_CsvImport::Dlg_CsvImport(const CowCsv::Import &import, const QString &fileName, QWidget *parent)
    : QDialog(parent) {
    setObjectName(QStringLiteral("Dlg_CsvImport"));
    setWindowTitle(QStringLiteral("CSV取り込み"));

    auto *layout = new QVBoxLayout(this);
    auto *lbl_File = new QLabel(
        QStringLiteral("ファイル：%1（%2）").arg(MsgText::fileLabel(fileName), import.encoding),
        this);
    lbl_File->setObjectName(QStringLiteral("lbl_File"));
    auto *lbl_Count = new QLabel(
        QStringLiteral("読み込んだ子牛：%1 頭").arg(Amount::format(import.calves.size())), this);
    lbl_Count->setObjectName(QStringLiteral("lbl_Count"));
    auto *lbl_Refused = new QLabel(this);
    lbl_Refused->setObjectName(QStringLiteral("lbl_Refused"));
    lbl_Refused->setWordWrap(true);
    if (!import.refused.isEmpty())
        lbl_Refused->setText(
            QStringLiteral(
                "取り込めない行：%1 行。\n"
                "1 行でもあると何も取り込みません。ファイルを直して、もう一度取り込んでください。")
                .arg(Amount::format(import.refused.size())));
    else if (import.calves.isEmpty())
        lbl_Refused->setText(QStringLiteral("見出しの行のほかに子牛の行がありません。"));
    else
        lbl_Refused->setText(QStringLiteral("すべての行を取り込めます。"));
    layout->addWidget(lbl_File);
    layout->addWidget(lbl_Count);
    layout->addWidget(lbl_Refused);

    auto *grid = new QTableView(this);
    grid->setObjectName(QStringLiteral("grid_Refused"));
    grid->setModel(new RefusalModel(import.refused, grid));
    grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    grid->verticalHeader()->hide();
    grid->horizontalHeader()->setStretchLastSection(true);
    grid->setColumnWidth(0, 80);
    grid->setVisible(!import.refused.isEmpty());
    layout->addWidget(grid);

    cmd_Import = new QPushButton(QStringLiteral("取り込む"), this);
    cmd_Import->setObjectName(QStringLiteral("cmd_Import"));
    cmd_Import->setEnabled(import.refused.isEmpty() && !import.calves.isEmpty());
    auto *cmd_Cancel = new QPushButton(QStringLiteral("キャンセル"), this);
    cmd_Cancel->setObjectName(QStringLiteral("cmd_Cancel"));
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    auto *keys = new KeyNav(this);
    for (QPushButton *b : {cmd_Import, cmd_Cancel}) {
        b->setAutoDefault(false);
        buttons->addWidget(b);
        keys->button(b);
    }
    layout->addLayout(buttons);
    connect(cmd_Import, &QPushButton::clicked, this, &QDialog::accept);
    connect(cmd_Cancel, &QPushButton::clicked, this, &QDialog::reject);
    (cmd_Import->isEnabled() ? cmd_Import : cmd_Cancel)->setFocus();
    resize(import.refused.isEmpty() ? QSize(480, 160) : QSize(720, 420));
}
