#include "settings/prompt_texts.h"

#include <stdexcept>

namespace pagerprog {

const std::vector<std::string>& eightAddressPrompts() {
    static const std::vector<std::string> prompts{"DELETE?",
                                                  "  < EMPTY >",
                                                  "[REPEAT MSG]",
                                                  "Low Cell!",
                                                  "NO MESSAGE",
                                                  "END OF MESSAGE",
                                                  "[O.K.]",
                                                  "   Motor testing!",
                                                  "   Lamp testing!",
                                                  "   Buzzer testing!",
                                                  " 512BPS",
                                                  "1200BPS",
                                                  "2400BPS",
                                                  "OFF",
                                                  "ON ",
                                                  "NO SERVICE",
                                                  "INVALID!",
                                                  "Baud Rate: ",
                                                  "SUN",
                                                  "MON",
                                                  "TUE",
                                                  "WED",
                                                  "THU",
                                                  "FRI",
                                                  "SAT",
                                                  "UNREAD   ",
                                                  "TONE ONLY!",
                                                  "MESSAGE FULL",
                                                  "   UNLOCK  ",
                                                  "YES      NO",
                                                  "     DELETE",
                                                  "     DELETE ALL  ",
                                                  "     LOCK  ",
                                                  "SET CONTRAST:",
                                                  "AUTO:     ",
                                                  "DISABLE",
                                                  "ENABLE",
                                                  " TO ",
                                                  "TIME",
                                                  "ALARM",
                                                  "AUTO",
                                                  "MELODY",
                                                  "CONTRAST",
                                                  "ALERT",
                                                  "MEMORY",
                                                  "POWER OFF",
                                                  "AUTOBL",
                                                  "BUZZER",
                                                  "MOTOR",
                                                  "MUTE",
                                                  "PUBLIC"};
    return prompts;
}

const std::vector<std::string>& sixAddressPrompts() {
    // The TV8 table with the TV7 battery prompt, no "AUTOBL", and "MUTE" padded.
    static const std::vector<std::string> prompts = [] {
        std::vector<std::string> p = eightAddressPrompts();
        p[3] = "LOW BATTERY";
        p.erase(p.begin() + 46);  // "AUTOBL"
        p[48] = "MUTE  ";
        return p;
    }();
    return prompts;
}

std::array<std::uint8_t, 1024> buildPromptArea(const std::vector<std::string>& prompts) {
    std::array<std::uint8_t, 1024> area{};
    area.fill(0xFF);
    std::size_t offset = 2 * prompts.size();
    for (std::size_t i = 0; i < prompts.size(); ++i) {
        const std::string& text = prompts[i];
        if (offset + text.size() + 1 > 1023) throw std::length_error("prompt texts do not fit the prompt area");
        area[2 * i] = static_cast<std::uint8_t>(offset & 0xFF);
        area[2 * i + 1] = static_cast<std::uint8_t>(offset >> 8);
        for (char c : text) area[offset++] = static_cast<std::uint8_t>(c);
        area[offset++] = 0;
    }
    return area;
}

}  // namespace pagerprog
