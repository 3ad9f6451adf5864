#include "settings/field_names.h"

namespace pagerprog::field {

namespace {

std::string slotName(const char* prefix, int slot, const std::string& suffix = "") {
    return prefix + std::to_string(slot) + suffix;
}

}  // namespace

std::string addrEn(int slot) { return slotName("addr", slot, "en"); }
std::string address(int slot) { return slotName("address", slot); }
std::string autoinc(int slot) { return slotName("autoinc", slot); }
std::string frame(int slot) { return slotName("frame", slot); }
std::string msgtype(int slot) { return slotName("msgtype", slot); }
std::string addrFormat(int slot, char code) { return slotName("addr", slot, std::string("format") + code); }
std::string urgent(int slot, char code) { return slotName("urgent", slot, std::string(1, code)); }

std::string folderSuffix(int folder) {
    return std::string(1, folder < 10 ? static_cast<char>('0' + folder) : static_cast<char>('A' + (folder - 10)));
}

std::string pubboxact(int folder) { return "pubboxact" + folderSuffix(folder); }
std::string pubbox(int folder) { return "pubbox" + folderSuffix(folder); }
std::string pubboxlength(int folder) { return "pubboxlength" + folderSuffix(folder); }

const char* hellomsg(int line) { return line == 1 ? hellomsg1 : hellomsg2; }

std::string promptMessage(int number) { return slotName(number == 27 ? "pnsg" : "pmsg", number); }

}  // namespace pagerprog::field
