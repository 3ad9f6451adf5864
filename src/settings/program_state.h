// Program-wide state owned by the main window for the life of the process, and the
// edition settings fixed when the program is built.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "settings/eeprom_image.h"
#include "settings/host.h"
#include "settings/host_tap.h"
#include "settings/revision.h"
#include "settings/settings_model.h"

namespace pagerprog {

namespace edition {
inline constexpr bool factoryEdition = PAGERPROG_FACTORY_EDITION != 0;
inline constexpr bool hebrewEdition = PAGERPROG_HEBREW_EDITION != 0;
inline constexpr int defaultCustomer = PAGERPROG_DEFAULT_CUSTOMER;
}  // namespace edition

inline constexpr std::uint16_t kLpt1Base = 0x378;
inline constexpr std::uint16_t kLpt2Base = 0x278;

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
    std::uint16_t portBase = kLpt1Base;
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

// What every rule, the image code and the workflows work on: the host, the settings
// record and the program-wide state. Focus requests of the rules reach the host. The host
// is reached through a tap, so that a pager operation can keep the lines it logged.
struct Context {
    explicit Context(Host& outside) : tap(outside), host(tap) {
        model.setFocusSink([this](const std::string& field) { this->host.requestFocus(field); });
    }
    Context(const Context&) = delete;
    Context& operator=(const Context&) = delete;

    // A rejected input: one status-log line and the beep, in that order.
    void logAndBeep(const std::string& line) {
        host.log(line);
        host.beep();
    }

    HostTap tap;
    Host& host;
    SettingsModel model;
    ProgramState program;
};

}  // namespace pagerprog
