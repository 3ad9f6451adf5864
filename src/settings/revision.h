// The pager revisions the tool programs, their names and what each implies: the image
// layout (TV8 keeps eight full capcodes, TV7r2 and TV7r3 six with shared frames).
#pragma once

#include <array>
#include <optional>
#include <string_view>

#include "settings/eeprom_image.h"

namespace pagerprog {

// Numbered as the program steps through them: TV7r2, TV7r3, TV8, then TV7r2 again.
enum class Revision { TV7r2 = 0, TV7r3 = 1, TV8 = 2 };

inline constexpr std::array<Revision, 3> kRevisions{Revision::TV7r2, Revision::TV7r3, Revision::TV8};

// "TV7r2", "TV7r3", "TV8".
std::string_view revisionName(Revision revision);
// The revision of that name; nothing for any other text.
std::optional<Revision> findRevision(std::string_view name);
// The revision the model switch steps to.
Revision nextRevision(Revision revision);

// The image layout the revision's pagers use.
Layout layoutOf(Revision revision);
// The address slots its pagers hold: 8 in TV8, 6 before.
int addressSlots(Revision revision);

}  // namespace pagerprog
