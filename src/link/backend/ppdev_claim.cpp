#include "link/backend/ppdev_claim.h"

#include <linux/ppdev.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <cerrno>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>

namespace pagerprog {

namespace {

struct PendingClaim {
    std::mutex mutex;
    std::condition_variable done;
    bool finished = false;
    bool abandoned = false;
    int result = 0;
};

}  // namespace

int claimPort(int fd, std::chrono::milliseconds limit) {
    auto pending = std::make_shared<PendingClaim>();
    std::thread([pending, fd] {
        const int result = ::ioctl(fd, PPCLAIM) == 0 ? 0 : errno;
        const std::lock_guard<std::mutex> lock(pending->mutex);
        if (pending->abandoned) {
            if (result == 0) ::ioctl(fd, PPRELEASE);
            ::close(fd);
        }
        pending->finished = true;
        pending->result = result;
        pending->done.notify_all();
    }).detach();

    std::unique_lock<std::mutex> lock(pending->mutex);
    if (!pending->done.wait_for(lock, limit, [&] { return pending->finished; })) {
        pending->abandoned = true;
        return kClaimTimedOut;
    }
    return pending->result;
}

}  // namespace pagerprog
