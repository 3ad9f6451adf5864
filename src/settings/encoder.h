// Settings to image: writes every setting that has a place in the EEPROM image, in the
// layout of the current hardware revision. Bytes no setting owns, the trailing bytes of
// short texts, the prompt area and the checksum byte keep their values.
#pragma once

#include "settings/eeprom_image.h"

namespace pagerprog {

struct Context;

// The image the settings encode to now, built on ctx.program.image; the program's image
// is left alone. Throws the ConversionError of a field that holds no number.
Image encodedImage(const Context& ctx);

// Builds the new image in a copy and replaces ctx.program.image only when every field
// converted: a field that holds no number throws its ConversionError and leaves the
// image exactly as it was, so nothing half-built can be saved or written.
void encodeImage(Context& ctx);

// The image encodeImage would make, leaving ctx.program.image as it is.
Image encodedImage(const Context& ctx);

}  // namespace pagerprog
