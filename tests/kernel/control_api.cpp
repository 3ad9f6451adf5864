// The scene control functions of fake_kernel.h.
#include <dlfcn.h>
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>

#include "fake_kernel.h"
#include "scene.h"

namespace {

// Whether the process-wide definition of `name` is this library's own.
bool definedHere(const char* name) {
    Dl_info here{};
    if (::dladdr(reinterpret_cast<void*>(&fake_kernel_reset), &here) == 0) return false;
    void* self = ::dlopen(here.dli_fname, RTLD_LAZY | RTLD_NOLOAD);
    if (self == nullptr) return false;
    const bool same = ::dlsym(self, name) == ::dlsym(RTLD_DEFAULT, name);
    ::dlclose(self);
    return same;
}

}  // namespace

extern "C" {

// libudev has no sanitizer interceptors, so its functions must be this library's. The libc
// calls may pass an interceptor first; a node only the fake kernel refuses shows they arrive.
int fake_kernel_interposed(void) {
    fake_kernel::resetScene();
    fake_kernel::scene().parport.attach(false);
    const int fd = ::open("/dev/parport0", O_RDWR);
    const bool openArrives = fd < 0 && errno == EACCES;
    if (fd >= 0) ::close(fd);
    fake_kernel::resetScene();
    return openArrives && definedHere("udev_new") && definedHere("udev_monitor_receive_device");
}

void fake_kernel_reset(void) { fake_kernel::resetScene(); }

unsigned char* fake_pager_memory(void) { return fake_kernel::scene().pager.memory.data(); }

void fake_parport_attach(int accessible) { fake_kernel::scene().parport.attach(accessible != 0); }

void fake_parport_hold_exclusively(void) { fake_kernel::scene().parport.holdExclusively(); }

void fake_parport_hold_for_ms(unsigned ms) {
    fake_kernel::scene().parport.holdUntil(std::chrono::steady_clock::now() + std::chrono::milliseconds(ms));
}

void fake_parport_vanish_after(long register_accesses) { fake_kernel::scene().parport.vanishAfter(register_accesses); }

long fake_parport_register_accesses(void) { return fake_kernel::scene().parport.registerAccesses(); }

int fake_parport_open_files(void) { return fake_kernel::scene().parport.openFiles(); }

int fake_parport_pin(int pin) { return fake_kernel::scene().parport.pin(pin); }

void fake_programmer_plug(unsigned char report_id, unsigned report_size, int accessible) {
    fake_kernel::Plugging plugging;
    plugging.reportId = report_id;
    plugging.reportSize = report_size;
    plugging.accessible = accessible != 0;
    fake_kernel::scene().plug(0, plugging);
}

void fake_programmer_unplug(void) { fake_programmer_unplug_index(0); }

void fake_programmer_plug_into(int index, const char* port, const char* serial) {
    fake_kernel::Plugging plugging;
    plugging.port = port;
    plugging.serial = serial;
    fake_kernel::scene().plug(index, plugging);
}

void fake_programmer_unplug_index(int index) { fake_kernel::scene().programmer(index).unplug(); }

unsigned char* fake_programmer_pager_memory(int index) { return fake_kernel::scene().pagerOf(index).memory.data(); }

void fake_programmer_held_elsewhere(int index) { fake_kernel::scene().programmer(index).heldElsewhere(); }

void fake_programmer_silent_from_chunk(long chunk) { fake_kernel::scene().programmer(0).silentFromChunk(chunk); }

void fake_programmer_unplug_at_chunk(long chunk) { fake_kernel::scene().programmer(0).unplugAtChunk(chunk); }

}  // extern "C"
