// Image to settings: spreads the EEPROM image over the settings record in the layout of
// the current hardware revision. Fields are set through the model, so the change and
// click rules of text fields and check boxes run as each one is filled; the decoder runs
// the change rules of the message types and of the N counter itself.
#pragma once

namespace pagerprog {

struct Context;

// Reads ctx.program.image and writes the settings; the only image byte it changes is the
// LCD driver OPA (0 becomes 2). A Vref that is no number stops it with a ConversionError
// at the battery voltages, leaving the later fields as they were.
void decodeImage(Context& ctx);

// The rules a loaded image needs afterwards, in this order, as if the focus had left each
// field: the frequency raster, the address checks and frames of slots 1 to `addressSlots`,
// then the customer profile.
void reapplyRulesAfterLoad(Context& ctx, int addressSlots);

}  // namespace pagerprog
