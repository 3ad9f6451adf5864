#include "settings/image_quirks.h"

#include "context/context.h"
#include "settings/conversion.h"
#include "settings/image_values.h"

namespace pagerprog::quirk {

namespace {

constexpr std::uint8_t kFennicMark = 0x54;
constexpr std::uint8_t kLcdDriverOpaDefault = 2;

// The bits of one run, and their replacement.
unsigned runBits(const Image& image, const BitRun& run) {
    return (image[run.offset] >> run.shift) & ((1u << run.width) - 1u);
}

void setRunBits(Image& image, const BitRun& run, unsigned value) {
    const auto mask = static_cast<std::uint8_t>(((1u << run.width) - 1u) << run.shift);
    image[run.offset] = static_cast<std::uint8_t>((image[run.offset] & ~mask) | ((value << run.shift) & mask));
}

unsigned numberOf(const Context& ctx, const std::string& field) {
    return static_cast<unsigned>(parseInteger(ctx.model.text(field)));
}

// Entries of 1,250,000 and more give more than seven digits; the field keeps seven.
void decodeSixAddress(Context& ctx, const ImageField& row) {
    ctx.model.setText(row.field, formatInteger(readCapcodeSix(ctx.program.image, row.slot)).substr(0, 7));
}

void encodeSixAddress(const Context& ctx, Image& image, const ImageField& row) {
    writeCapcodeEntrySix(image, row.slot, numberOf(ctx, row.field));
}

void decodeEightAddress(Context& ctx, const ImageField& row) {
    ctx.model.setText(row.field, formatInteger(readCapcodeEight(ctx.program.image, row.slot).capcode));
}

void encodeEightAddress(const Context& ctx, Image& image, const ImageField& row) {
    writeCapcodeEntryEight(image, row.slot, numberOf(ctx, row.field), ctx.model.checked(field::addrEn(row.slot)));
}

void encodeChannelStep(const Context& ctx, Image& image, const ImageField& row) {
    writeLittleEndian(image, row.offset, row.runs.size(), static_cast<std::uint32_t>(ctx.program.channelStep));
}

// A six-bit threshold in two mirrored pieces: the high run holds the top bits, the low
// run the rest. Divisions of the parsed number truncate toward zero, as the pager tool
// always did.
void decodeThreshold(Context& ctx, const ImageField& row) {
    const Image& image = ctx.program.image;
    const BitRun& high = row.runs[0];
    const BitRun& low = row.runs[1];
    const auto mirrored = [&image](const BitRun& run) {
        return run.width == 4 ? mirror4(runBits(image, run)) : mirror2(runBits(image, run));
    };
    ctx.model.setText(row.field, formatInteger((mirrored(high) << low.width) | mirrored(low)));
}

void encodeThreshold(const Context& ctx, Image& image, const ImageField& row) {
    const int value = parseInteger(ctx.model.text(row.field));
    const BitRun& high = row.runs[0];
    const BitRun& low = row.runs[1];
    const auto mirrored = [](const BitRun& run, int bits) {
        return run.width == 4 ? mirror4(static_cast<unsigned>(bits)) : mirror2(static_cast<unsigned>(bits));
    };
    setRunBits(image, high, mirrored(high, value / (1 << low.width)));
    setRunBits(image, low, mirrored(low, value));
}

void encodeFennicMark(const Context& ctx, Image& image, const ImageField& row) {
    static const int fennic = tableItem(field::customer, "Fennic");
    image[row.offset] = ctx.model.index(field::customer) == fennic ? kFennicMark : 0x00;
}

void encodeCounterComplement(const Context&, Image& image, const ImageField& row) {
    static const ImageField& counters = *rowsOf(Layout::EightAddress, field::n_count).front();
    image[row.offset] = static_cast<std::uint8_t>(~image[counters.offset]);
}

int userSelect() {
    static const int item = tableItem(field::alerttype, "User select");
    return item;
}

void decodeAlertType(Context& ctx, const ImageField& row) {
    const Image& image = ctx.program.image;
    const bool chosenByUser = runBits(image, row.runs[1]) != 0;
    ctx.model.setIndex(row.field, chosenByUser ? userSelect() : static_cast<int>(runBits(image, row.runs[0])));
}

void encodeAlertType(const Context& ctx, Image& image, const ImageField& row) {
    const int index = ctx.model.index(row.field);
    setRunBits(image, row.runs[1], index == userSelect() ? 1 : 0);
    setRunBits(image, row.runs[0], index == userSelect() ? 0 : static_cast<unsigned>(index));
}

void decodeDateFormat(Context& ctx, const ImageField& row) {
    const Image& image = ctx.program.image;
    ctx.model.setIndex(row.field, static_cast<int>(runBits(image, row.runs[1]) * 2 + runBits(image, row.runs[0])));
}

void encodeDateFormat(const Context& ctx, Image& image, const ImageField& row) {
    const auto index = static_cast<unsigned>(ctx.model.index(row.field));
    setRunBits(image, row.runs[0], index & 1);
    setRunBits(image, row.runs[1], (index >> 1) & 1);
}

void decodeUnreadAlertFlag(Context& ctx, const ImageField& row) {
    if (runBits(ctx.program.image, row.runs[0]) == 0) ctx.model.setText(row.field, "0");
}

void encodeUnreadAlertFlag(const Context& ctx, Image& image, const ImageField& row) {
    setRunBits(image, row.runs[0], parseInteger(ctx.model.text(row.field)) != 0 ? 1 : 0);
}

void decodeRangeTime(Context& ctx, const ImageField& row) {
    ctx.model.setIndex(row.field, ctx.program.image[row.offset] - 1);
}

void encodeRangeTime(const Context& ctx, Image& image, const ImageField& row) {
    image[row.offset] = static_cast<std::uint8_t>(ctx.model.index(row.field) + 1);
}

void decodeLcdDriverOpa(Context& ctx, const ImageField& row) {
    Image& image = ctx.program.image;
    if (image[row.offset] == 0) image[row.offset] = kLcdDriverOpaDefault;
    ctx.model.setText(row.field, formatInteger(image[row.offset]));
}

void encodeLcdDriverOpa(const Context& ctx, Image& image, const ImageField& row) {
    image[row.offset] = static_cast<std::uint8_t>(numberOf(ctx, row.field));
}

}  // namespace

const QuirkCodec sixAddressEntry{decodeSixAddress, encodeSixAddress};
const QuirkCodec eightAddressEntry{decodeEightAddress, encodeEightAddress};
const QuirkCodec channelStep{nullptr, encodeChannelStep};
const QuirkCodec bs3Split{decodeThreshold, encodeThreshold};
const QuirkCodec bs1Split{decodeThreshold, encodeThreshold};
const QuirkCodec fennicMark{nullptr, encodeFennicMark};
const QuirkCodec counterComplement{nullptr, encodeCounterComplement};
const QuirkCodec alertType{decodeAlertType, encodeAlertType};
const QuirkCodec dateFormat{decodeDateFormat, encodeDateFormat};
const QuirkCodec unreadAlertFlag{decodeUnreadAlertFlag, encodeUnreadAlertFlag};
const QuirkCodec rangeTime{decodeRangeTime, encodeRangeTime};
const QuirkCodec lcdDriverOpa{decodeLcdDriverOpa, encodeLcdDriverOpa};

}  // namespace pagerprog::quirk
