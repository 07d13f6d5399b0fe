// The amount and count readers: an accepted value is in range and what the one
// formatter shows of it reads back to the same value.
#include <limits>

#include "Amount.h"
#include "Check.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    const QString text = fuzzText(data, size);
    const auto amount = Amount::parse(text);
    if (amount) {
        const qint64 wide = *amount;
        FUZZ_CHECK(wide >= std::numeric_limits<qint32>::min() &&
                       wide <= std::numeric_limits<qint32>::max(),
                   "amount in the 32-bit range");
        FUZZ_CHECK(Amount::parse(Amount::format(*amount)) == amount, "amount round-trips");
    }
    // A total reads every amount alike, in the wider range, and round-trips too.
    if (const auto total = Amount::parseTotal(text)) {
        FUZZ_CHECK(!amount || qint64(*amount) == *total, "an amount reads as the same total");
        FUZZ_CHECK(Amount::parseTotal(Amount::format(*total)) == total, "total round-trips");
    } else {
        FUZZ_CHECK(!amount, "every amount is a total");
    }
    // A count is an amount without a fraction in a narrower range.
    if (const auto count = Amount::parseCount(text)) {
        FUZZ_CHECK(amount && qint64(*amount) == qint64(*count), "count reads as the same amount");
        FUZZ_CHECK(Amount::parseCount(Amount::format(*count)) == count, "count round-trips");
    }
    return 0;
}
