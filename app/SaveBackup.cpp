#include "SaveBackup.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>

#include "Frm_Wk.h"
#include "MsgBox.h"
#include "OwnFiles.h"
#include "SavedBackup.h"
#include "YearFile.h"

namespace {

std::function<QString()> folderAnswer;
QString lastFolder;  // for the run: the stick is usually the same each time

}  // namespace

void SaveBackup::setFolderAnswer(std::function<QString()> answer) {
    folderAnswer = std::move(answer);
}

void SaveBackup::run(QWidget *parent) {
    const QString title = QStringLiteral("バックアップを保存");
    const QString folder = OwnFiles::ask(
        [parent] {
            return folderAnswer ? folderAnswer()
                                : QFileDialog::getExistingDirectory(
                                      parent, QStringLiteral("バックアップの保存先"),
                                      lastFolder.isEmpty() ? QDir::homePath() : lastFolder);
        },
        [&](const QString &refusal) { MsgBox::show(parent, refusal, title); });
    if (folder.isEmpty()) return;
    lastFolder = folder;
    const auto closing = [](const std::shared_ptr<YearFile> &copy) -> std::optional<qint64> {
        QString ignored;  // the list then says the figure could not be computed
        const auto wk = Frm_Wk::totalsOf(copy, &ignored);
        return wk ? wk->totals().KimatuKei : std::nullopt;
    };
    SavedBackup::Saved saved;
    QString error;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const bool ok = SavedBackup::save(folder, closing, &saved, &error);
    QApplication::restoreOverrideCursor();
    if (!ok) {
        MsgBox::show(parent, error, title);
        return;
    }
    MsgBox::show(parent,
                 QStringLiteral("バックアップを保存しました。\n%1\n年度の数：%2")
                     .arg(QDir::toNativeSeparators(saved.folder))
                     .arg(saved.years),
                 title);
}
