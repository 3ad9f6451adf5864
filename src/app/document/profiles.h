// The customer, model and revision profiles: fixed sets of changes to the window's
// fields, lists, shown and enabled states and title, applied in a fixed order.
#pragma once

#include "context/context.h"

namespace pagerprog {

// Runs when `customer` changes, at start-up, and after every loaded file or pager read.
void customerChange(Context& ctx);

// Runs when `pager_model` changes and at start-up.
void pager_modelChange(Context& ctx);

// The model-switch menu item: steps hardware_revision 0 -> 1 -> 2 -> 0 and shows the
// fields of the new revision.
void switch_modelClick(Context& ctx);

// Attaches the profiles to the `customer` and `pager_model` change events.
void attachProfiles(Context& ctx);

}  // namespace pagerprog
