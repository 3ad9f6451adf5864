#include "settings/host.h"

namespace pagerprog {

FileDialogSpec settingsFileDialog() {
    return FileDialogSpec{{{".eep", "*.eep"}, {".bin", "*.bin"}, {"*.*", "*.*"}}, "eep"};
}

}  // namespace pagerprog
