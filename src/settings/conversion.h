// Number texts as the window shows them, and the conversion errors raised when a
// field does not hold a number. The error texts are the ones technicians see in the
// error box, so they must stay word for word.
#pragma once

#include <stdexcept>
#include <string>
#include <string_view>

namespace pagerprog {

// A field text that does not parse as a number. what() is the message box text.
class ConversionError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// "'<text>' is not a valid integer value"
[[nodiscard]] ConversionError invalidInteger(std::string_view text);
// "'<text>' is not a valid floating point value"
[[nodiscard]] ConversionError invalidFloat(std::string_view text);

// A decimal integer: optional surrounding blanks, an optional sign, then digits.
// Throws the integer conversion error otherwise or when it does not fit 32 bits.
[[nodiscard]] int parseInteger(std::string_view text);

// A decimal number written with `separator` as its decimal mark (surrounding blanks
// allowed, an optional sign, digits with at most one separator, an optional
// exponent). Throws the floating point conversion error otherwise.
[[nodiscard]] double parseReal(std::string_view text, char separator);

// True when `text` parses with parseReal.
[[nodiscard]] bool isReal(std::string_view text, char separator);

// The shortest general form with up to 15 significant digits, no exponent and no
// trailing zeros: 146.5625, 163, 1.5077, 2.097152.
[[nodiscard]] std::string formatReal(double value, char separator);

// A number text written with a point as its decimal mark ("146.56250"), as a system whose
// decimal separator is `separator` writes it ("146,56250").
[[nodiscard]] std::string withDecimalSeparator(std::string_view text, char separator);

// Plain decimal text of an integer.
[[nodiscard]] std::string formatInteger(long long value);

}  // namespace pagerprog
