#pragma once

#include <QList>
#include <QWidget>
#include <memory>

#include "Binding.h"

class DataSource;
class QPushButton;

// The year's one income record, whose total the work window holds.
class Frm_Proseed : public QWidget {
    Q_OBJECT
  public:
    explicit Frm_Proseed(QWidget *parent = nullptr);
    ~Frm_Proseed() override;

    // Every activation: show the stored record again, dropping unsaved typing.
    void Form_Activate();
    void cmd_Set_Click();

  protected:
    bool event(QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

  private:
    void chooseRecord();
    // The fields with the free items' amounts named as the user named them.
    QList<Binding::Field> namedFields() const;

    std::unique_ptr<DataSource> Data_Proseed;
    QList<Binding::Field> fields_;  // table order, which is also the focus order
    QPushButton *cmd_Set = nullptr;
};
