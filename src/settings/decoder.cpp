#include "settings/decoder.h"

#include "context/context.h"
#include "settings/conversion.h"
#include "settings/frequency.h"
#include "settings/image_layout.h"
#include "settings/image_values.h"

namespace pagerprog {

namespace {

void decodeRow(Context& ctx, const ImageField& row) {
    const Image& image = ctx.program.image;
    SettingsModel& model = ctx.model;
    const char separator = ctx.program.decimalSeparator;
    switch (row.coding) {
        case Coding::Flag: model.setChecked(row.field, readRowBits(image, row, 1) != 0); break;
        case Coding::InvertedFlag: model.setChecked(row.field, readRowBits(image, row, 1) == 0); break;
        case Coding::Choice: model.setIndex(row.field, static_cast<int>(readRowBits(image, row, row.width))); break;
        case Coding::Number:
            model.setText(row.field, formatInteger(readRowBits(image, row, row.readWidth ? row.readWidth : row.width)));
            break;
        case Coding::Text: model.setText(row.field, readTextSlot(image, row.offset, row.width)); break;
        case Coding::Pattern:
            model.setText(row.field, patternText(static_cast<std::uint16_t>(readLittleEndian(image, row.offset, 2))));
            break;
        case Coding::Frequency: {
            // A channel outside the typed band keeps a decimal mark, so that the frequency
            // rule reads it as the number it is ("14." is 14 MHz, never padded to 140).
            const Frequency frequency(readLittleEndian(image, row.offset, 4));
            std::string text = frequency.text(separator);
            if (!frequency.typable() && text.find(separator) == std::string::npos) text += separator;
            model.setText(row.field, text);
            break;
        }
        case Coding::Battery:
            model.setText(row.field, batteryText(image[row.offset], model.text(field::Vref),
                                                 ctx.program.batteryRoundingStep, separator));
            break;
        case Coding::Constant: break;
        case Coding::Quirk:
            if (row.quirk->decode) row.quirk->decode(ctx, row);
            break;
    }
}

}  // namespace

void decodeImage(Context& ctx) {
    for (const ImageField& row : imageLayout(layoutOf(ctx.program.hardwareRevision))) {
        if (!row.encodeOnly) decodeRow(ctx, row);
        if (!row.fireAfter.empty()) ctx.model.fireChange(row.fireAfter);
    }
}

std::string storedTextTail(const Context& ctx, std::string_view field) {
    for (const ImageField* row : rowsOf(layoutOf(ctx.program.hardwareRevision), field))
        if (row->coding == Coding::Text) return textSlotTail(ctx.program.image, row->offset, row->width);
    return "";
}

void decodeFields(Context& ctx, const std::vector<std::string>& fields) {
    const Layout layout = layoutOf(ctx.program.hardwareRevision);
    for (const std::string& name : fields) {
        for (const ImageField* row : rowsOf(layout, name)) decodeRow(ctx, *row);
    }
}

}  // namespace pagerprog
