// A settings file is the 2048 bytes of the EEPROM image, nothing before or after them,
// checked by its checksum byte and its customer byte when it is opened.
#pragma once

#include <cstdint>
#include <string>

#include "settings/eeprom_image.h"

namespace pagerprog {

struct ReadOutcome {
    bool read = false;
    std::string error;          // the system's reason when not read
    std::uintmax_t length = 0;  // the file's length in bytes
};

// The first 2048 bytes of the file at `path` (UTF-8); missing bytes at the end read as
// 0xFF. Not read when the file cannot be opened or reading it fails.
ReadOutcome readSettingsFile(const std::string& path, Image& bytes);

// Why a file of this length is no settings file ("100 bytes, a settings file has 2048"),
// or "" for a file of the right length.
std::string lengthProblem(std::uintmax_t length);

struct SaveOutcome {
    bool saved = false;
    bool inPlace = false;  // the folder took no temporary file: the file was written where it is
    std::string error;     // the system's reason when not saved
};

// Writes the 2048 bytes to `path` (UTF-8). A regular file (or a new one) is replaced
// atomically: the bytes go into a temporary file created beside it under a unique name,
// synced, then renamed over it, so a failure leaves the old file as it was; when the
// folder takes no temporary file, an existing file is written in place and synced.
// Links are followed to the file they name, and kept. A device, a pipe or one of the
// program's own descriptors (/dev/stdout) is written, never replaced. "&Save", the pager
// read's debug dump and the simulated pager's file use it.
SaveOutcome writeImageFile(const std::string& path, const Image& image);

}  // namespace pagerprog
