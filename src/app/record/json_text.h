// JSON output of the record and the command line: nlohmann::json values, written in the
// layouts the tool has always printed, from texts that may hold bytes that are not UTF-8.
#pragma once

#include <nlohmann/json_fwd.hpp>
#include <string>
#include <string_view>

namespace pagerprog {

// Members keep the order they were added in.
using Json = nlohmann::ordered_json;

// A text as a JSON string. Every text goes in through here: a byte that does not form
// UTF-8 (a Latin-1 name, a cut sequence) is kept as the Latin-1 character of that number
// and written as its \u00XX escape, so that the output is valid JSON whatever the text
// holds and shows which bytes they were.
Json jsonText(std::string_view text);

enum class JsonSpacing {
    Compact,  // {"a":1,"b":[2,3]}
    Spaced,   // {"a": 1, "b": [2, 3]}
};

// The value on one line.
std::string jsonLine(const Json& value, JsonSpacing spacing);
// An array or object with each member on a line of its own, "[\n  {...},\n  {...}\n]";
// "[]" or "{}" when empty.
std::string jsonLines(const Json& value, JsonSpacing spacing);

}  // namespace pagerprog
