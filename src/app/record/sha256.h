// SHA-256 (FIPS 180-4), so that the record can name the exact settings file and image
// without a crypto library in the core.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>

namespace pagerprog {

using Sha256Digest = std::array<std::uint8_t, 32>;

Sha256Digest sha256(std::span<const std::uint8_t> data);
// The digest as 64 lower-case hex digits, as sha256sum prints it.
std::string sha256Hex(std::span<const std::uint8_t> data);

}  // namespace pagerprog
