#include "settings/image_layout.h"

#include <algorithm>
#include <stdexcept>

#include "settings/field_names.h"
#include "settings/image_quirks.h"

namespace pagerprog {

namespace {

using Rows = std::vector<ImageField>;
using Offset = std::uint16_t;
using Bits = std::uint8_t;

ImageField row(Coding coding, std::string field, Offset offset, Bits shift, Bits width) {
    ImageField f;
    f.coding = coding;
    f.field = std::move(field);
    f.offset = offset;
    f.shift = shift;
    f.width = width;
    return f;
}

ImageField flag(std::string field, Offset offset, Bits bit) {
    return row(Coding::Flag, std::move(field), offset, bit, 1);
}

ImageField choice(std::string field, Offset offset, Bits shift, Bits width) {
    return row(Coding::Choice, std::move(field), offset, shift, width);
}

ImageField mirroredChoice(std::string field, Offset offset, Bits shift, Bits width) {
    ImageField f = choice(std::move(field), offset, shift, width);
    f.reversed = true;
    return f;
}

ImageField byteChoice(std::string field, Offset offset) { return choice(std::move(field), offset, 0, 8); }

ImageField number(std::string field, Offset offset, Bits width = 8, Bits readWidth = 0) {
    ImageField f = row(Coding::Number, std::move(field), offset, 0, width);
    f.readWidth = readWidth;
    return f;
}

ImageField constant(Offset offset, Bits shift, Bits width, std::uint8_t value) {
    ImageField f = row(Coding::Constant, "", offset, shift, width);
    f.constant = value;
    return f;
}

ImageField quirk(const QuirkCodec& codec, std::string field, std::vector<BitRun> runs, int slot = 0) {
    ImageField f = row(Coding::Quirk, std::move(field), runs.front().offset, 0, 0);
    f.quirk = &codec;
    f.slot = slot;
    f.runs = std::move(runs);
    return f;
}

std::vector<BitRun> wholeBytes(Offset offset, Offset count) {
    std::vector<BitRun> runs;
    for (Offset i = 0; i < count; ++i) runs.push_back({static_cast<Offset>(offset + i), 0, 8});
    return runs;
}

// The capcode entries start the image, one after the other.
constexpr Offset kSixEntryBytes = 3;
constexpr Offset kEightEntryBytes = 4;
Offset entryOffset(Offset entryBytes, int slot) { return static_cast<Offset>(entryBytes * (slot - 1)); }

ImageField thenRunChange(ImageField f, std::string field) {
    f.fireAfter = std::move(field);
    return f;
}

// Bytes 0x000..0x02F while the revision is TV7r2 or TV7r3 (decoder "Q4").
void addSixAddressHead(Rows& rows) {
    for (int n = 1; n <= 6; ++n) {
        rows.push_back(quirk(quirk::sixAddressEntry, field::address(n),
                             wholeBytes(entryOffset(kSixEntryBytes, n), kSixEntryBytes), n));
    }
    for (int n = 1; n <= 6; ++n) rows.push_back(flag(field::addrEn(n), 0x012, static_cast<Bits>(n - 1)));
    // The frame byte: one frame for slots 1-2, one for slots 3-6, taken from frame1 and
    // frame3, which the address rules keep; the decoder never sets them.
    rows.push_back(constant(0x013, 7, 1, 1));
    for (auto [name, shift] : {std::pair{field::frame(1), 3}, std::pair{field::frame(3), 0}}) {
        ImageField f = number(name, 0x013, 3);
        f.shift = static_cast<Bits>(shift);
        f.encodeOnly = true;
        rows.push_back(f);
    }
    rows.push_back(choice(field::BS2, 0x015, 0, 4));
    rows.push_back(choice(field::BS3, 0x015, 4, 4));
    rows.push_back(choice(field::baudrate, 0x016, 0, 2));
    rows.push_back(choice(field::errcorrect, 0x016, 2, 2));
    rows.push_back(choice(field::polarity, 0x016, 4, 1));
    rows.push_back(choice(field::data_format, 0x016, 5, 1));
    rows.push_back(flag(field::pll_enable, 0x016, 6));
    rows.push_back(quirk(quirk::channelStep, "", wholeBytes(0x01E, 2)));
    rows.push_back(row(Coding::Frequency, field::frequency, 0x020, 0, 32));
    rows.push_back(number(field::unread_alert, 0x024, 8, 6));
}

// Bytes 0x000..0x02F in the TV8 revision (decoder "SM8212").
void addEightAddressHead(Rows& rows) {
    for (int n = 1; n <= 8; ++n) {
        const Offset entry = entryOffset(kEightEntryBytes, n);
        rows.push_back(flag(field::addrEn(n), entry, 7));
        rows.push_back(constant(entry, 0, 7, 0x06));
    }
    for (int n = 1; n <= 8; ++n) {
        const Offset entry = entryOffset(kEightEntryBytes, n);
        rows.push_back(
            quirk(quirk::eightAddressEntry, field::address(n), wholeBytes(entry + 1, kEightEntryBytes - 1), n));
    }
    rows.push_back(flag(field::bs2_option, 0x020, 7));
    rows.push_back(constant(0x020, 0, 7, 0x02));
    rows.push_back(flag(field::end_of_msg, 0x021, 0));
    rows.push_back(choice(field::clko, 0x021, 1, 2));
    rows.push_back(mirroredChoice(field::baudrate, 0x021, 3, 2));
    rows.push_back(choice(field::polarity, 0x021, 5, 1));
    // The six-bit thresholds are split over three bytes in mirrored pieces.
    rows.push_back(quirk(quirk::bs3Split, field::bs3_8212, {{0x021, 6, 2}, {0x022, 0, 4}}));
    rows.push_back(quirk(quirk::bs1Split, field::bs1_8212, {{0x022, 4, 4}, {0x023, 0, 2}}));
    rows.push_back(flag(field::filter_enable, 0x023, 2));
    rows.push_back(mirroredChoice(field::filter_strength, 0x023, 3, 2));
    rows.push_back(mirroredChoice(field::error_rate, 0x023, 5, 3));
    rows.push_back(quirk(quirk::fennicMark, "", wholeBytes(0x024, 1)));
    rows.push_back(choice(field::n_count, 0x025, 4, 3));
    rows.push_back(thenRunChange(choice(field::r_count, 0x025, 0, 3), field::n_count));
    rows.push_back(quirk(quirk::counterComplement, "", wholeBytes(0x026, 1)));
    rows.push_back(choice(field::char_size, 0x027, 0, 2));
    rows.push_back(choice(field::lcd_module, 0x028, 0, 2));
    rows.push_back(constant(0x029, 0, 8, 0xC4));  // 2500, little-endian
    rows.push_back(constant(0x02A, 0, 8, 0x09));
    rows.push_back(row(Coding::Frequency, field::frequency, 0x02B, 0, 32));
    rows.push_back(number(field::unread_alert, 0x02F, 6, 6));
}

// The four presentation formats of a slot, two bits each from bit 0 up.
void addSlotFormats(Rows& rows, int slot, Offset offset) {
    Bits shift = 0;
    for (char code : field::kFunctionCodes) {
        rows.push_back(choice(field::addrFormat(slot, code), offset, shift, 2));
        shift += 2;
    }
}

// The urgent flags of two slots share a byte: the first in bits 0-3, the second in 4-7.
void addUrgentFlags(Rows& rows, int firstSlot, Offset offset) {
    for (int slot = firstSlot; slot <= firstSlot + 1; ++slot) {
        Bits bit = static_cast<Bits>((slot - firstSlot) * 4);
        for (char code : field::kFunctionCodes) rows.push_back(flag(field::urgent(slot, code), offset, bit++));
    }
}

// Bytes 0x030..0x3FF, in the same place in both layouts.
void addCommonPart(Rows& rows, Layout layout) {
    const bool eight = layout == Layout::EightAddress;
    Offset at = 0x030;
    for (const char* name :
         {field::tonepatternA, field::tonepatternB, field::tonepatternC, field::tonepatternD, field::tonepatternPon,
          field::tonepatternLcell, field::tonepatternUcall1, field::tonepatternUcall2}) {
        rows.push_back(row(Coding::Pattern, name, at, 0, 16));
        at += 2;
    }
    rows.push_back(choice(field::urgentcalltype, 0x040, 7, 1));
    rows.push_back(flag(field::toneonlymsg, 0x040, 6));
    rows.push_back(quirk(quirk::alertType, field::alerttype, {{0x040, 4, 2}, {0x185, 5, 1}}));
    rows.push_back(choice(field::pubboxmode, 0x041, 7, 1));
    rows.push_back(flag(field::autospacing, 0x041, 6));
    rows.push_back(quirk(quirk::dateFormat, field::dateformat, {{0x041, 5, 1}, {0x185, 1, 1}}));
    rows.push_back(flag(field::msgstatus, 0x041, 4));
    rows.push_back(choice(field::lowcalldelay, 0x041, 3, 1));
    rows.push_back(quirk(quirk::unreadAlertFlag, field::unread_alert, {{0x041, 2, 1}}));
    rows.push_back(choice(field::numset, 0x041, 1, 1));
    rows.push_back(flag(field::handprog, 0x042, 7));
    rows.push_back(row(Coding::InvertedFlag, field::quietsound, 0x042, 6, 1));
    rows.push_back(flag(field::outrange, 0x042, 5));
    rows.push_back(flag(field::pageoff, 0x042, 4));
    rows.push_back(flag(field::lowbatspecalert, 0x042, 3));
    rows.push_back(flag(field::ota, 0x042, 2));
    rows.push_back(choice(field::repeatcallcheck, 0x042, 0, 2));
    rows.push_back(flag(field::datetime, 0x043, 7));
    rows.push_back(flag(field::msgfull, 0x043, 6));
    rows.push_back(flag(field::repeatmsg, 0x043, 5));
    rows.push_back(flag(field::ureadmsg, 0x043, 4));
    rows.push_back(choice(field::rangeindicator, 0x043, 3, 1));
    rows.push_back(flag(field::alarm, 0x043, 2));
    rows.push_back(flag(field::timedisplay, 0x043, 1));
    rows.push_back(flag(field::msglock, 0x043, 0));
    rows.push_back(number(field::lcdholdtime, 0x044));
    for (int n = 1; n <= 6; ++n) {
        const std::string msgtype = field::msgtype(n);
        rows.push_back(thenRunChange(choice(msgtype, 0x045, static_cast<Bits>(n - 1), 1), msgtype));
    }
    rows.push_back(number(field::contrast, 0x046));
    rows.push_back(byteChoice(field::language, 0x047));
    for (int n = 1; n <= 6; ++n) addSlotFormats(rows, n, static_cast<Offset>(0x048 + n - 1));
    if (eight) {
        addSlotFormats(rows, 7, 0x056);
        addSlotFormats(rows, 8, 0x057);
    }
    rows.push_back(row(Coding::Text, field::handprogpws, 0x04E, 0, 4));
    for (int k = 0; k < field::kFolders; ++k)
        rows.push_back(flag(field::pubboxact(k), static_cast<Offset>(0x052 + k / 8), static_cast<Bits>(k % 8)));
    for (int k = 0; k < field::kFolders; ++k)
        rows.push_back(row(Coding::Text, field::pubbox(k), static_cast<Offset>(0x06A + 9 * k), 0, 9));
    for (int k = 0; k < field::kFolders; ++k)
        rows.push_back(number(field::pubboxlength(k), static_cast<Offset>(0x142 + k), 8, 7));
    rows.push_back(number(field::maxprivate, 0x15A));
    rows.push_back(byteChoice(field::repeatcallreject, 0x15B));
    rows.push_back(choice(field::vibratetype, 0x17E, 0, 2));
    rows.push_back(choice(field::backlight, 0x17E, 2, 1));
    rows.push_back(flag(field::msgstatusprefix, 0x17E, 3));
    rows.push_back(flag(field::auto_backlight, 0x17E, 5));
    rows.push_back(row(Coding::Pattern, field::vibratepattern, 0x17F, 0, 16));
    for (int n = 1; n <= 5; n += 2) addUrgentFlags(rows, n, static_cast<Offset>(0x181 + n / 2));
    if (eight) addUrgentFlags(rows, 7, 0x058);
    rows.push_back(byteChoice(field::pager_model, 0x184));
    rows.push_back(flag(field::timeprefix, 0x185, 0));
    rows.push_back(flag(field::autooff, 0x185, 3));
    rows.push_back(choice(field::alertmode, 0x185, 6, 1));
    rows.push_back(choice(field::pll, 0x185, 4, 1));
    rows.push_back(choice(field::zoom, 0x185, 2, 1));
    rows.push_back(number(field::autooffstart, 0x186));
    rows.push_back(number(field::autooffstop, 0x187));
    rows.push_back(number(field::alarmhour, 0x189));
    rows.push_back(number(field::alarmminute, 0x18A));
    at = 0x18B;
    for (const char* name : {field::fullbat, field::halfbat, field::lowbat, field::gonebat})
        rows.push_back(row(Coding::Battery, name, at++, 0, 8));
    rows.push_back(quirk(quirk::rangeTime, field::rangetime, wholeBytes(0x18F, 1)));
    at = 0x190;
    for (const char* name : {field::cannedmsgA, field::cannedmsgB, field::cannedmsgC, field::cannedmsgD}) {
        rows.push_back(row(Coding::Text, name, at, 0, 20));
        at += 20;
    }
    rows.push_back(row(Coding::Text, field::hellomsg1, 0x240, 0, 20));
    rows.push_back(row(Coding::Text, field::hellomsg2, 0x254, 0, 20));
    rows.push_back(number(field::alerttime, 0x268));
    rows.push_back(quirk(quirk::lcdDriverOpa, field::lcddrv_opa, wholeBytes(0x269, 1)));
    rows.push_back(byteChoice(field::customer, static_cast<Offset>(kCustomerOffset)));
    rows.push_back(constant(0x3FF, 0, 8, 0));
}

Rows buildLayout(Layout layout) {
    Rows rows;
    if (layout == Layout::EightAddress)
        addEightAddressHead(rows);
    else
        addSixAddressHead(rows);
    addCommonPart(rows, layout);
    return rows;
}

// The bytes no setting owns. The six-address layout leaves 0x056..0x058 to the
// eight-address layout's slots 7 and 8; switching layouts does not clear them.
std::vector<KeptBytes> buildKeptBytes(Layout layout) {
    std::vector<KeptBytes> runs;
    if (layout == Layout::SixAddress) {
        runs.push_back({kept::decoderSetup, 0x014, 1});
        runs.push_back({kept::decoderReserve, 0x017, 7});
        runs.push_back({"sixAddressTail", 0x025, 11});
    }
    runs.push_back({"afterFolderActivity", 0x055, 1});
    if (layout == Layout::SixAddress) runs.push_back({"slotsSevenAndEight", 0x056, 3});
    runs.push_back({"beforeModelCode", 0x059, 13});
    runs.push_back({kept::modelCode, 0x066, 3});
    runs.push_back({"afterModelCode", 0x069, 1});
    runs.push_back({"beforeVibrateType", 0x15C, 34});
    runs.push_back({"beforeAlarm", 0x188, 1});
    runs.push_back({"characterTable", 0x1E0, 96});
    runs.push_back({"afterLcdDriver", 0x26A, 404});
    runs.push_back({"promptArea", static_cast<Offset>(kPromptAreaOffset),
                    static_cast<Offset>(kChecksumOffset - kPromptAreaOffset)});
    return runs;
}

const ImageField& plainRow(Layout layout, std::string_view field) {
    for (const ImageField* row : rowsOf(layout, field)) {
        switch (row->coding) {
            case Coding::Flag:
            case Coding::InvertedFlag:
            case Coding::Choice:
            case Coding::Number:
            case Coding::Battery: return *row;
            default: break;
        }
    }
    throw std::out_of_range("no one-byte row of " + std::string(field) + " in this layout");
}

unsigned bitsOf(const ImageField& row) {
    if (row.coding == Coding::Battery) return 8;
    return row.readWidth != 0 ? row.readWidth : row.width;
}

void checkSlot(int slot, int last) {
    if (slot < 1 || slot > last) throw std::out_of_range("address slot " + std::to_string(slot));
}

unsigned reverseBits(unsigned value, unsigned bits) {
    unsigned reversed = 0;
    for (unsigned i = 0; i < bits; ++i) reversed |= ((value >> i) & 1u) << (bits - 1 - i);
    return reversed;
}

}  // namespace

const std::vector<ImageField>& imageLayout(Layout layout) {
    static const Rows six = buildLayout(Layout::SixAddress);
    static const Rows eight = buildLayout(Layout::EightAddress);
    return layout == Layout::EightAddress ? eight : six;
}

std::vector<const ImageField*> rowsOf(Layout layout, std::string_view field) {
    std::vector<const ImageField*> rows;
    for (const ImageField& row : imageLayout(layout))
        if (row.field == field) rows.push_back(&row);
    return rows;
}

std::uint8_t rowMask(const ImageField& row) {
    const unsigned width = row.coding == Coding::Battery ? 8u : row.width;
    return static_cast<std::uint8_t>(((1u << width) - 1u) << row.shift);
}

unsigned readRowBits(const Image& image, const ImageField& row, unsigned bits) {
    const unsigned raw = (image[row.offset] >> row.shift) & ((1u << bits) - 1u);
    return row.reversed ? reverseBits(raw, bits) : raw;
}

void writeRowBits(Image& image, const ImageField& row, unsigned value) {
    const std::uint8_t mask = rowMask(row);
    if (row.reversed) value = reverseBits(value, row.width);
    image[row.offset] = static_cast<std::uint8_t>((image[row.offset] & ~mask) | ((value << row.shift) & mask));
}

unsigned storedBits(const Image& image, Layout layout, std::string_view field) {
    const ImageField& row = plainRow(layout, field);
    return readRowBits(image, row, bitsOf(row));
}

void storeBits(Image& image, Layout layout, std::string_view field, unsigned value) {
    writeRowBits(image, plainRow(layout, field), value);
}

std::vector<std::pair<std::uint16_t, std::uint8_t>> claimedBits(const ImageField& row) {
    std::vector<std::pair<std::uint16_t, std::uint8_t>> bits;
    const auto wholeBytesFrom = [&bits](std::uint16_t offset, unsigned count) {
        for (unsigned i = 0; i < count; ++i) bits.emplace_back(static_cast<std::uint16_t>(offset + i), 0xFF);
    };
    switch (row.coding) {
        case Coding::Text: wholeBytesFrom(row.offset, row.width); break;
        case Coding::Pattern: wholeBytesFrom(row.offset, 2); break;
        case Coding::Frequency: wholeBytesFrom(row.offset, 4); break;
        case Coding::Quirk:
            for (const BitRun& run : row.runs)
                bits.emplace_back(run.offset, static_cast<std::uint8_t>(((1u << run.width) - 1u) << run.shift));
            break;
        default: bits.emplace_back(row.offset, rowMask(row)); break;
    }
    return bits;
}

std::vector<std::string> byteOwners(Layout layout, std::uint16_t address) {
    if (address == kChecksumOffset) return {"checksum"};
    if (address >= kPromptAreaOffset) return {"prompt texts"};
    std::vector<std::string> owners;
    for (const ImageField& row : imageLayout(layout)) {
        if (row.field.empty() || std::find(owners.begin(), owners.end(), row.field) != owners.end()) continue;
        for (const auto& [offset, mask] : claimedBits(row)) {
            if (offset == address && mask != 0) {
                owners.push_back(row.field);
                break;
            }
        }
    }
    if (!owners.empty()) return owners;
    for (const KeptBytes& run : keptBytes(layout))
        if (address >= run.offset && address < run.offset + run.length) return {run.name};
    return {};
}

const std::vector<KeptBytes>& keptBytes(Layout layout) {
    static const std::vector<KeptBytes> six = buildKeptBytes(Layout::SixAddress);
    static const std::vector<KeptBytes> eight = buildKeptBytes(Layout::EightAddress);
    return layout == Layout::EightAddress ? eight : six;
}

const KeptBytes& keptRun(Layout layout, std::string_view name) {
    for (const KeptBytes& run : keptBytes(layout))
        if (name == run.name) return run;
    throw std::out_of_range("no kept bytes named " + std::string(name) + " in this layout");
}

std::uint32_t readCapcodeSix(const Image& image, int slot) {
    checkSlot(slot, 6);
    const Offset at = entryOffset(kSixEntryBytes, slot);
    const std::uint32_t entry = image[at] | (image[at + 1] << 8) | (static_cast<std::uint32_t>(image[at + 2]) << 16);
    const unsigned frame = storedBits(image, Layout::SixAddress, field::frame(slot <= 2 ? 1 : 3));
    return entry * 8 + frame;
}

void writeCapcodeEntrySix(Image& image, int slot, std::uint32_t capcode) {
    checkSlot(slot, 6);
    const Offset at = entryOffset(kSixEntryBytes, slot);
    const std::uint32_t entry = capcode / 8;
    image[at] = static_cast<std::uint8_t>(entry);
    image[at + 1] = static_cast<std::uint8_t>(entry >> 8);
    image[at + 2] = static_cast<std::uint8_t>(entry >> 16);
}

CapcodeEntry readCapcodeEight(const Image& image, int slot) {
    checkSlot(slot, 8);
    const Offset at = entryOffset(kEightEntryBytes, slot);
    CapcodeEntry entry;
    entry.enabled = (image[at] & 0x80) != 0;
    entry.capcode = static_cast<std::uint32_t>(mirror8(image[at + 2])) * (1u << 11) +
                    static_cast<std::uint32_t>(mirror2(image[at + 1] >> 6)) * (1u << 19) +
                    static_cast<std::uint32_t>(mirror8(image[at + 3])) * 8 + mirror3((image[at + 1] >> 3) & 7);
    return entry;
}

void writeCapcodeEntryEight(Image& image, int slot, std::uint32_t capcode, bool enabled) {
    checkSlot(slot, 8);
    const Offset at = entryOffset(kEightEntryBytes, slot);
    image[at] = static_cast<std::uint8_t>(0x06 | (enabled ? 0x80 : 0));
    image[at + 1] = static_cast<std::uint8_t>(mirror2((capcode >> 19) & 3) * 64 + mirror3(capcode & 7) * 8 +
                                              mirror3(static_cast<unsigned>(slot - 1)));
    image[at + 2] = mirror8((capcode >> 11) & 0xFF);
    image[at + 3] = mirror8((capcode >> 3) & 0xFF);
}

}  // namespace pagerprog
