#include "settings/frequency.h"

#include <limits>

#include "settings/conversion.h"

namespace pagerprog {

namespace {

constexpr std::size_t kPaddedWidth = 9;  // "146.56250"
constexpr std::size_t kIntegerDigits = 3;
constexpr std::uint32_t kHertzPerMegahertz = 1'000'000;
constexpr long kDecimalsPerMegahertz = 6;
constexpr long kLargestExponent = 1000;  // far beyond any 32-bit frequency

struct Digits {
    bool negative = false;
    std::string digits;  // all digits, the decimal mark removed
    long pointAt = 0;    // digits before the decimal mark
    long exponent = 0;
};

// The parts of a text that has the form of a number (checked before).
Digits digitsOf(std::string_view text, char separator) {
    Digits d;
    std::size_t i = 0;
    while (i < text.size() && text[i] == ' ') ++i;
    d.negative = i < text.size() && text[i] == '-';
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) ++i;
    d.pointAt = -1;
    for (; i < text.size() && text[i] != 'e' && text[i] != 'E' && text[i] != ' '; ++i) {
        if (text[i] == separator)
            d.pointAt = static_cast<long>(d.digits.size());
        else
            d.digits += text[i];
    }
    if (d.pointAt < 0) d.pointAt = static_cast<long>(d.digits.size());
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        ++i;
        const bool negativeExponent = i < text.size() && text[i] == '-';
        if (i < text.size() && (text[i] == '-' || text[i] == '+')) ++i;
        for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i)
            d.exponent = std::min(d.exponent * 10 + (text[i] - '0'), kLargestExponent);
        if (negativeExponent) d.exponent = -d.exponent;
    }
    return d;
}

}  // namespace

std::optional<Frequency> Frequency::fromText(std::string_view text, char separator) {
    if (!isReal(text, separator)) return std::nullopt;
    const Digits d = digitsOf(text, separator);
    // Whole hertz are the digits before the decimal mark once it has moved six places on.
    const long whole = d.pointAt + d.exponent + kDecimalsPerMegahertz;
    std::uint64_t hertz = 0;
    for (long at = 0; at < whole; ++at) {
        const auto index = static_cast<std::size_t>(at);
        hertz = hertz * 10 + (index < d.digits.size() ? static_cast<unsigned>(d.digits[index] - '0') : 0u);
        if (hertz > std::numeric_limits<std::uint32_t>::max()) return std::nullopt;
    }
    if (d.negative && hertz != 0) return std::nullopt;
    return Frequency(static_cast<std::uint32_t>(hertz));
}

std::string Frequency::text(char separator) const {
    std::string text = std::to_string(hertz_ / kHertzPerMegahertz);
    std::string decimals = std::to_string(hertz_ % kHertzPerMegahertz);
    decimals.insert(0, kDecimalsPerMegahertz - decimals.size(), '0');
    while (!decimals.empty() && decimals.back() == '0') decimals.pop_back();
    if (!decimals.empty()) text += separator + decimals;
    return text;
}

std::string Frequency::paddedText(char separator) const { return padFrequencyText(text(separator), separator); }

int Frequency::bestRaster() const {
    const std::uint32_t above = hertz_ - kRasterOriginHz;
    return above % kFineRasterHz <= above % kCoarseRasterHz ? kFineRasterHz : kCoarseRasterHz;
}

Frequency Frequency::onRaster(int step) const {
    const auto raster = static_cast<std::uint32_t>(step);
    return Frequency((hertz_ - kRasterOriginHz) / raster * raster + kRasterOriginHz);
}

std::string padFrequencyText(std::string text, char separator) {
    while (text.size() < kPaddedWidth) text += text.size() == kIntegerDigits ? separator : '0';
    return text;
}

}  // namespace pagerprog
