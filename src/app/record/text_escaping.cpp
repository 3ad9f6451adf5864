#include "app/record/text_escaping.h"

namespace pagerprog {

std::string csvField(std::string_view value) {
    const bool quoted = value.find_first_of(",\"\r\n") != std::string_view::npos ||
                        (!value.empty() && (value.front() == ' ' || value.back() == ' '));
    if (!quoted) return std::string(value);
    std::string out = "\"";
    for (char c : value) {
        if (c == '"') out += '"';
        out += c;
    }
    out += '"';
    return out;
}

std::string spreadsheetText(std::string_view text) {
    const bool formula = !text.empty() && std::string_view("=+-@\t\r").find(text.front()) != std::string_view::npos;
    return formula ? "'" + std::string(text) : std::string(text);
}

}  // namespace pagerprog
