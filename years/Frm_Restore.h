#pragma once

#include <QDialog>
#include <QList>
#include <functional>

#include "Restore.h"

class QTableWidget;
class QPushButton;

// バックアップから戻す: the copies a year can be brought back from, newest first, the
// automatic ones of the working folder and those of a chosen folder (a USB stick).
// Copies that cannot be used are listed greyed with the reason and cannot be chosen.
class Frm_Restore : public QDialog {
    Q_OBJECT
  public:
    explicit Frm_Restore(QWidget *parent = nullptr);

    // The folder chooser of both backup commands; it starts where the last one ended
    // this run, as the stick is usually the same.
    static QString askFolder(QWidget *parent, const QString &caption);
    // Test seam: answers the folder chooser ("" for Cancel); empty restores it.
    static void setFolderAnswer(std::function<QString()> answer);

    void cmd_Folder_Click();
    void cmd_Restore_Click();

  private:
    void fill();

    QString savedFolder_;
    QList<Restore::Copy> copies_;
    QTableWidget *grid_Copies;
};
