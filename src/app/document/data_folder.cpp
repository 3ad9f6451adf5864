#include "app/document/data_folder.h"

#include <filesystem>
#include <system_error>

namespace pagerprog {

std::string programDataFolder() {
    namespace fs = std::filesystem;
    std::error_code error;
    const fs::path exe = fs::read_symlink("/proc/self/exe", error);
    if (error) return PAGERPROG_DATA_INSTALL_DIR;
    return (exe.parent_path() / PAGERPROG_DATA_FROM_BIN).lexically_normal().string();
}

}  // namespace pagerprog
