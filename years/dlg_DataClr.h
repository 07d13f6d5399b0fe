#pragma once

#include <QDialog>

class CurrentYear;
class QPushButton;

// Empties the current year in place: every calf, every ledger amount and item name.
// The dialog itself is the only question asked.
class dlg_DataClr : public QDialog {
    Q_OBJECT
  public:
    explicit dlg_DataClr(CurrentYear &year, QWidget *parent = nullptr);

    void OKButton_Click();

  private:
    CurrentYear &year_;
    QPushButton *OKButton;
    QPushButton *CancelButton;
};
