#pragma once

#include <QWidget>

class CurrentYear;
class QLineEdit;
class QPushButton;

// Changes the processing year: to a year whose file exists (a switch), or to a new
// year made from the current one (the year-end rollover).
class Frm_Year : public QWidget {
    Q_OBJECT
  public:
    explicit Frm_Year(CurrentYear &year, QWidget *parent = nullptr);

    void cmd_Set_Click();
    void cmd_Cancel_Click();

  private:
    bool valuedBeforeRollOver(const QString &fileName, bool *valued);

    CurrentYear &year_;
    QLineEdit *t_Year;
    QPushButton *cmd_Set;
    QPushButton *cmd_Cancel;
};
