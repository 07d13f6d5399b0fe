#include "Amount.h"

#include <QRegularExpression>
#include <limits>

namespace {

// Magnitude of a run of ASCII digits, or nullopt when it does not fit 64 bits unsigned.
std::optional<quint64> digitsValue(QStringView digits) {
    quint64 value = 0;
    for (QChar c : digits) {
        if (__builtin_mul_overflow(value, 10u, &value) ||
            __builtin_add_overflow(value, quint64(c.unicode() - '0'), &value))
            return std::nullopt;
    }
    return value;
}

// Shared reader for every amount and count. A comma is read only as a thousands separator,
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
    auto magnitude = digitsValue(digits);
    if (!magnitude) return std::nullopt;

    // Decided on the decimal digits themselves: a double would misjudge halves such as
    // "2.5000000000000001".
    if (!fraction.isEmpty()) {
        const QChar first = fraction.front();
        bool roundUp = first > QLatin1Char('5');
        if (first == QLatin1Char('5')) {
            const bool exactHalf = fraction.mid(1).count(QLatin1Char('0')) == fraction.size() - 1;
            roundUp = !exactHalf || *magnitude % 2 == 1;
        }
        if (roundUp && __builtin_add_overflow(*magnitude, 1u, &*magnitude)) return std::nullopt;
    }

    // Checked on the magnitude, in unsigned arithmetic, so that the most negative value
    // is read and nothing wraps; every range here holds 0.
    const bool negative = !m.captured(1).isEmpty() && m.captured(1) != QLatin1String("+");
    if (*magnitude > (negative ? 0 - quint64(min) : quint64(max))) return std::nullopt;
    return negative ? qint64(0 - *magnitude) : qint64(*magnitude);
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

std::optional<qint64> parseTotal(const QString &text) {
    return parseNumber(text, true, std::numeric_limits<qint64>::min(),
                       std::numeric_limits<qint64>::max());
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
    const auto value = digitsValue(input);
    if (!value || *value > quint64(std::numeric_limits<qint16>::max())) return std::nullopt;
    return qint16(*value);
}

}  // namespace Amount
