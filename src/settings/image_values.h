// The conversions between image bytes and the texts the window shows: text slots,
// hexadecimal patterns and the battery voltages.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "settings/eeprom_image.h"

namespace pagerprog {

// Little-endian numbers of 1 to 4 bytes.
std::uint32_t readLittleEndian(const Image& image, std::size_t offset, std::size_t bytes);
void writeLittleEndian(Image& image, std::size_t offset, std::size_t bytes, std::uint32_t value);

// A text slot: the bytes up to the first zero, at most `width` of them.
std::string readTextSlot(const Image& image, std::size_t offset, std::size_t width);
// What a text slot holds after the zero byte that ends its text, up to its last byte
// that is not zero; "" when nothing follows (or the text fills the slot).
std::string textSlotTail(const Image& image, std::size_t offset, std::size_t width);
// The first `width` characters; a shorter text gets one zero byte after it and the
// rest of the slot keeps its bytes.
void writeTextSlot(Image& image, std::size_t offset, std::size_t width, std::string_view text);

// A 16-bit pattern as four upper-case hexadecimal digits, most significant first.
std::string patternText(std::uint16_t value);
// The first four characters as hexadecimal digits; anything else, and every missing
// character, counts as the digit C.
std::uint16_t patternValue(std::string_view text);

// The voltage a battery code stands for, rounded for display by `roundingStep` and
// cut to four characters: code 142 with Vref 2.70 shows "1.50".
std::string batteryText(unsigned code, std::string_view vrefText, double roundingStep, char separator);
// The battery code of a voltage text, rounded half up, low eight bits.
std::uint8_t batteryCode(std::string_view voltsText, std::string_view vrefText, char separator);

}  // namespace pagerprog
