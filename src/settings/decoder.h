// Image to settings: spreads the EEPROM image over the settings record in the layout of
// the current hardware revision. Fields are set through the model, so the change and
// click rules of text fields and check boxes run as each one is filled; the decoder runs
// the change rules of the message types and of the N counter itself.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace pagerprog {

struct Context;

// The bytes a text field's slot keeps after the zero that ends the text the field shows
// (see textSlotTail); "" for any other field.
std::string storedTextTail(const Context& ctx, std::string_view field);

// Reads ctx.program.image and writes the settings; the only image byte it changes is the
// LCD driver OPA (0 becomes 2). A Vref that is no number stops it with a ConversionError
// at the battery voltages, leaving the later fields as they were.
void decodeImage(Context& ctx);

// Decodes only these fields from the image, in this order, as decodeImage would set them.
void decodeFields(Context& ctx, const std::vector<std::string>& fields);

}  // namespace pagerprog
