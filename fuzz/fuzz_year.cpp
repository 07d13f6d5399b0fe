// The year the setup window reads: an accepted year names a file whose name gives the
// same year back, as start-up reads it.
#include "Amount.h"
#include "Check.h"
#include "M_Cow.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    const QString text = fuzzText(data, size);
    const auto number = Amount::parseYear(text);
    if (!number) return 0;
    FUZZ_CHECK(*number >= 0, "year is not negative");
    FUZZ_CHECK(Amount::parseCount(text) == number, "year reads as the same count");
    const QString year = M_Cow::yearText(*number);
    if (year.isEmpty()) {
        FUZZ_CHECK(*number > 99, "only years above 99 have no file");
        return 0;
    }
    FUZZ_CHECK(year.size() == 2 && year[0].isDigit() && year[1].isDigit(), "two ASCII digits");
    FUZZ_CHECK(Amount::parseYear(year) == number, "year text reads back");
    FUZZ_CHECK(M_Cow::yearOfFileName(M_Cow::yearFileName(year)) == year, "file name gives it back");
    return 0;
}
