#include "settings/image_quirks.h"

#include "settings/conversion.h"
#include "settings/image_values.h"
#include "settings/program_state.h"

namespace pagerprog::quirk {

namespace {

constexpr std::size_t kChannelStep = 0x01E;
constexpr std::size_t kBsHigh = 0x021;    // bits 7-6: mirrored bits 5-4 of bs3_8212
constexpr std::size_t kBsMiddle = 0x022;  // low nibble: bs3_8212 bits 3-0, high nibble: bs1_8212 bits 5-2
constexpr std::size_t kBsLow = 0x023;     // bits 1-0: mirrored bits 1-0 of bs1_8212
constexpr std::size_t kFennicMark = 0x024;
constexpr std::size_t kCounters = 0x025;
constexpr std::size_t kCountersComplement = 0x026;
constexpr std::size_t kAlertBits = 0x040;
constexpr std::size_t kOptionBits = 0x041;
constexpr std::size_t kAlertModeBits = 0x185;
constexpr std::size_t kRangeTime = 0x18F;
constexpr std::size_t kLcdOpa = 0x269;
constexpr int kUserSelect = 3;  // `alerttype` item "User select"
constexpr int kFennic = 3;      // `customer` item "Fennic"

std::string addressField(const ImageField& row) { return "address" + std::to_string(row.slot); }

unsigned numberOf(const Context& ctx, const std::string& field) {
    return static_cast<unsigned>(parseInteger(ctx.model.text(field)));
}

void setBit(Image& image, std::size_t offset, unsigned bit, bool on) {
    const auto mask = static_cast<std::uint8_t>(1u << bit);
    image[offset] = static_cast<std::uint8_t>(on ? image[offset] | mask : image[offset] & ~mask);
}

void setNibble(Image& image, std::size_t offset, bool high, unsigned value) {
    image[offset] = static_cast<std::uint8_t>(high ? (image[offset] & 0x0F) | ((value & 0xF) << 4)
                                                   : (image[offset] & 0xF0) | (value & 0xF));
}

// Entries of 1,250,000 and more give more than seven digits; the field keeps seven.
void decodeSixAddress(Context& ctx, const ImageField& row) {
    ctx.model.setText(addressField(row), formatInteger(readCapcodeSix(ctx.program.image, row.slot)).substr(0, 7));
}

void encodeSixAddress(const Context& ctx, Image& image, const ImageField& row) {
    writeCapcodeEntrySix(image, row.slot, numberOf(ctx, addressField(row)));
}

void decodeEightAddress(Context& ctx, const ImageField& row) {
    ctx.model.setText(addressField(row), formatInteger(readCapcodeEight(ctx.program.image, row.slot).capcode));
}

void encodeEightAddress(const Context& ctx, Image& image, const ImageField& row) {
    const bool enabled = ctx.model.checked("addr" + std::to_string(row.slot) + "en");
    writeCapcodeEntryEight(image, row.slot, numberOf(ctx, addressField(row)), enabled);
}

void encodeChannelStep(const Context& ctx, Image& image, const ImageField&) {
    writeLittleEndian(image, kChannelStep, 2, static_cast<std::uint32_t>(ctx.program.channelStep));
}

// Divisions of the parsed number truncate toward zero, as the pager tool always did.
int thresholdOf(const Context& ctx, const ImageField& row) { return parseInteger(ctx.model.text(row.field)); }

void decodeBs3(Context& ctx, const ImageField& row) {
    const Image& image = ctx.program.image;
    const unsigned value = mirror2(image[kBsHigh] >> 6) * 16u + mirror4(image[kBsMiddle] & 0x0F);
    ctx.model.setText(row.field, formatInteger(value));
}

void encodeBs3(const Context& ctx, Image& image, const ImageField& row) {
    const int value = thresholdOf(ctx, row);
    image[kBsHigh] =
        static_cast<std::uint8_t>((image[kBsHigh] & 0x3F) | (mirror2(static_cast<unsigned>(value / 16)) << 6));
    setNibble(image, kBsMiddle, false, mirror4(static_cast<unsigned>(value)));
}

void decodeBs1(Context& ctx, const ImageField& row) {
    const Image& image = ctx.program.image;
    const unsigned value = mirror4(image[kBsMiddle] >> 4) * 4u + mirror2(image[kBsLow] & 0x03);
    ctx.model.setText(row.field, formatInteger(value));
}

void encodeBs1(const Context& ctx, Image& image, const ImageField& row) {
    const int value = thresholdOf(ctx, row);
    setNibble(image, kBsMiddle, true, mirror4(static_cast<unsigned>(value / 4)));
    image[kBsLow] = static_cast<std::uint8_t>((image[kBsLow] & 0xFC) | mirror2(static_cast<unsigned>(value)));
}

void encodeFennicMark(const Context& ctx, Image& image, const ImageField&) {
    image[kFennicMark] = ctx.model.index("customer") == kFennic ? 0x54 : 0x00;
}

void encodeCounterComplement(const Context&, Image& image, const ImageField&) {
    image[kCountersComplement] = static_cast<std::uint8_t>(~image[kCounters]);
}

void decodeAlertType(Context& ctx, const ImageField& row) {
    const Image& image = ctx.program.image;
    const bool userSelect = (image[kAlertModeBits] & 0x20) != 0;
    ctx.model.setIndex(row.field, userSelect ? kUserSelect : (image[kAlertBits] >> 4) & 3);
}

void encodeAlertType(const Context& ctx, Image& image, const ImageField& row) {
    const int index = ctx.model.index(row.field);
    setBit(image, kAlertModeBits, 5, index == kUserSelect);
    const unsigned bits = index == kUserSelect ? 0 : static_cast<unsigned>(index) & 3;
    image[kAlertBits] = static_cast<std::uint8_t>((image[kAlertBits] & ~0x30) | (bits << 4));
}

void decodeDateFormat(Context& ctx, const ImageField& row) {
    const Image& image = ctx.program.image;
    ctx.model.setIndex(row.field, ((image[kAlertModeBits] >> 1) & 1) * 2 + ((image[kOptionBits] >> 5) & 1));
}

void encodeDateFormat(const Context& ctx, Image& image, const ImageField& row) {
    const auto index = static_cast<unsigned>(ctx.model.index(row.field));
    setBit(image, kOptionBits, 5, (index & 1) != 0);
    setBit(image, kAlertModeBits, 1, (index & 2) != 0);
}

void decodeUnreadAlertFlag(Context& ctx, const ImageField& row) {
    if ((ctx.program.image[kOptionBits] & 0x04) == 0) ctx.model.setText(row.field, "0");
}

void encodeUnreadAlertFlag(const Context& ctx, Image& image, const ImageField& row) {
    setBit(image, kOptionBits, 2, parseInteger(ctx.model.text(row.field)) != 0);
}

void decodeRangeTime(Context& ctx, const ImageField& row) {
    ctx.model.setIndex(row.field, ctx.program.image[kRangeTime] - 1);
}

void encodeRangeTime(const Context& ctx, Image& image, const ImageField& row) {
    image[kRangeTime] = static_cast<std::uint8_t>(ctx.model.index(row.field) + 1);
}

void decodeLcdOpaZero(Context& ctx, const ImageField&) {
    if (ctx.program.image[kLcdOpa] == 0) ctx.program.image[kLcdOpa] = 2;
}

}  // namespace

const QuirkCodec sixAddressEntry{decodeSixAddress, encodeSixAddress};
const QuirkCodec eightAddressEntry{decodeEightAddress, encodeEightAddress};
const QuirkCodec channelStep{nullptr, encodeChannelStep};
const QuirkCodec bs3Split{decodeBs3, encodeBs3};
const QuirkCodec bs1Split{decodeBs1, encodeBs1};
const QuirkCodec fennicMark{nullptr, encodeFennicMark};
const QuirkCodec counterComplement{nullptr, encodeCounterComplement};
const QuirkCodec alertType{decodeAlertType, encodeAlertType};
const QuirkCodec dateFormat{decodeDateFormat, encodeDateFormat};
const QuirkCodec unreadAlertFlag{decodeUnreadAlertFlag, encodeUnreadAlertFlag};
const QuirkCodec rangeTime{decodeRangeTime, encodeRangeTime};
const QuirkCodec lcdOpaZeroAsTwo{decodeLcdOpaZero, nullptr};

}  // namespace pagerprog::quirk
