#pragma once

#include <QWidget>
#include <memory>

class CowListModel;
class CurrentYear;
class DataSource;
class QPushButton;
class QTableView;

// Every calf of the year in a grid; the way into the calf editor.
class Frm_CowList : public QWidget {
    Q_OBJECT
  public:
    explicit Frm_CowList(CurrentYear &year, QWidget *parent = nullptr);
    ~Frm_CowList() override;

    void cmd_New_Click();
    void cmd_Edit_Click();
    void cmd_Del_Click();

    // Re-reads the register (after the editor stored a calf) and keeps the row selected.
    void Data_CowList_Refresh();
    const DataSource &Data_CowList() const { return *source_; }

  protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

  private:
    int currentRow() const;
    void selectRow(int row);
    void currentChanged();

    CurrentYear &year_;
    std::unique_ptr<DataSource> source_;
    CowListModel *model_ = nullptr;
    QTableView *DBGrid_Cow;
    QPushButton *cmd_Edit;
};
