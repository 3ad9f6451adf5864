// Program-wide state owned by the main window for the life of the process.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "link/parallel_ports.h"
#include "settings/eeprom_image.h"
#include "settings/revision.h"

namespace pagerprog {

struct ProgramState {
    Image image{};       // the one EEPROM image
    Image loadBuffer{};  // a file or a pager read lands here and is checked before it replaces the image
    Revision hardwareRevision = Revision::TV7r2;
    char decimalSeparator = '.';
    // Rounds the battery display to the voltage that encodes back to its code, on
    // decimal-comma systems too (a display that only cut would lower every threshold by
    // one step at each load and save).
    double batteryRoundingStep = 0.01;
    std::string languageFile = "EnglishStr.lib";
    std::string defaultFolder;  // the program's data folder, where the language files are
    std::uint16_t portBase = parallel_port::lpt1.base;
    bool usbProgrammerInUse = false;
    int channelStep = 0;  // the raster the frequency rule chose last (6250 or 5000 Hz)
    // Saving or writing settings the image would hold other than they are shown is refused
    // (the command-line tool), not only reported (the window).
    bool refuseUnshownValues = false;
    // The settings file last opened or saved and the SHA-256 of its 2048 bytes ("" after a
    // pager read), and what the settings encoded to then: how unsaved edits are told apart
    // (app/document.h).
    std::string settingsFile;
    std::string settingsFileSha256;
    std::optional<Image> savedSettings;
};

}  // namespace pagerprog
