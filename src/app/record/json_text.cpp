#include "app/record/json_text.h"

#include <utf8.h>

#include <cstdint>
#include <cstdio>
#include <nlohmann/json.hpp>

namespace pagerprog {

namespace {

// nlohmann writes UTF-8 as it is and cannot write other bytes as they were, so a byte that
// is not UTF-8 goes in as this mark and its Latin-1 character, and the written text turns
// the pair into the escape. The mark is U+FFFF, a noncharacter that no text is made of;
// one that a text holds all the same goes in doubled and comes out single.
constexpr std::string_view kMark = "\xEF\xBF\xBF";

void appendLatin1(std::string& out, std::uint8_t byte) {
    out += static_cast<char>(0xC0 | byte >> 6);
    out += static_cast<char>(0x80 | (byte & 0x3F));
}

std::string unmarked(const std::string& written) {
    std::string out;
    std::size_t at = 0;
    for (std::size_t mark; (mark = written.find(kMark, at)) != std::string::npos;) {
        out.append(written, at, mark - at);
        at = mark + kMark.size();
        const bool latin1 = at + 1 < written.size() && (written[at] == '\xC2' || written[at] == '\xC3');
        if (latin1) {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\u%04x", (written[at] & 0x1F) << 6 | (written[at + 1] & 0x3F));
            out += escape;
            at += 2;
        } else {
            // A doubled mark stands for the text's own; a single one jsonText did not set stays.
            out += kMark;
            if (written.compare(at, kMark.size(), kMark) == 0) at += kMark.size();
        }
    }
    return out.append(written, at);
}

// With no indent, nlohmann breaks the line after each bracket and comma, and nowhere
// else: a line break inside a text is written as \n. Joining the lines with a space after
// each comma leaves the spaced layout.
std::string spacedLine(const std::string& written) {
    std::string out;
    for (char c : written) {
        if (c != '\n') {
            out += c;
        } else if (!out.empty() && out.back() == ',') {
            out += ' ';
        }
    }
    return out;
}

std::string written(const Json& value, int indent) {
    // Every text came in through jsonText, so nothing is replaced; should one not have, its
    // bad bytes become U+FFFD rather than an exception.
    return value.dump(indent, ' ', false, Json::error_handler_t::replace);
}

}  // namespace

Json jsonText(std::string_view text) {
    std::string marked;
    marked.reserve(text.size());
    for (auto at = text.begin(); at != text.end();) {
        const auto bad = utf8::find_invalid(at, text.end());
        for (std::string_view valid(at, bad); !valid.empty();) {
            const std::size_t mark = valid.find(kMark);
            marked += valid.substr(0, mark);
            if (mark == std::string_view::npos) break;
            marked.append(kMark).append(kMark);
            valid.remove_prefix(mark + kMark.size());
        }
        if (bad == text.end()) break;
        marked += kMark;
        appendLatin1(marked, static_cast<std::uint8_t>(*bad));
        at = bad + 1;
    }
    return marked;
}

std::string jsonLine(const Json& value, JsonSpacing spacing) {
    return unmarked(spacing == JsonSpacing::Compact ? written(value, -1) : spacedLine(written(value, 0)));
}

std::string jsonLines(const Json& value, JsonSpacing spacing) {
    if (!value.is_structured() || value.empty()) return jsonLine(value, spacing);
    const bool object = value.is_object();
    const char* const keySeparator = spacing == JsonSpacing::Compact ? ":" : ": ";
    std::string out = object ? "{" : "[";
    for (const auto& member : value.items()) {
        out += out.size() == 1 ? "\n  " : ",\n  ";
        if (object) out += jsonLine(jsonText(member.key()), spacing) + keySeparator;
        out += jsonLine(member.value(), spacing);
    }
    return out + (object ? "\n}" : "\n]");
}

}  // namespace pagerprog
