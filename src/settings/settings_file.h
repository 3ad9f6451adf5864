// The "&Open" and "&Save" commands of the "&File" menu: a settings file is the 2048
// bytes of the EEPROM image, checked by its checksum byte and its customer byte.
#pragma once

#include <string>

#include "settings/eeprom_image.h"

namespace pagerprog {

struct Context;

// "&Open": reads the chosen file (at most 2048 bytes, a short file padded with 0xFF)
// into the load buffer; only when its checksum holds and it was saved for the current
// customer does it replace the image, get decoded and have the frequency, address and
// customer rules re-applied. True when the file was loaded.
bool Open1(Context& ctx);

// "&Save": pads the hello lines, encodes the settings, sets the checksum and writes the
// image to the chosen file. The file is replaced only once the new content is completely
// on disk, so a failed save leaves any earlier file as it was. True when saved.
bool Save1(Context& ctx);

// Writes the 2048 bytes to the file at `path` (UTF-8) the way "&Save" does: into a
// temporary file beside it, renamed over it once complete. False when anything failed;
// the old file is then as it was. The pager read's debug dump uses it too.
bool writeImageFile(const std::string& path, const Image& image);

}  // namespace pagerprog
