// The date reader: whatever it accepts is a real date that its own format reads back.
#include <QDate>

#include "Check.h"
#include "EraDate.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    const auto date = EraDate::parse(fuzzText(data, size));
    if (!date) return 0;
    FUZZ_CHECK(date->isValid(), "accepted date is valid");
    FUZZ_CHECK(QDate::isValid(date->year(), date->month(), date->day()), "QDate agrees");
    for (QChar sep : {QLatin1Char('/'), QLatin1Char('.')}) {
        const QString shown = EraDate::format(*date, sep);
        FUZZ_CHECK(EraDate::parse(shown) == date, "date round-trips through its format");
    }
    return 0;
}
