#include "settings/image_layout.h"

#include "settings/field_table.h"
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

ImageField quirk(const QuirkCodec& codec, std::string field = "", int slot = 0) {
    ImageField f = row(Coding::Quirk, std::move(field), 0, 0, 0);
    f.quirk = &codec;
    f.slot = slot;
    return f;
}

ImageField thenRunChange(ImageField f, std::string field) {
    f.fireAfter = std::move(field);
    return f;
}

// Bytes 0x000..0x02F while the revision is TV7r2 or TV7r3 (decoder "Q4").
void addSixAddressHead(Rows& rows) {
    for (int n = 1; n <= 6; ++n) rows.push_back(quirk(quirk::sixAddressEntry, slotField("address", n), n));
    for (int n = 1; n <= 6; ++n) rows.push_back(flag(slotField("addr", n, "en"), 0x012, static_cast<Bits>(n - 1)));
    // The frame byte: one frame for slots 1-2, one for slots 3-6, taken from frame1 and
    // frame3, which the address rules keep; the decoder never sets them.
    rows.push_back(constant(0x013, 7, 1, 1));
    for (auto [field, shift] : {std::pair{"frame1", 3}, std::pair{"frame3", 0}}) {
        ImageField f = number(field, 0x013, 3);
        f.shift = static_cast<Bits>(shift);
        f.encodeOnly = true;
        rows.push_back(f);
    }
    rows.push_back(choice("BS2", 0x015, 0, 4));
    rows.push_back(choice("BS3", 0x015, 4, 4));
    rows.push_back(choice("baudrate", 0x016, 0, 2));
    rows.push_back(choice("errcorrect", 0x016, 2, 2));
    rows.push_back(choice("polarity", 0x016, 4, 1));
    rows.push_back(choice("data_format", 0x016, 5, 1));
    rows.push_back(flag("pll_enable", 0x016, 6));
    rows.push_back(quirk(quirk::channelStep));
    rows.push_back(row(Coding::Frequency, "frequency", 0x020, 0, 32));
    rows.push_back(number("unread_alert", 0x024, 8, 6));
}

// Bytes 0x000..0x02F in the TV8 revision (decoder "SM8212").
void addEightAddressHead(Rows& rows) {
    for (int n = 1; n <= 8; ++n) {
        const auto entry = static_cast<Offset>(4 * (n - 1));
        rows.push_back(flag(slotField("addr", n, "en"), entry, 7));
        rows.push_back(constant(entry, 0, 7, 0x06));
    }
    for (int n = 1; n <= 8; ++n) rows.push_back(quirk(quirk::eightAddressEntry, slotField("address", n), n));
    rows.push_back(flag("bs2_option", 0x020, 7));
    rows.push_back(constant(0x020, 0, 7, 0x02));
    rows.push_back(flag("end_of_msg", 0x021, 0));
    rows.push_back(choice("clko", 0x021, 1, 2));
    rows.push_back(mirroredChoice("baudrate", 0x021, 3, 2));
    rows.push_back(choice("polarity", 0x021, 5, 1));
    rows.push_back(quirk(quirk::bs3Split, "bs3_8212"));
    rows.push_back(quirk(quirk::bs1Split, "bs1_8212"));
    rows.push_back(flag("filter_enable", 0x023, 2));
    rows.push_back(mirroredChoice("filter_strength", 0x023, 3, 2));
    rows.push_back(mirroredChoice("error_rate", 0x023, 5, 3));
    rows.push_back(quirk(quirk::fennicMark));
    rows.push_back(choice("n_count", 0x025, 4, 3));
    rows.push_back(thenRunChange(choice("r_count", 0x025, 0, 3), "n_count"));
    rows.push_back(quirk(quirk::counterComplement));
    rows.push_back(choice("char_size", 0x027, 0, 2));
    rows.push_back(choice("lcd_module", 0x028, 0, 2));
    rows.push_back(constant(0x029, 0, 8, 0xC4));  // 2500, little-endian
    rows.push_back(constant(0x02A, 0, 8, 0x09));
    rows.push_back(row(Coding::Frequency, "frequency", 0x02B, 0, 32));
    rows.push_back(number("unread_alert", 0x02F, 6, 6));
}

// The four presentation formats of a slot, two bits each from bit 0 up.
void addSlotFormats(Rows& rows, int slot, Offset offset) {
    Bits shift = 0;
    for (const char* code : {"A", "B", "C", "D"}) {
        rows.push_back(choice(slotField("addr", slot, "format") + code, offset, shift, 2));
        shift += 2;
    }
}

// The urgent flags of two slots share a byte: the first in bits 0-3, the second in 4-7.
void addUrgentFlags(Rows& rows, int firstSlot, Offset offset) {
    for (int slot = firstSlot; slot <= firstSlot + 1; ++slot) {
        Bits bit = static_cast<Bits>((slot - firstSlot) * 4);
        for (const char* code : {"A", "B", "C", "D"})
            rows.push_back(flag(slotField("urgent", slot, code), offset, bit++));
    }
}

// Bytes 0x030..0x3FF, in the same place in both layouts.
void addCommonPart(Rows& rows, Layout layout) {
    const bool eight = layout == Layout::EightAddress;
    Offset at = 0x030;
    for (const char* name : {"tonepatternA", "tonepatternB", "tonepatternC", "tonepatternD", "tonepatternPon",
                             "tonepatternLcell", "tonepatternUcall1", "tonepatternUcall2"}) {
        rows.push_back(row(Coding::Pattern, name, at, 0, 16));
        at += 2;
    }
    rows.push_back(choice("urgentcalltype", 0x040, 7, 1));
    rows.push_back(flag("toneonlymsg", 0x040, 6));
    rows.push_back(quirk(quirk::alertType, "alerttype"));
    rows.push_back(choice("pubboxmode", 0x041, 7, 1));
    rows.push_back(flag("autospacing", 0x041, 6));
    rows.push_back(quirk(quirk::dateFormat, "dateformat"));
    rows.push_back(flag("msgstatus", 0x041, 4));
    rows.push_back(choice("lowcalldelay", 0x041, 3, 1));
    rows.push_back(quirk(quirk::unreadAlertFlag, "unread_alert"));
    rows.push_back(choice("numset", 0x041, 1, 1));
    rows.push_back(flag("handprog", 0x042, 7));
    rows.push_back(row(Coding::InvertedFlag, "quietsound", 0x042, 6, 1));
    rows.push_back(flag("outrange", 0x042, 5));
    rows.push_back(flag("pageoff", 0x042, 4));
    rows.push_back(flag("lowbatspecalert", 0x042, 3));
    rows.push_back(flag("ota", 0x042, 2));
    rows.push_back(choice("repeatcallcheck", 0x042, 0, 2));
    rows.push_back(flag("datetime", 0x043, 7));
    rows.push_back(flag("msgfull", 0x043, 6));
    rows.push_back(flag("repeatmsg", 0x043, 5));
    rows.push_back(flag("ureadmsg", 0x043, 4));
    rows.push_back(choice("rangeindicator", 0x043, 3, 1));
    rows.push_back(flag("alarm", 0x043, 2));
    rows.push_back(flag("timedisplay", 0x043, 1));
    rows.push_back(flag("msglock", 0x043, 0));
    rows.push_back(number("lcdholdtime", 0x044));
    for (int n = 1; n <= 6; ++n) {
        const std::string msgtype = slotField("msgtype", n);
        rows.push_back(thenRunChange(choice(msgtype, 0x045, static_cast<Bits>(n - 1), 1), msgtype));
    }
    rows.push_back(number("contrast", 0x046));
    rows.push_back(byteChoice("language", 0x047));
    for (int n = 1; n <= 6; ++n) addSlotFormats(rows, n, static_cast<Offset>(0x048 + n - 1));
    if (eight) {
        addSlotFormats(rows, 7, 0x056);
        addSlotFormats(rows, 8, 0x057);
    }
    rows.push_back(row(Coding::Text, "handprogpws", 0x04E, 0, 4));
    for (int k = 0; k < 24; ++k)
        rows.push_back(flag(folderField("pubboxact", k), static_cast<Offset>(0x052 + k / 8), static_cast<Bits>(k % 8)));
    for (int k = 0; k < 24; ++k)
        rows.push_back(row(Coding::Text, folderField("pubbox", k), static_cast<Offset>(0x06A + 9 * k), 0, 9));
    for (int k = 0; k < 24; ++k)
        rows.push_back(number(folderField("pubboxlength", k), static_cast<Offset>(0x142 + k), 8, 7));
    rows.push_back(number("maxprivate", 0x15A));
    rows.push_back(byteChoice("repeatcallreject", 0x15B));
    rows.push_back(choice("vibratetype", 0x17E, 0, 2));
    rows.push_back(choice("backlight", 0x17E, 2, 1));
    rows.push_back(flag("msgstatusprefix", 0x17E, 3));
    rows.push_back(flag("auto_backlight", 0x17E, 5));
    rows.push_back(row(Coding::Pattern, "vibratepattern", 0x17F, 0, 16));
    for (int n = 1; n <= 5; n += 2) addUrgentFlags(rows, n, static_cast<Offset>(0x181 + n / 2));
    if (eight) addUrgentFlags(rows, 7, 0x058);
    rows.push_back(byteChoice("pager_model", 0x184));
    rows.push_back(flag("timeprefix", 0x185, 0));
    rows.push_back(flag("autooff", 0x185, 3));
    rows.push_back(choice("alertmode", 0x185, 6, 1));
    rows.push_back(choice("pll", 0x185, 4, 1));
    rows.push_back(choice("zoom", 0x185, 2, 1));
    rows.push_back(number("autooffstart", 0x186));
    rows.push_back(number("autooffstop", 0x187));
    rows.push_back(number("alarmhour", 0x189));
    rows.push_back(number("alarmminute", 0x18A));
    at = 0x18B;
    for (const char* name : {"fullbat", "halfbat", "lowbat", "gonebat"})
        rows.push_back(row(Coding::Battery, name, at++, 0, 8));
    rows.push_back(quirk(quirk::rangeTime, "rangetime"));
    at = 0x190;
    for (const char* name : {"cannedmsgA", "cannedmsgB", "cannedmsgC", "cannedmsgD"}) {
        rows.push_back(row(Coding::Text, name, at, 0, 20));
        at += 20;
    }
    rows.push_back(row(Coding::Text, "hellomsg1", 0x240, 0, 20));
    rows.push_back(row(Coding::Text, "hellomsg2", 0x254, 0, 20));
    rows.push_back(number("alerttime", 0x268));
    rows.push_back(quirk(quirk::lcdOpaZeroAsTwo));
    rows.push_back(number("lcddrv_opa", 0x269));
    rows.push_back(byteChoice("customer", static_cast<Offset>(kCustomerOffset)));
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

std::uint8_t rowMask(const ImageField& row) { return static_cast<std::uint8_t>(((1u << row.width) - 1u) << row.shift); }

unsigned readRowBits(const Image& image, const ImageField& row, unsigned bits) {
    const unsigned raw = (image[row.offset] >> row.shift) & ((1u << bits) - 1u);
    return row.reversed ? reverseBits(raw, bits) : raw;
}

void writeRowBits(Image& image, const ImageField& row, unsigned value) {
    const std::uint8_t mask = rowMask(row);
    if (row.reversed) value = reverseBits(value, row.width);
    image[row.offset] = static_cast<std::uint8_t>((image[row.offset] & ~mask) | ((value << row.shift) & mask));
}

}  // namespace pagerprog
