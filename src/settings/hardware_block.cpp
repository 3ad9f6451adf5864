#include "settings/hardware_block.h"

#include <algorithm>

#include "context/context.h"
#include "settings/conversion.h"
#include "settings/decoder.h"
#include "settings/image_layout.h"

namespace pagerprog {

namespace {

// The battery codes a factory QTX73T holds, by threshold.
struct CodeRange {
    const char* field;
    unsigned low, high;
};
constexpr CodeRange kFactoryBatteryCodes[] = {
    {field::fullbat, 102, 182}, {field::halfbat, 76, 104}, {field::lowbat, 76, 104}, {field::gonebat, 65, 76}};
constexpr std::uint8_t kFactoryDecoderSetup = 6;

int qtx73t() {
    static const int item = tableItem(field::pager_model, "QTX73T");
    return item;
}

// The calibration is trusted only when it looks like a factory QTX73T's: battery codes in
// their ranges, the model QTX73T, the decoder set up with PLL, 7-bit data and two-bit
// error correction, and the decoder's reserved bytes as the factory leaves them.
bool factoryCalibration(const Image& image) {
    constexpr Layout six = Layout::SixAddress;
    for (const auto& [field, low, high] : kFactoryBatteryCodes) {
        const unsigned code = storedBits(image, six, field);
        if (code < low || code > high) return false;
    }
    const KeptBytes& setup = keptRun(six, kept::decoderSetup);
    const KeptBytes& reserve = keptRun(six, kept::decoderReserve);
    return static_cast<int>(storedBits(image, six, field::pager_model)) == qtx73t() &&
           image[setup.offset] == kFactoryDecoderSetup && storedBits(image, six, field::pll_enable) == 1 &&
           storedBits(image, six, field::data_format) == 1 && (storedBits(image, six, field::errcorrect) & 2) != 0 &&
           std::all_of(image.begin() + reserve.offset, image.begin() + reserve.offset + reserve.length,
                       [](std::uint8_t b) { return b == 0; });
}

// What a pager without a trustworthy calibration gets.
void factoryDefaults(Context& ctx) {
    constexpr Layout six = Layout::SixAddress;
    Image& image = ctx.program.image;
    SettingsModel& m = ctx.model;
    const KeptBytes& setup = keptRun(six, kept::decoderSetup);
    const KeptBytes& reserve = keptRun(six, kept::decoderReserve);
    image[setup.offset] = kFactoryDecoderSetup;
    m.setIndex(field::BS2, tableItem(field::BS2, "15"));
    m.setIndex(field::BS3, tableItem(field::BS3, "0"));
    // The decoder byte as the factory sets it: PLL on, 7-bit data, two-bit error correction.
    storeBits(image, six, field::pll_enable, 1);
    storeBits(image, six, field::data_format, 1);
    storeBits(image, six, field::errcorrect, 2);
    storeBits(image, six, field::polarity, 0);
    storeBits(image, six, field::baudrate, 0);
    std::fill_n(image.begin() + reserve.offset, reserve.length, 0);
    m.setIndex(field::pager_model, qtx73t());
    m.setIndex(field::backlight, tableItem(field::backlight, "LED"));
    // The factory voltages, written with the system's separator so that they encode.
    const char* volts[] = {"1.50", "0.95", "0.95", "0.77"};
    for (std::size_t i = 0; i < std::size(kFactoryBatteryCodes); ++i)
        m.setText(kFactoryBatteryCodes[i].field, withDecimalSeparator(volts[i], ctx.program.decimalSeparator));
}

}  // namespace

std::vector<std::string> calibrationFields(Revision revision) {
    if (revision == Revision::TV8) return {field::pll, field::backlight, field::contrast};
    return {field::BS2, field::BS3,       field::errcorrect, field::data_format, field::pll_enable, field::pager_model,
            field::pll, field::backlight, field::fullbat,    field::halfbat,     field::lowbat,     field::gonebat};
}

void takeHardwareBlock(Context& ctx) {
    std::vector<std::string> fields = calibrationFields(ctx.program.hardwareRevision);
    if (ctx.program.hardwareRevision == Revision::TV8) {
        if (ctx.model.checked(field::contrast_enable)) std::erase(fields, field::contrast);
        decodeFields(ctx, fields);
        return;
    }
    if (!factoryCalibration(ctx.program.image)) {
        factoryDefaults(ctx);
        return;
    }
    decodeFields(ctx, fields);
}

}  // namespace pagerprog
