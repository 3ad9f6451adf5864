// Attaches every editing rule to the settings model's events, so that a user edit, a
// value set by another rule or by the decoder, and a fired event all run the same rule.
#pragma once

#include "context/context.h"

namespace pagerprog {

// Call once, after the model exists and before anything fills it. Key filters follow
// the field table's KeyFilter of each field; the other rules are attached by field name.
void attachRules(Context& ctx);

}  // namespace pagerprog
