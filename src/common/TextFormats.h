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

// The display form of a float: rounded to `precision` significant digits,
// then written with `decimals` decimals (100 shows as 100.0000). A value with
// more digits before the point than `precision` is written in exponent form
// (1.00000E+020).
QString formatFloat(double value, int decimals = 4, int precision = 6);

// Exponent form with one digit before the point, `digits` significant digits
// and at least three exponent digits: 1.234560E+002.
QString formatExponent(double value, int digits);
// The same into a buffer of at least 32 bytes, for writers of large files;
// returns the length.
int writeExponent(double value, int digits, char *out);

// The general form of a database value: at most 15 significant digits, no
// trailing zeros, plain for magnitudes from 0.0001 below 10^15, else one digit
// before the point and an exponent without '+' or leading zeros
// (2.00000004008175E20, 1E-5); zero is 0.
QByteArray formatGeneral15(double value);

// The fields of a settings file that separates them by TABs and starts with
// one TAB (auto.conf, series.conf): each runs to the next TAB or the end;
// past the end they are empty.
class TabFields {
public:
    explicit TabFields(const QByteArray &bytes) : bytes_(bytes) {}
    QByteArray next();

private:
    const QByteArray &bytes_;
    qsizetype at_ = 1;
};

// A field that is a decimal integer in [0, high] and nothing else; false
// leaves `out` as it was.
bool smallNumberField(const QByteArray &field, int high, std::uint8_t &out);

// Decodes and encodes the Windows-1250 text of every file the program writes.
QString fromWindows1250(const QByteArray &bytes);
QByteArray toWindows1250(const QString &text);

} // namespace k71t
