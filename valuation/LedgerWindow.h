#pragma once

#include <QList>
#include <QStringList>
#include <QWidget>
#include <memory>

#include "BoundFields.h"
#include "Fields.h"
#include "Frm_Wk.h"

class CurrentYear;
class DataSource;
class QLineEdit;
class QPushButton;

// An entry window over a ledger table that holds the year's one record: every
// activation shows the stored record again, 設定 saves it in one transaction and
// closes. The expense and income windows differ only in their items.
class LedgerWindow : public QWidget {
    Q_OBJECT
  public:
    ~LedgerWindow() override;

    // Every activation: show the stored record again, dropping unsaved typing.
    void Form_Activate();
    void cmd_Set_Click();

    // Before the program itself closes the window (a restore, the exit): typing not yet
    // saved is the farmer's to give up, not ours to drop. Asks only when something typed
    // differs from what the window showed; false when the farmer keeps it (Cancel).
    bool mayDropTyping();

  protected:
    // Items in table order, which is also the focus order; a free item's name field
    // stands where its caption would. Amounts fill columns of rowsPerColumn rows.
    LedgerWindow(CurrentYear &year, const QString &name, const QString &title, const QString &table,
                 const QList<Fields::Field> &items, int rowsPerColumn, QWidget *parent);

    QLineEdit *field(const QString &column) const;
    // The year file the window opened, which it keeps after a change of year; empty
    // when it could not open one.
    QString fileName() const;
    virtual void filled() {}
    // The totals the window's table feeds, read again whenever it closes.
    virtual QList<Frm_Wk::Source> fed() const = 0;

    bool event(QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

    CurrentYear &year_;

  private:
    void chooseRecord();
    QList<Binding::Field> namedFields() const;

    QString title_;
    std::unique_ptr<DataSource> source_;
    QList<Binding::Field> fields_;
    QStringList shown_;  // the fields' texts as the last fill left them
    QPushButton *cmd_Set = nullptr;
};
