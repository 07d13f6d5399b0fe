#pragma once

#include <QDialog>

// The program's name, version and description.
class frmAbout : public QDialog {
    Q_OBJECT
  public:
    explicit frmAbout(QWidget *parent = nullptr);

    void cmdSysInfo_Click();
};
