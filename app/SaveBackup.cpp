#include "SaveBackup.h"

#include <QApplication>
#include <QDir>

#include "Frm_Restore.h"
#include "Frm_Wk.h"
#include "MsgBox.h"
#include "OwnFiles.h"
#include "SavedBackup.h"

void SaveBackup::run(QWidget *parent) {
    const QString title = QStringLiteral("バックアップを保存");
    const QString folder = OwnFiles::ask(
        [parent] { return Frm_Restore::askFolder(parent, QStringLiteral("バックアップの保存先")); },
        [&](const QString &refusal) { MsgBox::show(parent, refusal, title); });
    if (folder.isEmpty()) return;
    SavedBackup::Saved saved;
    QString error;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const bool ok = SavedBackup::save(folder, Frm_Wk::closingOf, &saved, &error);
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
