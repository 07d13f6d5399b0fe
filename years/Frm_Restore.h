#pragma once

#include <QDialog>
#include <functional>

#include "Restore.h"

class CopiesModel;
class CurrentYear;
class QTableView;
class QPushButton;

// バックアップから戻す: the copies a year can be brought back from, newest first, the
// automatic ones of the working folder and those of a chosen folder (a USB stick).
// Copies that cannot be used are listed greyed with the reason and cannot be chosen.
class Frm_Restore : public QDialog {
    Q_OBJECT
  public:
    explicit Frm_Restore(CurrentYear &year, QWidget *parent = nullptr);

    // The folder chooser of both backup commands; it starts where the last one ended
    // this run, as the stick is usually the same.
    static QString askFolder(QWidget *parent, const QString &caption);
    // Test seam: answers the folder chooser ("" for Cancel); empty restores it.
    static void setFolderAnswer(std::function<QString()> answer);

    void cmd_Folder_Click();
    void cmd_Restore_Click();
    // Every year of the chosen row's saved backup, then the year its cowdb.inf names
    // made current: a new PC set up from the stick in one step.
    void cmd_RestoreAll_Click();

  private:
    void fill();
    int chosen() const;  // the chosen usable row, or -1
    bool confirm(const QString &question);
    // Restores one copy; the current year lets its file go and opens it again after.
    bool restoreCopy(const Restore::Copy &copy, QString *error);

    CurrentYear &year_;
    QString savedFolder_;
    CopiesModel *copies_;
    QTableView *grid_Copies;
    QPushButton *cmd_RestoreAll;
};
