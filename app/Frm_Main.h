#pragma once

#include <QList>
#include <QMainWindow>
#include <QPointer>

class CurrentYear;
class QAction;
class QPushButton;

// The home window: opens every other window, each on the current year it is handed, and
// ends the program, after asking.
class Frm_Main : public QMainWindow {
    Q_OBJECT
  public:
    explicit Frm_Main(CurrentYear &year, QWidget *parent = nullptr);

    void cmd_Cow_Click();
    void cmd_Proseed_Click();
    void cmd_Cost_Click();
    void cmd_Print_Click();
    void cmd_Year_Click();
    void mnu_DataClr_Click();
    void mnu_Restore_Click();
    void mnu_Rerese_Click();
    void mnu_About_Click();

  protected:
    void closeEvent(QCloseEvent *event) override;

  private:
    // Shows the window once; a second request brings the open one to the front.
    template <typename Window>
    void showOnce(QPointer<QWidget> &slot);
    // The windows opened from here that are still open.
    QList<QWidget *> openWindows() const;
    // Closes them for a restore or the exit, asking first about typing not yet saved;
    // false when the farmer keeps the typing: nothing is closed then.
    bool closeWindows();

    CurrentYear &year_;
    QPointer<QWidget> frmCowList_, frmProseed_, frmCost_, frmYear_, frmSale_;
};
