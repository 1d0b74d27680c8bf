#pragma once
// Number and date formats used everywhere in the program: "." as the decimal
// point and YYYY-MM-DD dates, whatever the locale of the machine.
#include <QString>
#include <optional>

namespace k71t {

// Parses a decimal number typed by the operator. Only "." separates decimals;
// a comma, group separators, empty text, infinities and NaN are refused.
std::optional<double> parseDecimal(const QString &text);

// Fixed notation with the given number of decimals, "." as the point.
QString formatFixed(double value, int decimals);

// Decodes and encodes the Windows-1250 text of every file the program writes.
QString fromWindows1250(const QByteArray &bytes);
QByteArray toWindows1250(const QString &text);

} // namespace k71t
