#include "host/host.h"

namespace pagerprog {

FileDialogDef settingsFileDialog() {
    return FileDialogDef{{{".eep", "*.eep"}, {".bin", "*.bin"}, {"*.*", "*.*"}}, "eep"};
}

}  // namespace pagerprog
