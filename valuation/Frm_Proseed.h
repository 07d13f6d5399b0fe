#pragma once

#include "LedgerWindow.h"

// The year's one income record, whose total the work window holds.
class Frm_Proseed : public LedgerWindow {
    Q_OBJECT
  public:
    explicit Frm_Proseed(QWidget *parent = nullptr);

  protected:
    void saved() override;
    void closing() override;
};
