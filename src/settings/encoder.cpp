#include "settings/encoder.h"

#include "context/context.h"
#include "settings/conversion.h"
#include "settings/frequency.h"
#include "settings/image_layout.h"
#include "settings/image_values.h"

namespace pagerprog {

namespace {

bool isBitFieldRow(const ImageField& row) {
    switch (row.coding) {
        case Coding::Flag:
        case Coding::InvertedFlag:
        case Coding::Choice:
        case Coding::Number:
        case Coding::Constant: return true;
        default: return false;
    }
}

// Every byte built from bit fields starts from 0, so bits no setting names end up 0.
void clearBitFieldBytes(Image& image, const std::vector<ImageField>& rows) {
    for (const ImageField& row : rows) {
        if (isBitFieldRow(row)) image[row.offset] = 0;
    }
}

void encodeRow(const Context& ctx, Image& image, const ImageField& row) {
    const SettingsModel& model = ctx.model;
    const char separator = ctx.program.decimalSeparator;
    switch (row.coding) {
        case Coding::Flag: writeRowBits(image, row, model.checked(row.field) ? 1 : 0); break;
        case Coding::InvertedFlag: writeRowBits(image, row, model.checked(row.field) ? 0 : 1); break;
        case Coding::Choice:
            // No item chosen is -1: all ones in the row's bits.
            writeRowBits(image, row, static_cast<unsigned>(model.index(row.field)));
            break;
        case Coding::Number:
            writeRowBits(image, row, static_cast<unsigned>(parseInteger(model.text(row.field))));
            break;
        case Coding::Text: writeTextSlot(image, row.offset, row.width, model.text(row.field)); break;
        case Coding::Pattern: writeLittleEndian(image, row.offset, 2, patternValue(model.text(row.field))); break;
        case Coding::Frequency: {
            const std::string& text = model.text(row.field);
            const auto frequency = Frequency::fromText(text, separator);
            if (!frequency) throw invalidFloat(text);
            writeLittleEndian(image, row.offset, 4, frequency->hertz());
            break;
        }
        case Coding::Battery:
            image[row.offset] = batteryCode(model.text(row.field), model.text(field::Vref), separator);
            break;
        case Coding::Constant: writeRowBits(image, row, row.constant); break;
        case Coding::Quirk:
            if (row.quirk->encode) row.quirk->encode(ctx, image, row);
            break;
    }
}

}  // namespace

Image encodedImage(const Context& ctx) {
    const auto& rows = imageLayout(layoutOf(ctx.program.hardwareRevision));
    Image image = ctx.program.image;
    clearBitFieldBytes(image, rows);
    for (const ImageField& row : rows) encodeRow(ctx, image, row);
    return image;
}

void encodeImage(Context& ctx) { ctx.program.image = encodedImage(ctx); }

}  // namespace pagerprog
