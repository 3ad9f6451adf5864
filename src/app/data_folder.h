// Where the program's data (the language files) lives: beside an installed program,
// or in the build tree when run from there.
#pragma once

#include <string>

namespace pagerprog {

std::string programDataFolder();

}  // namespace pagerprog
