#include "settings/conversion.h"

#include <algorithm>

#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <limits>

namespace pagerprog {

ConversionError invalidInteger(std::string_view text) {
    return ConversionError("'" + std::string(text) + "' is not a valid integer value");
}

ConversionError invalidFloat(std::string_view text) {
    return ConversionError("'" + std::string(text) + "' is not a valid floating point value");
}

namespace {

std::string_view trimBlanks(std::string_view text) {
    while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
    return text;
}

}  // namespace

int parseInteger(std::string_view text) {
    std::string_view body = trimBlanks(text);
    bool negative = false;
    if (!body.empty() && (body.front() == '+' || body.front() == '-')) {
        negative = body.front() == '-';
        body.remove_prefix(1);
    }
    if (body.empty()) throw invalidInteger(text);
    long long value = 0;
    for (char c : body) {
        if (c < '0' || c > '9') throw invalidInteger(text);
        value = value * 10 + (c - '0');
        if (value > static_cast<long long>(std::numeric_limits<int>::max()) + 1) throw invalidInteger(text);
    }
    if (negative) value = -value;
    if (value > std::numeric_limits<int>::max() || value < std::numeric_limits<int>::min()) throw invalidInteger(text);
    return static_cast<int>(value);
}

namespace {

// Rewrites a number written with `separator` into the C form ("." and ASCII digits),
// or returns false when the text is no number.
bool toCForm(std::string_view text, char separator, std::string& out) {
    std::string_view body = trimBlanks(text);
    out.clear();
    std::size_t i = 0;
    if (i < body.size() && (body[i] == '+' || body[i] == '-')) out += body[i++];
    bool digits = false;
    bool mark = false;
    for (; i < body.size(); ++i) {
        char c = body[i];
        if (c >= '0' && c <= '9') {
            out += c;
            digits = true;
        } else if (c == separator && !mark) {
            out += '.';
            mark = true;
        } else {
            break;
        }
    }
    if (!digits) return false;
    if (i < body.size() && (body[i] == 'e' || body[i] == 'E')) {
        out += 'e';
        ++i;
        if (i < body.size() && (body[i] == '+' || body[i] == '-')) out += body[i++];
        bool expDigits = false;
        for (; i < body.size() && body[i] >= '0' && body[i] <= '9'; ++i) {
            out += body[i];
            expDigits = true;
        }
        if (!expDigits) return false;
    }
    return i == body.size();
}

}  // namespace

double parseReal(std::string_view text, char separator) {
    std::string cform;
    if (!toCForm(text, separator, cform)) throw invalidFloat(text);
    double value = 0;
    const char* first = cform.data();
    if (*first == '+') ++first;
    auto [end, ec] = std::from_chars(first, cform.data() + cform.size(), value);
    if (ec != std::errc() || end != cform.data() + cform.size() || !std::isfinite(value)) throw invalidFloat(text);
    return value;
}

bool isReal(std::string_view text, char separator) {
    std::string cform;
    return toCForm(text, separator, cform);
}

std::string withDecimalSeparator(std::string_view text, char separator) {
    std::string written(text);
    std::replace(written.begin(), written.end(), '.', separator);
    return written;
}

std::string formatReal(double value, char separator) {
    char buffer[64];
    // %.15g gives up to 15 significant digits; it switches to an exponent only for
    // magnitudes this tool never shows (frequencies, volts, clocks), so spell those
    // out in fixed form with the same number of significant digits.
    std::snprintf(buffer, sizeof buffer, "%.15g", value);
    std::string text = buffer;
    if (text.find('e') != std::string::npos) {
        int exponent = value == 0 ? 0 : static_cast<int>(std::floor(std::log10(std::fabs(value))));
        int decimals = std::max(0, 14 - exponent);
        std::snprintf(buffer, sizeof buffer, "%.*f", decimals, value);
        text = buffer;
        if (text.find('.') != std::string::npos) {
            while (text.back() == '0') text.pop_back();
            if (text.back() == '.') text.pop_back();
        }
    }
    for (char& c : text) {
        if (c == '.') c = separator;
    }
    return text;
}

std::string formatInteger(long long value) { return std::to_string(value); }

}  // namespace pagerprog
