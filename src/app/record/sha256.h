// SHA-256 of a settings file or an image, so that the record names the exact bytes.
#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace pagerprog {

// The digest as 64 lower-case hex digits, as sha256sum prints it.
std::string sha256Hex(std::span<const std::uint8_t> data);

}  // namespace pagerprog
