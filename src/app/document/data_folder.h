// Where the program's data (language files, user guide) lives: found from the program's
// own place, the way it is installed, so that a program moved with its prefix (an
// unpacked package, the build tree, which has the same layout) finds its own data.
#pragma once

#include <string>

namespace pagerprog {

std::string programDataFolder();

}  // namespace pagerprog
