// The feature rules: the key filters of the numeric, hexadecimal and list fields,
// the upper limits of the numeric features, the alert time and its reminder, the
// contrast range, the choices that force other choices, and the check boxes that
// switch other fields.
#pragma once

#include <optional>
#include <string_view>
#include <vector>

#include "context/context.h"

namespace pagerprog::rules {

// Key filters: the key to insert, or nothing when it is discarded.
std::optional<PassedKey> NumKeyPress(Context& ctx, char key);          // digits; refusal logged with a beep
std::optional<PassedKey> tonepatternKeyPress(Context& ctx, char key);  // 0-9, A-F; refusal logged with a beep
std::optional<PassedKey> NoKeyPress(Context& ctx, char key);           // nothing passes, silently

// The fields whose change rule caps them at an upper limit, and their limits.
struct FeatureLimit {
    std::string_view field;
    int limit;
};
inline constexpr FeatureLimit kFeatureLimits[] = {
    {field::lcdholdtime, 255}, {field::maxprivate, 60},   {field::autooffstart, 24},
    {field::autooffstop, 24},  {field::unread_alert, 60},
};
// The change rule of a capped field: a value above its limit is replaced by the limit.
void limitChange(Context& ctx, const FeatureLimit& limit);

// Caps the alert time at 255 and pushes a switched-on reminder beyond it.
void alerttimeChange(Context& ctx);
// Brings the contrast into 08..63 when the field is left.
void contrastExit(Context& ctx);

// Choices that force other choices.
void vibratetypeChange(Context& ctx);
void alerttypeChange(Context& ctx);
void repeatcallcheckChange(Context& ctx);

// Check boxes that set other boxes or choices.
void repeatmsgClick(Context& ctx);
void msgstatusClick(Context& ctx);
void timedisplayClick(Context& ctx);
void timeprefixClick(Context& ctx);
void msgstatusprefixClick(Context& ctx);

// Check boxes that only make other fields editable while they are checked.
struct EnablingBox {
    std::string_view box;
    std::vector<std::string_view> fields;
};
const std::vector<EnablingBox>& enablingBoxes();
void enablingBoxClick(Context& ctx, const EnablingBox& box);

}  // namespace pagerprog::rules
