// Names of the per-slot and per-folder fields the rules address, built the way the
// window names them: "address" + 3 -> "address3", "addr" + 3 + "en" -> "addr3en",
// folder 10 of "pubboxlength" -> "pubboxlengthA".
#pragma once

#include <string>
#include <string_view>

#include "settings/field_table.h"

namespace pagerprog::rules {

inline std::string slotField(std::string_view prefix, int slot, std::string_view suffix = "") {
    std::string name(prefix);
    name += std::to_string(slot);
    name += suffix;
    return name;
}

// folder is 0..23 (captioned [1]..[24]).
inline std::string folderField(std::string_view prefix, int folder) {
    return std::string(prefix) + folderSuffix(folder);
}

inline bool isDigit(char key) { return key >= '0' && key <= '9'; }

}  // namespace pagerprog::rules
