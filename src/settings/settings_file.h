// A settings file is the 2048 bytes of the EEPROM image, nothing before or after them,
// checked by its checksum byte and its customer byte when it is opened.
#pragma once

#include <string>

#include "settings/eeprom_image.h"

namespace pagerprog {

// The first 2048 bytes of the file at `path` (UTF-8); missing bytes at the end read as
// 0xFF. False when the file cannot be opened or reading it fails.
bool readSettingsFile(const std::string& path, Image& bytes);

// Writes the 2048 bytes to the file at `path` (UTF-8): into a temporary file beside it,
// renamed over it once complete. False when anything failed; the old file is then as it
// was. "&Save" and the pager read's debug dump use it.
bool writeImageFile(const std::string& path, const Image& image);

}  // namespace pagerprog
