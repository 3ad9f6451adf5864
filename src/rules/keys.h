// Typed keys as the key filters see them.
#pragma once

namespace pagerprog::rules {

inline bool isDigit(char key) { return key >= '0' && key <= '9'; }

}  // namespace pagerprog::rules
