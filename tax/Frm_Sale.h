#pragma once

#include <QWidget>
#include <memory>

#include "Fields.h"

class CurrentYear;
class KeyNav;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableView;
class SaleModel;
class YearFile;

// "売却牛の明細": one row per calf sold in the year, in the register's order, whose sale
// data is typed in like a spreadsheet. A row is saved when the focus leaves it and when
// the window closes; a row that cannot be saved keeps the focus and what was typed.
class Frm_Sale : public QWidget {
    Q_OBJECT
  public:
    static const QString Title;

    explicit Frm_Sale(CurrentYear &year, QWidget *parent = nullptr);

    // Every activation: the row being typed saved, then the list read again, so that a
    // calf whose status changed in the register joins or leaves it.
    void Form_Activate();
    void cmd_Hantei_Click();

    int rowCount() const;
    // The entry field of a row (from 0) and a sale field while it is open, or nullptr:
    // the list keeps one field open, the one being typed or last typed.
    QLineEdit *field(int row, Fields::Sale field) const;

  protected:
    bool event(QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

  private:
    void fill();
    void showTerms();
    void keiriChosen(int index);
    bool kigenTyped();  // false when refused: the field keeps what was typed
    bool saveRow(int r);
    QWidget *moveTo(int fromRow, int row, int column);
    // Columns here are places in the typing order (SaleModel::shown()).
    QLineEdit *fieldAt(int row, int place) const;
    QLineEdit *open(int row, int column, bool focus = true);
    void addKeys(QLineEdit *edit, int row, int column);
    int currentRow() const;

    CurrentYear &year_;
    std::shared_ptr<YearFile> file_;
    SaleModel *model_ = nullptr;
    QTableView *grid_Sale = nullptr;
    QLabel *empty_ = nullptr;    // in place of the rows when no calf was sold
    bool refusedInput_ = false;  // the last save refused what was typed
    KeyNav *keys_ = nullptr;     // the button's; each open field has its own
    QPushButton *cmd_Hantei = nullptr;
    // The year's settings for the rule, above the rows.
    QComboBox *cmb_Keiri = nullptr;
    QLineEdit *t_Kigen = nullptr;
    QLabel *lbl_Kigen = nullptr;
    bool showingTerms_ = false;
};
