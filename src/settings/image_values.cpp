#include "settings/image_values.h"

#include <algorithm>
#include <cmath>

#include "settings/conversion.h"

namespace pagerprog {

std::uint32_t readLittleEndian(const Image& image, std::size_t offset, std::size_t bytes) {
    std::uint32_t value = 0;
    for (std::size_t i = bytes; i-- > 0;) value = (value << 8) | image[offset + i];
    return value;
}

void writeLittleEndian(Image& image, std::size_t offset, std::size_t bytes, std::uint32_t value) {
    for (std::size_t i = 0; i < bytes; ++i) image[offset + i] = static_cast<std::uint8_t>(value >> (8 * i));
}

std::string readTextSlot(const Image& image, std::size_t offset, std::size_t width) {
    std::string text;
    for (std::size_t i = 0; i < width && image[offset + i] != 0; ++i) text += static_cast<char>(image[offset + i]);
    return text;
}

std::string textSlotTail(const Image& image, std::size_t offset, std::size_t width) {
    const auto slot = image.begin() + static_cast<std::ptrdiff_t>(offset);
    const auto end = slot + static_cast<std::ptrdiff_t>(width);
    const auto zero = std::find(slot, end, 0);
    auto last = end;
    while (last != zero && *(last - 1) == 0) --last;
    return std::string(zero, last);
}

void writeTextSlot(Image& image, std::size_t offset, std::size_t width, std::string_view text) {
    const std::size_t length = std::min(text.size(), width);
    for (std::size_t i = 0; i < length; ++i) image[offset + i] = static_cast<std::uint8_t>(text[i]);
    if (length < width) image[offset + length] = 0;
}

namespace {

constexpr char kHexDigits[] = "0123456789ABCDEF";

unsigned hexDigitOrC(char c) {
    if (c >= '0' && c <= '9') return static_cast<unsigned>(c - '0');
    if (c >= 'A' && c <= 'F') return static_cast<unsigned>(c - 'A' + 10);
    return 0xC;
}

}  // namespace

std::string patternText(std::uint16_t value) {
    std::string text;
    for (int shift = 12; shift >= 0; shift -= 4) text += kHexDigits[(value >> shift) & 0xF];
    return text;
}

std::uint16_t patternValue(std::string_view text) {
    unsigned value = 0;
    for (std::size_t i = 0; i < 4; ++i) value = (value << 4) | (i < text.size() ? hexDigitOrC(text[i]) : 0xC);
    return static_cast<std::uint16_t>(value);
}

std::string batteryText(unsigned code, std::string_view vrefText, double roundingStep, char separator) {
    double volts = parseReal(vrefText, separator) * code / 256;
    const double millivolts = std::trunc(volts * 1000);
    if (std::fmod(millivolts, 10) >= 5) volts += roundingStep;
    return formatReal(volts, separator).substr(0, 4);
}

std::uint8_t batteryCode(std::string_view voltsText, std::string_view vrefText, char separator) {
    const double volts = parseReal(voltsText, separator);
    const double vref = parseReal(vrefText, separator);
    const double tenths = std::trunc(volts * 256 / vref * 10);
    // A code no byte can hold comes from a reference of 0 V or an absurd voltage; refuse
    // it as the field's conversion error instead of converting an infinite value.
    if (!std::isfinite(tenths) || std::fabs(tenths) > 1e15) throw invalidFloat(vref == 0 ? vrefText : voltsText);
    auto t = static_cast<long long>(tenths);
    if (t % 10 >= 5) t += 10;
    return static_cast<std::uint8_t>(t / 10);
}

}  // namespace pagerprog
