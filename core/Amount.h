#pragma once

#include <QString>
#include <QtGlobal>
#include <optional>

// Whole-yen amounts and small counts as the user types and reads them.
namespace Amount {

// "#,##0": thousands separators, leading minus, no decimals (-1234567 -> "-1,234,567").
QString format(qint64 value);

// Reads typed text with or without thousands separators (every comma must stand where
// "#,##0" puts one: 1,234,567, not 1,2,3 or 5,0007777); full-width digits, signs and
// commas are read like ASCII and surrounding blanks are ignored. A fraction rounds to
// nearest, halves to even. Empty text, text that is not a number, and values outside
// the 32-bit signed range give nullopt: never a wrapped value.
std::optional<qint32> parse(const QString &text);

// A total of many amounts (the year's sums and what is computed from them): read like
// parse(), within the 64-bit signed range.
std::optional<qint64> parseTotal(const QString &text);

// A whole 16-bit count (calf numbers, months): like parse() but a fraction is an
// error, and the range is -32768..32767.
std::optional<qint16> parseCount(const QString &text);

// Plain whole number for year fields: optional blanks around ASCII or full-width
// digits only (no sign, no separators, no fraction), within 0..32767.
std::optional<qint16> parseYear(const QString &text);

}  // namespace Amount
