#include "app/record/server_text.h"

namespace pagerprog {

namespace {

constexpr char32_t kByteBase = 0xF700;

// The length of the valid UTF-8 character at `at` and its code point; 0 when none starts there.
std::size_t characterAt(std::string_view text, std::size_t at, char32_t& codePoint) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(at);
    std::size_t length = 0;
    char32_t lowest = 0;
    if (lead < 0x80) {
        codePoint = lead;
        return 1;
    } else if ((lead & 0xE0) == 0xC0) {
        length = 2, codePoint = lead & 0x1F, lowest = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
        length = 3, codePoint = lead & 0x0F, lowest = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
        length = 4, codePoint = lead & 0x07, lowest = 0x10000;
    } else {
        return 0;
    }
    if (at + length > text.size()) return 0;
    for (std::size_t i = 1; i < length; ++i) {
        if ((byte(at + i) & 0xC0) != 0x80) return 0;
        codePoint = (codePoint << 6) | (byte(at + i) & 0x3F);
    }
    const bool surrogate = codePoint >= 0xD800 && codePoint <= 0xDFFF;
    if (codePoint < lowest || surrogate || codePoint > 0x10FFFF) return 0;
    return length;
}

void appendByteCharacter(std::string& out, unsigned char byte) {
    const char32_t codePoint = kByteBase + byte;
    out += static_cast<char>(0xE0 | (codePoint >> 12));
    out += static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (codePoint & 0x3F));
}

bool isByteCharacter(char32_t codePoint) { return codePoint >= kByteBase && codePoint <= kByteBase + 0xFF; }

}  // namespace

std::string toServerText(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size());
    for (std::size_t at = 0; at < bytes.size();) {
        char32_t codePoint = 0;
        const std::size_t length = characterAt(bytes, at, codePoint);
        if (length == 0 || codePoint == 0 || isByteCharacter(codePoint)) {
            const std::size_t taken = length == 0 ? 1 : length;
            for (std::size_t i = 0; i < taken; ++i) appendByteCharacter(out, static_cast<unsigned char>(bytes[at + i]));
            at += taken;
        } else {
            out.append(bytes.substr(at, length));
            at += length;
        }
    }
    return out;
}

std::string fromServerText(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t at = 0; at < text.size();) {
        char32_t codePoint = 0;
        const std::size_t length = characterAt(text, at, codePoint);
        if (length != 0 && isByteCharacter(codePoint)) {
            out += static_cast<char>(codePoint - kByteBase);
            at += length;
        } else {
            // The server sends valid UTF-8 only; anything else passes as it is.
            const std::size_t taken = length == 0 ? 1 : length;
            out.append(text.substr(at, taken));
            at += taken;
        }
    }
    return out;
}

}  // namespace pagerprog
