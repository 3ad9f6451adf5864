// Where every setting sits in the EEPROM image, declared once as an ordered table per
// address layout. The decoder walks a table top to bottom, so the rows are in the order
// in which the fields are filled (and their change and click rules run); the encoder
// walks the same rows into the image. Regular bit fields, numbers, texts and patterns
// are plain rows; the few places with their own coding are quirk rows.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "settings/eeprom_image.h"

namespace pagerprog {

struct Context;
struct ImageField;

enum class Coding {
    Flag,          // one bit, 1 = checked
    InvertedFlag,  // one bit, 1 = not checked
    Choice,        // the item index in `width` bits; a choice with no item is stored as all ones
    Number,        // decimal text, written in `width` bits, read back through `readWidth` bits
    Text,          // text slot of `width` bytes
    Pattern,       // four hexadecimal digits, 16 bits little-endian
    Frequency,     // megahertz text, 32-bit hertz little-endian
    Battery,       // volts text, one byte scaled by Vref
    Constant,      // bits the encoder always writes with `constant`; not read
    Quirk,         // coded by the row's own pair of functions
};

// A quirk's two directions; either may be null when that direction does nothing.
struct QuirkCodec {
    void (*decode)(Context& ctx, const ImageField& row);
    void (*encode)(const Context& ctx, Image& image, const ImageField& row);
};

struct ImageField {
    Coding coding = Coding::Flag;
    std::string field;           // the settings field ("" for constants)
    std::uint16_t offset = 0;    // first byte
    std::uint8_t shift = 0;      // lowest bit inside the byte
    std::uint8_t width = 1;      // bits (bytes for a text slot)
    std::uint8_t readWidth = 0;  // Number: bits read back, 0 = `width`
    bool reversed = false;       // Choice: the bit order is mirrored
    bool encodeOnly = false;     // written from the field but never read into it
    std::uint8_t constant = 0;   // Constant: the value of the bits
    int slot = 0;                // Quirk: the address slot it serves
    std::string fireAfter;       // the decoder runs this field's change rule right after the row
    const QuirkCodec* quirk = nullptr;
};

// The rows of one layout: its own bytes 0x000..0x02F, then the common part.
const std::vector<ImageField>& imageLayout(Layout layout);

// The bits of a row inside its byte.
std::uint8_t rowMask(const ImageField& row);
// The row's raw value from its byte, `bits` wide (mirrored when the row says so).
unsigned readRowBits(const Image& image, const ImageField& row, unsigned bits);
// Replaces the row's bits in its byte with the low bits of `value`.
void writeRowBits(Image& image, const ImageField& row, unsigned value);

}  // namespace pagerprog
