// The program's version, one number for both programs, set in the top CMakeLists.txt.
#pragma once

namespace pagerprog {

inline constexpr const char* kProgramVersion = PAGERPROG_VERSION;

}  // namespace pagerprog
