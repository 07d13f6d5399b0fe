#include "Frm_Restore.h"

#include <QDir>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include "Amount.h"
#include "Frm_Wk.h"
#include "KeyNav.h"
#include "M_Cow.h"
#include "MsgBox.h"
#include "Snapshot.h"
#include "YearFile.h"

namespace {

std::function<QString()> folderAnswer;
QString lastFolder;

const QString Title = QStringLiteral("バックアップから戻す");

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

QString madeText(const Restore::Copy &c) {
    return c.made.toString(QStringLiteral("yyyy-MM-dd HH:mm"));
}

}  // namespace

QString Frm_Restore::askFolder(QWidget *parent, const QString &caption) {
    const QString folder =
        folderAnswer ? folderAnswer()
                     : QFileDialog::getExistingDirectory(
                           parent, caption, lastFolder.isEmpty() ? QDir::homePath() : lastFolder);
    if (!folder.isEmpty()) lastFolder = folder;
    return folder;
}

void Frm_Restore::setFolderAnswer(std::function<QString()> answer) {
    folderAnswer = std::move(answer);
}

Frm_Restore::Frm_Restore(QWidget *parent) : QDialog(parent), grid_Copies(new QTableWidget(this)) {
    setObjectName(QStringLiteral("Frm_Restore"));
    setWindowTitle(Title);
    grid_Copies->setObjectName(QStringLiteral("grid_Copies"));
    grid_Copies->setColumnCount(5);
    grid_Copies->setHorizontalHeaderLabels({QStringLiteral("年度"), QStringLiteral("作った日時"),
                                            QStringLiteral("種類"), QStringLiteral("頭数"),
                                            QStringLiteral("期末棚卸計")});
    grid_Copies->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid_Copies->setSelectionBehavior(QAbstractItemView::SelectRows);
    grid_Copies->setSelectionMode(QAbstractItemView::SingleSelection);
    grid_Copies->verticalHeader()->hide();
    grid_Copies->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);

    auto *cmd_Folder = new QPushButton(QStringLiteral("フォルダを選ぶ..."), this);
    cmd_Folder->setObjectName(QStringLiteral("cmd_Folder"));
    auto *cmd_Restore = new QPushButton(QStringLiteral("戻す"), this);
    cmd_Restore->setObjectName(QStringLiteral("cmd_Restore"));
    auto *cmd_Close = new QPushButton(QStringLiteral("閉じる"), this);
    cmd_Close->setObjectName(QStringLiteral("cmd_Close"));
    auto *keys = new KeyNav(this);
    for (QPushButton *b : {cmd_Folder, cmd_Restore, cmd_Close}) {
        b->setAutoDefault(false);  // Enter on the list restores the row, nothing else
        keys->button(b);
    }
    keys->on(grid_Copies, {Qt::Key_Return}, [this] {
        cmd_Restore_Click();
        return static_cast<QWidget *>(nullptr);
    });
    connect(cmd_Folder, &QPushButton::clicked, this, &Frm_Restore::cmd_Folder_Click);
    connect(cmd_Restore, &QPushButton::clicked, this, &Frm_Restore::cmd_Restore_Click);
    connect(cmd_Close, &QPushButton::clicked, this, &QDialog::reject);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(grid_Copies, 1);
    auto *bottom = new QHBoxLayout;
    bottom->addWidget(cmd_Folder);
    bottom->addStretch();
    bottom->addWidget(cmd_Restore);
    bottom->addWidget(cmd_Close);
    layout->addLayout(bottom);
    resize(720, 420);
    fill();
    grid_Copies->setFocus();
}

void Frm_Restore::fill() {
    copies_ = Restore::find(savedFolder_, Frm_Wk::closingOf);
    grid_Copies->setRowCount(int(copies_.size()));
    for (int r = 0; r < copies_.size(); ++r) {
        const Restore::Copy &c = copies_[r];
        const bool usable = c.problem.isEmpty();
        const QStringList cells = {M_Cow::yearOfFileName(c.yearFile), madeText(c), kindName(c.kind),
                                   usable ? Amount::format(c.heads) : QStringLiteral("読めません"),
                                   !usable     ? c.problem.section(QLatin1Char('\n'), 0, 0)
                                   : c.closing ? Amount::format(*c.closing)
                                               : QString()};
        for (int col = 0; col < cells.size(); ++col) {
            auto *item = new QTableWidgetItem(cells[col]);
            if (col == 3 || (col == 4 && usable))
                item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            item->setToolTip(usable ? QDir::toNativeSeparators(c.path) : c.problem);
            // Greyed and not selectable: a copy that cannot be used is never restored.
            if (!usable) item->setFlags(Qt::ItemIsEnabled);
            grid_Copies->setItem(r, col, item);
        }
    }
    for (int r = 0; r < copies_.size(); ++r) {
        if (copies_[r].problem.isEmpty()) {
            grid_Copies->selectRow(r);
            break;
        }
    }
}

void Frm_Restore::cmd_Folder_Click() {
    const QString folder = askFolder(this, QStringLiteral("バックアップのあるフォルダ"));
    if (folder.isEmpty()) return;
    savedFolder_ = folder;
    fill();
    grid_Copies->setFocus();
}

void Frm_Restore::cmd_Restore_Click() {
    const int r = grid_Copies->currentRow();
    if (r < 0 || r >= copies_.size() || !copies_[r].problem.isEmpty() ||
        !grid_Copies->selectionModel()->isRowSelected(r, {}))
        return;
    const Restore::Copy &c = copies_[r];
    QString now = QStringLiteral("（今はありません）");
    if (QFile::exists(c.yearFile)) {
        QString error;
        const auto file = YearFile::open(c.yearFile, &error, true);
        const auto counts =
            file ? Snapshot::counts(*file, QStringLiteral("1"), &error) : std::nullopt;
        now = counts ? QStringLiteral("（子牛 %1 頭）").arg(Amount::format((*counts)[0]))
                     : QStringLiteral("（読めません）");
    }
    const QString question =
        QStringLiteral(
            "%1%2を %3 の写し（子牛 %4 頭）に戻します。今のファイルはバックアップに残します。")
            .arg(c.yearFile, now, madeText(c), Amount::format(c.heads));
    if (MsgBox::show(this, question, Title, MsgBox::Buttons::OkCancel) != MsgBox::Answer::Ok)
        return;
    const bool current = c.yearFile == M_Cow::DbFileName;
    // The work window lets the file go for the rename and reads it again after, as after
    // a year switch; a failed restore leaves the old file, which it reads again too.
    QString error;
    const bool ok =
        Restore::restore(c, current ? [] { Frm_Wk::unload(); } : std::function<void()>{}, &error);
    QString reload;
    if (current && !Frm_Wk::instance() && !Frm_Wk::load(&reload))
        error = error.isEmpty() ? reload : error + QLatin1Char('\n') + reload;
    if (!ok || !reload.isEmpty()) {
        MsgBox::show(this, error, Title);
        fill();
        return;
    }
    MsgBox::show(this, QStringLiteral("バックアップから戻しました。"), Title);
    accept();
}
