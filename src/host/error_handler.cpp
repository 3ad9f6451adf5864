#include "host/error_handler.h"

#include <exception>

namespace pagerprog {

bool runGuarded(Host& host, const std::function<void()>& action) {
    try {
        action();
        return true;
    } catch (const std::exception& error) {
        host.messageBox(error.what());
    } catch (...) {
        host.messageBox("");
    }
    return false;
}

}  // namespace pagerprog
