#pragma once

#include <QDate>

// "Today" for the month count of a calf not yet sold; tests fix it.
namespace Clock {

QDate today();

// A valid date fixes today() until it is reset with an invalid QDate().
void setToday(const QDate &date);

}  // namespace Clock
