// Counted nouns in what the program tells the technician: "1 pager", "3 pagers".
#pragma once

#include <string>
#include <string_view>

namespace pagerprog {

// "N noun" with the noun's plural form unless N is 1; the plural adds "s" unless given.
inline std::string plural(long long count, std::string_view noun, std::string_view plural = {}) {
    std::string text = std::to_string(count) + ' ';
    if (count == 1) return text.append(noun);
    if (!plural.empty()) return text.append(plural);
    return text.append(noun).append("s");
}

}  // namespace pagerprog
