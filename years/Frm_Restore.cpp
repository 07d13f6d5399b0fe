#include "Frm_Restore.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>
#include <algorithm>

#include "Amount.h"
#include "CopiesModel.h"
#include "CurrentYear.h"
#include "Frm_Wk.h"
#include "KeyNav.h"
#include "M_Cow.h"
#include "MsgBox.h"
#include "PointerFile.h"
#include "Snapshot.h"
#include "YearFile.h"
#include "YearProcedures.h"

namespace {

std::function<QString()> folderAnswer;
QString lastFolder;

const QString Title = QStringLiteral("バックアップから戻す");

// The question before a restore, with what could not be checked.
QString withCaution(const QString &question, const QString &caution) {
    return caution.isEmpty() ? question : question + QLatin1Char('\n') + caution;
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

Frm_Restore::Frm_Restore(CurrentYear &year, QWidget *parent)
    : QDialog(parent),
      year_(year),
      copies_(new CopiesModel(this)),
      grid_Copies(new QTableView(this)) {
    setObjectName(QStringLiteral("Frm_Restore"));
    setWindowTitle(Title);
    grid_Copies->setObjectName(QStringLiteral("grid_Copies"));
    grid_Copies->setModel(copies_);
    grid_Copies->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid_Copies->setSelectionBehavior(QAbstractItemView::SelectRows);
    grid_Copies->setSelectionMode(QAbstractItemView::SingleSelection);
    grid_Copies->setTabKeyNavigation(false);  // Tab leaves the list for the buttons
    grid_Copies->verticalHeader()->hide();
    grid_Copies->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    grid_Copies->horizontalHeader()->setStretchLastSection(true);

    auto *cmd_Folder = new QPushButton(QStringLiteral("フォルダを選ぶ..."), this);
    cmd_Folder->setObjectName(QStringLiteral("cmd_Folder"));
    auto *cmd_Restore = new QPushButton(QStringLiteral("戻す"), this);
    cmd_Restore->setObjectName(QStringLiteral("cmd_Restore"));
    cmd_RestoreAll = new QPushButton(QStringLiteral("すべての年度を戻す"), this);
    cmd_RestoreAll->setObjectName(QStringLiteral("cmd_RestoreAll"));
    auto *cmd_Close = new QPushButton(QStringLiteral("閉じる"), this);
    cmd_Close->setObjectName(QStringLiteral("cmd_Close"));
    auto *keys = new KeyNav(this);
    for (QPushButton *b : {cmd_Folder, cmd_Restore, cmd_RestoreAll, cmd_Close}) {
        b->setAutoDefault(false);  // Enter on the list restores the row, nothing else
        keys->button(b);
    }
    keys->on(grid_Copies, {Qt::Key_Return}, [this] {
        cmd_Restore_Click();
        return static_cast<QWidget *>(nullptr);
    });
    connect(cmd_Folder, &QPushButton::clicked, this, &Frm_Restore::cmd_Folder_Click);
    connect(cmd_Restore, &QPushButton::clicked, this, &Frm_Restore::cmd_Restore_Click);
    connect(cmd_RestoreAll, &QPushButton::clicked, this, &Frm_Restore::cmd_RestoreAll_Click);
    connect(cmd_Close, &QPushButton::clicked, this, &QDialog::reject);
    // Only a saved backup holds a whole farm's years to bring back at once.
    connect(grid_Copies->selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] {
        const int r = chosen();
        cmd_RestoreAll->setEnabled(r >= 0 && copies_->copies()[r].kind == Restore::Kind::Saved);
    });

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(grid_Copies, 1);
    auto *bottom = new QHBoxLayout;
    bottom->addWidget(cmd_Folder);
    bottom->addStretch();
    bottom->addWidget(cmd_Restore);
    bottom->addWidget(cmd_RestoreAll);
    bottom->addWidget(cmd_Close);
    layout->addLayout(bottom);
    resize(720, 420);
    fill();
    grid_Copies->setFocus();
}

void Frm_Restore::fill() {
    copies_->setCopies(Restore::find(savedFolder_, Frm_Wk::closingOf));
    cmd_RestoreAll->setEnabled(false);
    for (int r = 0; r < copies_->rowCount(); ++r) {
        if (copies_->copies()[r].problem.isEmpty()) {
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

int Frm_Restore::chosen() const {
    const int r = grid_Copies->currentIndex().row();
    return r >= 0 && r < copies_->rowCount() && copies_->copies()[r].problem.isEmpty() &&
                   grid_Copies->selectionModel()->isRowSelected(r, {})
               ? r
               : -1;
}

bool Frm_Restore::confirm(const QString &question) {
    return MsgBox::show(this, question, Title, MsgBox::Buttons::OkCancel) == MsgBox::Answer::Ok;
}

bool Frm_Restore::restoreCopy(const Restore::Copy &copy, QString *error) {
    const bool current = copy.yearFile == year_.fileName();
    // A failed restore leaves the old file, which the current year opens again too.
    const bool ok = Restore::restore(
        copy, current ? [this] { year_.close(); } : std::function<void()>{}, error);
    QString reload;
    if (current && !year_.isOpen() && !year_.reopen(&reload))
        *error = error->isEmpty() ? reload : *error + QLatin1Char('\n') + reload;
    return ok && reload.isEmpty();
}

void Frm_Restore::cmd_Restore_Click() {
    const int r = chosen();
    if (r < 0) return;
    const Restore::Copy &c = copies_->copies()[r];
    QString now = QStringLiteral("（今はありません）");
    if (QFile::exists(c.yearFile)) {
        QString error;
        const auto file = YearFile::open(c.yearFile, &error, true);
        const auto counts = file ? Snapshot::counts(*file, &error) : std::nullopt;
        now = counts ? QStringLiteral("（子牛 %1 頭）").arg(Amount::format((*counts)[0]))
                     : QStringLiteral("（読めません）");
    }
    if (!confirm(withCaution(QStringLiteral("%1%2を %3 の写し（子牛 %4 頭）に戻します。"
                                            "今のファイルはバックアップに残します。")
                                 .arg(c.yearFile, now, copies_->made(r), Amount::format(c.heads)),
                             c.caution)))
        return;
    QString error;
    if (!restoreCopy(c, &error)) {
        MsgBox::show(this, error, Title);
        fill();
        return;
    }
    MsgBox::show(this, QStringLiteral("バックアップから戻しました。"), Title);
    accept();
}

void Frm_Restore::cmd_RestoreAll_Click() {
    const int r = chosen();
    const QList<Restore::Copy> &copies = copies_->copies();
    if (r < 0 || copies[r].kind != Restore::Kind::Saved) return;
    const QString folder = QFileInfo(copies[r].path).absolutePath();
    QList<Restore::Copy> years;
    QStringList names, unusable;
    for (const Restore::Copy &c : copies) {
        if (c.kind != Restore::Kind::Saved || QFileInfo(c.path).absolutePath() != folder) continue;
        (c.problem.isEmpty() ? names : unusable) << c.yearFile;
        years << c;
    }
    // Half a farm brought back is worse than none: the farmer would not know which
    // years are the stick's.
    if (!unusable.isEmpty()) {
        MsgBox::show(
            this,
            QStringLiteral("%1 のうち %2 が使えないため、まとめては戻せません。"
                           "使える年度を一つずつ戻してください。")
                .arg(QDir::toNativeSeparators(folder), unusable.join(QStringLiteral("、"))),
            Title);
        return;
    }
    std::sort(years.begin(), years.end(), [](const Restore::Copy &a, const Restore::Copy &b) {
        return a.yearFile < b.yearFile;
    });
    names.sort();
    if (!confirm(withCaution(QStringLiteral("%1 の写し（%2 の %3 年度分）をすべて戻します。"
                                            "今のファイルはバックアップに残します。")
                                 .arg(copies_->made(r), names.join(QStringLiteral("、")),
                                      QString::number(names.size())),
                             copies[r].caution)))
        return;
    QStringList done;
    QString error;
    for (const Restore::Copy &c : years) {
        if (!restoreCopy(c, &error)) {
            if (!done.isEmpty())
                error += QStringLiteral("\n戻した年度：%1").arg(done.join(QStringLiteral("、")));
            MsgBox::show(this, error, Title);
            fill();
            return;
        }
        done << c.yearFile;
    }
    // The pointer file last: the year it names exists by now.
    QString pointed, problem;
    if (!QFileInfo(QDir(folder).filePath(PointerFile::Name)).isSymLink() &&
        ReadCurrentYear(&pointed, &problem, folder) == PointerFile::Read::Ok &&
        done.contains(pointed) && pointed != year_.fileName() &&
        !YearProcedures::switchYear(year_, pointed, &error)) {
        MsgBox::show(this, error, Title);
        fill();
        return;
    }
    MsgBox::show(this, QStringLiteral("バックアップから戻しました。"), Title);
    accept();
}
