#include "Amount.h"

#include <QRegularExpression>
#include <limits>

namespace {

// Ten digits already exceed every range we accept, so anything longer is rejected before it
// can overflow the accumulator.
constexpr int kMaxDigits = 10;

// Magnitude of a run of ASCII digits, or -1 when it has more than kMaxDigits significant digits.
qint64 digitsValue(QStringView digits) {
    while (digits.size() > 1 && digits.front() == QLatin1Char('0')) digits = digits.mid(1);
    if (digits.size() > kMaxDigits) return -1;
    qint64 value = 0;
    for (QChar c : digits) value = value * 10 + (c.unicode() - '0');
    return value;
}

// Shared reader for parse() and parseCount(). A comma is read only as a thousands separator,
// in groups of three from the right: "1,2,3" or a "5,000" with 7777 typed after it is a
// typing mistake, and reading it as a number would store a wrong amount without a word.
std::optional<qint64> parseNumber(const QString &text, bool allowFraction, qint64 min, qint64 max) {
    static const QRegularExpression number(QRegularExpression::anchoredPattern(
        QStringLiteral("([+\\-\\x{2212}]?)\\x{00A5}?([0-9]{1,3}(?:,[0-9]{3})+|[0-9]+)"
                       "(?:\\.([0-9]+))?")));

    // NFKC turns full-width digits, signs, commas and the full-width yen sign into their
    // ASCII/Latin-1 forms; U+2212 has no compatibility mapping, so the pattern takes it as is.
    const QString input = text.normalized(QString::NormalizationForm_KC).trimmed();
    const auto m = number.match(input);
    if (!m.hasMatch()) return std::nullopt;

    const QString fraction = m.captured(3);
    if (!fraction.isEmpty() && !allowFraction) return std::nullopt;

    QString digits = m.captured(2);
    digits.remove(QLatin1Char(','));
    qint64 magnitude = digitsValue(digits);
    if (magnitude < 0) return std::nullopt;

    // Decided on the decimal digits themselves: a double would misjudge halves such as
    // "2.5000000000000001".
    if (!fraction.isEmpty()) {
        const QChar first = fraction.front();
        bool roundUp = first > QLatin1Char('5');
        if (first == QLatin1Char('5')) {
            const bool exactHalf = fraction.mid(1).count(QLatin1Char('0')) == fraction.size() - 1;
            roundUp = !exactHalf || magnitude % 2 == 1;
        }
        if (roundUp) ++magnitude;
    }

    const bool negative = !m.captured(1).isEmpty() && m.captured(1) != QLatin1String("+");
    const qint64 value = negative ? -magnitude : magnitude;
    if (value < min || value > max) return std::nullopt;
    return value;
}

}  // namespace

namespace Amount {

QString format(qint64 value) {
    // Negating in unsigned arithmetic keeps the most negative value representable.
    quint64 magnitude = value < 0 ? 0 - quint64(value) : quint64(value);
    QString out;
    int written = 0;
    do {
        if (written > 0 && written % 3 == 0) out.prepend(QLatin1Char(','));
        out.prepend(QLatin1Char(char('0' + magnitude % 10)));
        magnitude /= 10;
        ++written;
    } while (magnitude != 0);
    if (value < 0) out.prepend(QLatin1Char('-'));
    return out;
}

std::optional<qint32> parse(const QString &text) {
    const auto value = parseNumber(text, true, std::numeric_limits<qint32>::min(),
                                   std::numeric_limits<qint32>::max());
    if (!value) return std::nullopt;
    return qint32(*value);
}

std::optional<qint16> parseCount(const QString &text) {
    const auto value = parseNumber(text, false, std::numeric_limits<qint16>::min(),
                                   std::numeric_limits<qint16>::max());
    if (!value) return std::nullopt;
    return qint16(*value);
}

std::optional<qint16> parseYear(const QString &text) {
    const QString input = text.normalized(QString::NormalizationForm_KC).trimmed();
    if (input.isEmpty()) return std::nullopt;
    for (QChar c : input) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9')) return std::nullopt;
    }
    const qint64 value = digitsValue(input);
    if (value < 0 || value > std::numeric_limits<qint16>::max()) return std::nullopt;
    return qint16(value);
}

}  // namespace Amount
