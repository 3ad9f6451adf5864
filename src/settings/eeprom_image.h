// The pager's 24C16 as one 2048-byte image: checksum, bit mirrors, the two address
// layouts' capcode entries and the two built-in templates.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace pagerprog {

inline constexpr std::size_t kImageSize = 2048;
inline constexpr std::size_t kSettingsAreaSize = 1024;   // 0x000..0x3FF
inline constexpr std::size_t kPromptAreaOffset = 0x400;  // prompt area 0x400..0x7FE, checksum 0x7FF
inline constexpr std::size_t kChecksumOffset = 0x7FF;
inline constexpr std::size_t kCustomerOffset = 0x3FE;

using Image = std::array<std::uint8_t, kImageSize>;

// 0xFF minus the 8-bit sum of bytes 0x000..0x7FE.
std::uint8_t imageChecksum(const Image& image);
// True when all 2048 bytes sum to 0xFF modulo 256.
bool imageChecksumOk(const Image& image);
// Sets the checksum byte so that the image passes.
void setImageChecksum(Image& image);

// Reversal of the lowest 2, 3, 4 or 8 bits of a value (higher bits are ignored).
std::uint8_t mirror2(unsigned value);
std::uint8_t mirror3(unsigned value);
std::uint8_t mirror4(unsigned value);
std::uint8_t mirror8(unsigned value);

// Bytes 0x000..0x02F hold six 3-byte address entries in the TV7 revisions, eight 4-byte
// bit-reversed entries in TV8; the rest is common to both.
enum class Layout { SixAddress, EightAddress };

// The built-in images.
const Image& sixAddressTemplate();
const Image& eightAddressTemplate();
// Overwrites all 2048 bytes with the template of that layout.
void loadTemplate(Image& image, Layout layout);

}  // namespace pagerprog
