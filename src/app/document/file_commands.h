// The "&Open" and "&Save" commands of the "&File" menu.
#pragma once

namespace pagerprog {

struct Context;

// "&Open": reads the chosen file (at most 2048 bytes, a short file padded with 0xFF)
// into the load buffer; only when its checksum holds and it was saved for the current
// customer does it replace the image and the settings. True when the file was loaded.
bool Open1(Context& ctx);

// "&Save": pads the hello lines, encodes the settings, sets the checksum and writes the
// image to the chosen file. The file is replaced only once the new content is completely
// on disk, so a failed save leaves any earlier file as it was. True when saved.
bool Save1(Context& ctx);

}  // namespace pagerprog
