#pragma once

#include <QDialog>

#include "CowCsv.h"

class QPushButton;

// What a CSV file would bring into the register: the number of calves read and every
// row that cannot come in, with its line and reason. Importing is offered only when no
// row is refused.
class Dlg_CsvImport : public QDialog {
    Q_OBJECT
  public:
    Dlg_CsvImport(const CowCsv::Import &import, const QString &fileName, QWidget *parent);

  private:
    QPushButton *cmd_Import;
};
