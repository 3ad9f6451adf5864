// The pager's menu prompts and the prompt area format they travel in: an offset
// table, the zero-terminated texts packed behind it, then 0xFF.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace pagerprog {

// The 50 prompts of the TV7 revisions and the 51 prompts of TV8, in prompt order.
const std::vector<std::string>& sixAddressPrompts();
const std::vector<std::string>& eightAddressPrompts();

// The 1024 bytes that fill image bytes 0x400..0x7FF: the prompt area of these texts;
// the last byte (the image's checksum byte) is 0xFF. Throws std::length_error when the
// texts do not fit.
std::array<std::uint8_t, 1024> buildPromptArea(const std::vector<std::string>& prompts);

}  // namespace pagerprog
