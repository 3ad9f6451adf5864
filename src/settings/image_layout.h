// Where every setting sits in the EEPROM image, declared once as an ordered table per
// address layout, with the byte runs no setting owns, named, so that they are kept. This
// is the only place that knows image positions: the decoder, the encoder, the profiles
// and the pager workflows all go through it.
//
// The decoder walks a table top to bottom, so the rows are in the order in which the
// fields are filled (and their change and click rules run); the encoder walks the same
// rows into the image. Regular bit fields, numbers, texts and patterns are plain rows;
// the few places with their own coding are quirk rows, which name the bits they write.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
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
    Quirk,         // coded by the row's own pair of functions on the bits it names
};

// A run of bits inside one byte.
struct BitRun {
    std::uint16_t offset = 0;
    std::uint8_t shift = 0;  // lowest bit
    std::uint8_t width = 8;  // bits
};

// A quirk's two directions; either may be null when that direction does nothing.
struct QuirkCodec {
    void (*decode)(Context& ctx, const ImageField& row);
    void (*encode)(const Context& ctx, Image& image, const ImageField& row);
};

struct ImageField {
    Coding coding = Coding::Flag;
    std::string field;           // the settings field ("" for constants and derived bytes)
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
    std::vector<BitRun> runs;  // Quirk: the bits it writes, in the order its code takes them
};

// The rows of one layout: its own bytes 0x000..0x02F, then the common part.
const std::vector<ImageField>& imageLayout(Layout layout);

// The rows of a field in a layout, in table order (a field may have a plain row and a
// quirk row); empty when the layout does not hold the field.
std::vector<const ImageField*> rowsOf(Layout layout, std::string_view field);

// The bits of a plain one-byte row inside its byte.
std::uint8_t rowMask(const ImageField& row);
// The row's raw value from its byte, `bits` wide (mirrored when the row says so).
unsigned readRowBits(const Image& image, const ImageField& row, unsigned bits);
// Replaces the row's bits in its byte with the low bits of `value`.
void writeRowBits(Image& image, const ImageField& row, unsigned value);
// The raw value of a field's plain one-byte row, as the encoder stored it: an item index,
// a flag's bit, a number or a battery code. Throws std::out_of_range when the layout has
// no such row.
unsigned storedBits(const Image& image, Layout layout, std::string_view field);
void storeBits(Image& image, Layout layout, std::string_view field, unsigned value);

// Every byte and bit a row writes: (offset, mask) pairs.
std::vector<std::pair<std::uint16_t, std::uint8_t>> claimedBits(const ImageField& row);

// What a byte of the image holds, by name: the settings fields with bits in it, the kept
// run it belongs to, "prompt texts" or "checksum".
std::vector<std::string> byteOwners(Layout layout, std::uint16_t address);

// A run of bytes no setting owns. The encoder leaves them as they came (from a template,
// a settings file or the pager); a few have a meaning to the workflows and profiles.
struct KeptBytes {
    const char* name;
    std::uint16_t offset;
    std::uint16_t length;
};
namespace kept {
inline constexpr const char* decoderSetup = "decoderSetup";      // six-address layout: 6 on a factory QTX73T
inline constexpr const char* decoderReserve = "decoderReserve";  // six-address layout: zero on a factory QTX73T
inline constexpr const char* modelCode = "modelCode";            // three letters naming the model family
}  // namespace kept
const std::vector<KeptBytes>& keptBytes(Layout layout);
// The run of that name; throws std::out_of_range when the layout has none.
const KeptBytes& keptRun(Layout layout, std::string_view name);

// The capcode entries. Six-address layout, slot 1..6: the entry holds the capcode without
// its frame bits; the frame comes from the frame byte (slots 1-2 share `frame1`'s bits,
// slots 3-6 `frame3`'s). Eight-address layout, slot 1..8: bit-reversed full capcodes.
std::uint32_t readCapcodeSix(const Image& image, int slot);
void writeCapcodeEntrySix(Image& image, int slot, std::uint32_t capcode);
struct CapcodeEntry {
    std::uint32_t capcode = 0;
    bool enabled = false;
};
CapcodeEntry readCapcodeEight(const Image& image, int slot);
void writeCapcodeEntryEight(Image& image, int slot, std::uint32_t capcode, bool enabled);

}  // namespace pagerprog
