#pragma once

#include <QDialog>

class QLineEdit;
class QPushButton;

// First run: asks for the era year, makes that year's file and the pointer file.
class Frm_Init : public QDialog {
    Q_OBJECT
  public:
    explicit Frm_Init(QWidget *parent = nullptr);

    // The accepted year text, as it names the file.
    const QString &yearText() const { return yearText_; }

    void cmd_Set_Click();

  private:
    QLineEdit *t_Nendo;
    QPushButton *cmd_Set;
    QString yearText_;
};
