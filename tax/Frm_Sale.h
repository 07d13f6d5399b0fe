#pragma once

#include <QWidget>
#include <memory>
#include <vector>

#include "SaleData.h"

class CurrentYear;
class KeyNav;
class QLineEdit;
class QPushButton;
class QScrollArea;
class YearFile;

// "売却牛の明細": one row per calf sold in the year, in the register's order, whose sale
// data is typed in like a spreadsheet. A row is saved when the focus leaves it and when
// the window closes; a row that cannot be saved keeps the focus and what was typed.
class Frm_Sale : public QWidget {
    Q_OBJECT
  public:
    static const QString Title;

    explicit Frm_Sale(CurrentYear &year, QWidget *parent = nullptr);
    ~Frm_Sale() override;

    // Every activation: the row being typed saved, then the list read again, so that a
    // calf whose status changed in the register joins or leaves it.
    void Form_Activate();
    void cmd_Hantei_Click();

    int rowCount() const { return int(rows_.size()); }
    // The entry field of a row (from 0) and a Fields::Sale; nullptr outside the list.
    QLineEdit *field(int row, int column) const;

  protected:
    bool event(QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

  private:
    struct Row {
        qint64 rowid = 0;
        SoldHead head;             // its register dates, which the birth date must agree with
        QList<QLineEdit *> edits;  // by Fields::Sale
        QVariantList stored;       // what the file holds, or the code chosen since
        bool dirty = false;
    };
    void fill();
    void addRow(int r, const SaleData::Row &data, class QGridLayout *grid);
    bool saveRow(int r);
    QWidget *moveTo(int fromRow, int row, int column);
    void focusChanged(QWidget *now);

    CurrentYear &year_;
    std::shared_ptr<YearFile> file_;
    std::vector<Row> rows_;
    QList<QVariantList> shown_;  // what the rows were built from
    int current_ = -1;           // the row the focus is in
    bool busy_ = false;          // saving or filling: focus changes are the window's own
    bool refusedInput_ = false;  // the last save refused what was typed
    QScrollArea *scroll_ = nullptr;
    KeyNav *keys_ = nullptr;     // the button's
    KeyNav *rowKeys_ = nullptr;  // the rows' fields, built with them
    QMetaObject::Connection following_;
    QPushButton *cmd_Hantei = nullptr;
};
