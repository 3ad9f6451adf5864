// One whole-pager transfer as the window runs it: on the path in use, with its progress
// on the progress window, and its problems told the way the window tells them (a port
// that cannot be used in the status log, the programmer's errors in a message box).
#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <string_view>

#include "link/transfer_engine.h"

namespace pagerprog {

class PagerLink;
struct Context;

inline constexpr const char* kVerifyCaption = "Verify data from pager, please wait...";

// Asked when a write is done, before its verify pass: false stops the transfer there.
using VerifyGate = std::function<bool()>;

// The chip of that type and device select (the pager's 24C16 is kChip24C16 and 0). `mode`
// kReadMode reads (any case), anything else (kWriteMode) writes and verifies. The outcome's problems have been
// shown when it returns.
TransferOutcome transferPager(Context& ctx, PagerLink& link, std::string_view chipType, int select,
                              std::string_view mode, std::span<std::uint8_t> buffer,
                              const VerifyGate& verifyStarting = {});

}  // namespace pagerprog
