#pragma once

#include "LedgerWindow.h"

// The year's one expense record: the statement's expense lines, the feed stocks and
// the rearing cost, whose totals the work window holds.
class Frm_Cost : public LedgerWindow {
    Q_OBJECT
  public:
    explicit Frm_Cost(CurrentYear &year, QWidget *parent = nullptr);

  protected:
    void filled() override;
    QList<Frm_Wk::Source> fed() const override {
        return {Frm_Wk::Data_CostCal, Frm_Wk::Data_Cost2};
    }
};
