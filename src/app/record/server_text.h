// Texts on the PostgreSQL server. The record keeps texts as the program had them, bytes
// that are no UTF-8 (a Latin-1 name, a cut sequence) and NUL included; PostgreSQL takes
// valid UTF-8 without NUL only. So each byte that is no part of valid UTF-8, each NUL and
// each byte of a character U+F700 to U+F7FF (private use, which this mapping takes for its
// own) goes to the server as the character U+F700 + the byte, and comes back as that byte.
// Valid UTF-8 goes as it is, so the server's texts read as they should in any SQL tool.
#pragma once

#include <string>
#include <string_view>

namespace pagerprog {

std::string toServerText(std::string_view bytes);
std::string fromServerText(std::string_view text);

}  // namespace pagerprog
