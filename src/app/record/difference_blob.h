// The differences of a failed verify as the record stores them: one blob, 4 bytes a
// difference (address high, address low, expected byte, read byte), so that a pager that
// differs everywhere still costs only 8 KB.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "app/record/record_types.h"

namespace pagerprog {

std::vector<std::uint8_t> encodeDifferences(std::span<const ByteDifference> differences);
// Empty when the blob's length is no multiple of 4.
std::optional<std::vector<ByteDifference>> decodeDifferences(std::span<const std::uint8_t> blob);

}  // namespace pagerprog
