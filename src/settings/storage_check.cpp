#include "settings/storage_check.h"

#include <cmath>
#include <set>

#include "context/context.h"
#include "settings/conversion.h"
#include "settings/decoder.h"
#include "settings/encoder.h"
#include "settings/frequency.h"
#include "settings/image_layout.h"

namespace pagerprog {

namespace {

std::string shownValue(const Field& field, int index, bool checked, const std::string& text) {
    switch (field.def->kind) {
        case FieldKind::Choice:
            return index >= 0 && index < static_cast<int>(field.items.size())
                       ? "\"" + field.items[static_cast<std::size_t>(index)] + "\""
                       : "no item";
        case FieldKind::Flag: return checked ? "checked" : "not checked";
        default: return "\"" + text + "\"";
    }
}

bool sameNumber(const std::string& shown, const std::string& stored) {
    try {
        return parseInteger(shown) == parseInteger(stored);
    } catch (const ConversionError&) {
        return shown == stored;
    }
}

bool sameVolts(const std::string& shown, const std::string& stored, char separator) {
    try {
        return std::fabs(parseReal(shown, separator) - parseReal(stored, separator)) < 1e-9;
    } catch (const ConversionError&) {
        return shown == stored;
    }
}

bool sameValue(const ImageField& row, const Field& shown, const Field& stored, char separator) {
    if (shown.def->kind == FieldKind::Choice) return shown.index == stored.index;
    if (shown.def->kind == FieldKind::Flag) return shown.checked == stored.checked;
    switch (row.coding) {
        case Coding::Text:
        case Coding::Pattern: return shown.text == stored.text;
        case Coding::Frequency:
            return Frequency::fromText(shown.text, separator) == Frequency::fromText(stored.text, separator);
        case Coding::Battery: return sameVolts(shown.text, stored.text, separator);
        default: return sameNumber(shown.text, stored.text);
    }
}

std::string reasonFor(const ImageField& row, const Field& shown, Layout layout) {
    if (row.quirk != nullptr && layout == Layout::SixAddress && row.slot > 0) {
        return row.slot <= 2 ? "TV7 pagers keep one frame for slots 1 and 2, that of address1"
                             : "TV7 pagers keep one frame for slots 3 to 6, that of address3";
    }
    switch (row.coding) {
        case Coding::Text:
            return "the pager keeps " + std::to_string(row.width) + " characters, up to the first zero byte";
        case Coding::Pattern: return "the pager keeps four hexadecimal digits, a missing one as C";
        case Coding::Frequency: return "the pager keeps whole hertz";
        case Coding::Battery: return "the pager keeps the voltage in steps of Vref / 256";
        case Coding::Choice: return "the pager keeps one of the list's items";
        case Coding::Number: {
            const unsigned bits = row.readWidth != 0 ? row.readWidth : row.width;
            return "the pager keeps numbers from 0 to " + std::to_string((1u << bits) - 1);
        }
        default: break;
    }
    if (shown.def->kind == FieldKind::Choice) return "the pager keeps one of the list's items";
    return "the image cannot hold this value";
}

}  // namespace

std::vector<StorageDifference> storageDifferences(const Context& ctx) {
    Host quiet;
    Context scratch(quiet);
    scratch.program = ctx.program;
    scratch.program.image = encodedImage(ctx);
    scratch.model.setText(field::Vref, ctx.model.text(field::Vref));
    decodeImage(scratch);

    const Layout layout = layoutOf(ctx.program.hardwareRevision);
    std::vector<StorageDifference> differences;
    std::set<std::string> compared;
    for (const ImageField& row : imageLayout(layout)) {
        if (row.field.empty() || row.encodeOnly || !compared.insert(row.field).second) continue;
        const Field& shown = ctx.model.field(row.field);
        const Field& stored = scratch.model.field(row.field);
        if (sameValue(row, shown, stored, ctx.program.decimalSeparator)) continue;
        differences.push_back({row.field, shownValue(shown, shown.index, shown.checked, shown.text),
                               shownValue(shown, stored.index, stored.checked, stored.text),
                               reasonFor(row, shown, layout)});
    }
    return differences;
}

std::string describe(const StorageDifference& difference) {
    return difference.field + " shows " + difference.shown + " but the pager image will hold " + difference.stored +
           ": " + difference.reason + ".";
}

}  // namespace pagerprog
