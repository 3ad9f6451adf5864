// What `pagerprog-cli --help` prints; doc/pagerprog-cli.1 says the same at length.
#pragma once

namespace pagerprog::cli {

extern const char* const kUsageText;

}  // namespace pagerprog::cli
