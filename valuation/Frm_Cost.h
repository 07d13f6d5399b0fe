#pragma once

#include <QList>
#include <QWidget>
#include <memory>

#include "Binding.h"

class DataSource;
class QLineEdit;
class QPushButton;

// The year's one expense record: the statement's expense lines, the feed stocks and
// the rearing cost, whose totals the work window holds.
class Frm_Cost : public QWidget {
    Q_OBJECT
  public:
    explicit Frm_Cost(QWidget *parent = nullptr);
    ~Frm_Cost() override;

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

    std::unique_ptr<DataSource> Data_Cost;
    QList<Binding::Field> fields_;  // table order, which is also the focus order
    QLineEdit *t_Nidukuri = nullptr;
    QPushButton *cmd_Set = nullptr;
};
