// Whether the settings hold edits that would be lost: they are compared, as the image they
// encode to, with what they encoded to at the last file opened or saved or pager read.
// Comparing encoded images rather than field texts counts exactly what a save would keep.
#pragma once

#include <string>

#include "settings/eeprom_image.h"

namespace pagerprog {

struct Context;

// The settings as they are now are the ones kept in the settings file `path`, whose bytes
// are `fileBytes`; a pager read and the start-up settings keep them in no file ("", null).
void markSettingsKept(Context& ctx, const std::string& path, const Image* fileBytes);

// True when the settings encode to another image than when they were last kept, or no
// longer encode at all (a field that holds no number).
bool settingsModified(const Context& ctx);

// The settings file last opened or saved, "" when the settings came from elsewhere since.
const std::string& documentPath(const Context& ctx);

}  // namespace pagerprog
