#pragma once

#include <QDialog>
#include <functional>
#include <memory>

#include "Report.h"

class CurrentYear;
class QPushButton;
class YearFile;

// The print window: every time it becomes active it values the register again, so
// that both forms print the latest figures; its buttons set the printer's orientation
// and open a form's preview; closing it sets the printer back to portrait.
class Frm_Print : public QDialog {
    Q_OBJECT
  public:
    explicit Frm_Print(CurrentYear &year, QWidget *parent = nullptr);
    ~Frm_Print() override;

    // Preparation: re-read T_Cow, value every calf, re-read the calf totals. An empty
    // register, or one that cannot be valued, is said and the window closes.
    void Form_Activate();
    void cmd_Tanaorosi_Click();
    void cmd_Meisai_Click();

    // The main menu's "PDFに保存": the same preparation, then both forms written as PDF
    // files into a folder the user chooses, with no printer needed. more adds the
    // documents of the layers above (false with a message when it cannot).
    using More = std::function<bool(QList<Report::Document> *docs, QString *error)>;
    static void savePdfs(QWidget *parent, CurrentYear &year, const More &more = {});
    // Test seam: answers the folder dialog ("" for Cancel).
    static void setFolderAnswer(std::function<QString()> answer);

  protected:
    void changeEvent(QEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void done(int result) override;

  private:
    enum class Form { Inventory, Statement };
    void openReport(Form form);

    CurrentYear &year_;
};
