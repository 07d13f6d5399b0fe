#pragma once

#include "MsgBox.h"
#include "TestYear.h"

// What each window test function starts from: a TestYear, and message boxes recorded
// instead of shown, none yet, so that a box left from the function before is not counted.
class WindowTest : public TestYear {
  public:
    explicit WindowTest(Start start = Start::Opened) : TestYear(start) {
        MsgBox::setHeadless(true);
        MsgBox::clearShown();
    }
    explicit WindowTest(const QString &name) : TestYear(name) {
        MsgBox::setHeadless(true);
        MsgBox::clearShown();
    }
};
