#pragma once

#include "LedgerWindow.h"

// The year's one income record, whose total the work window holds.
class Frm_Proseed : public LedgerWindow {
    Q_OBJECT
  public:
    explicit Frm_Proseed(CurrentYear &year, QWidget *parent = nullptr);

  protected:
    QList<Frm_Wk::Source> fed() const override { return {Frm_Wk::Data_ProseedCal1}; }
};
