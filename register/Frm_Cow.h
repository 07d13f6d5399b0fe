#pragma once

#include <QDialog>
#include <QList>
#include <memory>
#include <optional>

#include "BoundFields.h"

class CurrentYear;
class DataSource;
class QLineEdit;
class QPushButton;
class QRadioButton;

// Adds calves one after another (new mode) or changes the selected one (edit mode),
// counting each calf's fattening months when it is stored. The list hands it the calf
// to edit, by its rowid (CowRecordSource), or none to add new calves.
class Frm_Cow : public QDialog {
    Q_OBJECT
  public:
    Frm_Cow(CurrentYear &year, std::optional<qint64> CowRecordSource, QWidget *parent = nullptr);
    ~Frm_Cow() override;

    void cmd_New_Click();
    void cmd_Update_Click();

    // The status code as the record holds it ("1" … "4", or whatever was stored).
    const QString &t_Syori() const { return syori_; }

  signals:
    // A calf was written to the register.
    void stored();

  private:
    // On load: edit the selected calf or begin a new one, select its status, fill the fields.
    void chooseRecord();
    bool store();
    QRadioButton *option(const QString &code) const;
    QWidget *statusTarget() const;
    void selectStatus(int code);

    bool CowEditMode() const { return CowRecordSource_.has_value(); }

    const std::optional<qint64> CowRecordSource_;
    std::unique_ptr<DataSource> Data_Cow;
    QList<Binding::Field> fields_;
    QLineEdit *t_No, *t_Name, *t_OName, *t_I_Date, *t_I_Kingaku, *t_Kisyu, *t_O_Date;
    QList<QRadioButton *> options_;  // codes 1..4, top to bottom
    QPushButton *cmd_New, *cmd_Update, *cmd_Close;
    QString syori_;
};
