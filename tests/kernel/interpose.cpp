// The libc entry points the backends, hidapi and std::ifstream use on device nodes and
// sysfs files, taken over for the paths and descriptors of the fake kernel. Everything
// else goes on to the next definition: libc's, or a sanitizer's interceptor in front of it.
#include <dlfcn.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdarg>
#include <cstdio>

#include "fake_file.h"
#include "scene.h"

namespace {

template <typename Function>
Function* next(const char* name) {
    return reinterpret_cast<Function*>(::dlsym(RTLD_NEXT, name));
}

// The mode argument is only there when the flags ask for it (as glibc's open reads it).
int modeArgument(int flags, va_list arguments) {
    const bool needsMode = (flags & O_CREAT) != 0 || (flags & O_TMPFILE) == O_TMPFILE;
    return needsMode ? va_arg(arguments, int) : 0;
}

// A driver's result: the value, or -1 with errno set from a negative error number.
template <typename Result>
Result kernelResult(Result result) {
    if (result >= 0) return result;
    errno = static_cast<int>(-result);
    return -1;
}

}  // namespace

extern "C" {

int open(const char* path, int flags, ...) {
    va_list arguments;
    va_start(arguments, flags);
    const int mode = modeArgument(flags, arguments);
    va_end(arguments);
    if (const auto fd = fake_kernel::openOwnedPath(path, flags)) return *fd;
    static auto* const nextOpen = next<int(const char*, int, ...)>("open");
    return nextOpen(path, flags, mode);
}

int openat(int directory, const char* path, int flags, ...) {
    va_list arguments;
    va_start(arguments, flags);
    const int mode = modeArgument(flags, arguments);
    va_end(arguments);
    if (path[0] == '/') {
        if (const auto fd = fake_kernel::openOwnedPath(path, flags)) return *fd;
    }
    static auto* const nextOpenAt = next<int(int, const char*, int, ...)>("openat");
    return nextOpenAt(directory, path, flags, mode);
}

FILE* fopen(const char* path, const char* mode) {
    if (const auto file = fake_kernel::fopenOwnedPath(path, mode)) return *file;
    static auto* const nextFopen = next<FILE*(const char*, const char*)>("fopen");
    return nextFopen(path, mode);
}

// On this platform the 64-bit variants are the same functions.
int open64(const char* path, int flags, ...) __attribute__((alias("open")));
int openat64(int directory, const char* path, int flags, ...) __attribute__((alias("openat")));
FILE* fopen64(const char* path, const char* mode) __attribute__((alias("fopen")));

int close(int fd) {
    fake_kernel::dropFile(fd);
    static auto* const nextClose = next<int(int)>("close");
    return nextClose(fd);
}

ssize_t read(int fd, void* buffer, size_t count) {
    if (auto* file = fake_kernel::fakeFile(fd)) return kernelResult(file->read(buffer, count));
    static auto* const nextRead = next<ssize_t(int, void*, size_t)>("read");
    return nextRead(fd, buffer, count);
}

ssize_t write(int fd, const void* buffer, size_t count) {
    if (auto* file = fake_kernel::fakeFile(fd)) return kernelResult(file->write(buffer, count));
    static auto* const nextWrite = next<ssize_t(int, const void*, size_t)>("write");
    return nextWrite(fd, buffer, count);
}

int ioctl(int fd, unsigned long request, ...) {
    va_list arguments;
    va_start(arguments, request);
    void* argument = va_arg(arguments, void*);
    va_end(arguments);
    if (auto* file = fake_kernel::fakeFile(fd)) return kernelResult(file->ioctl(request, argument));
    static auto* const nextIoctl = next<int(int, unsigned long, ...)>("ioctl");
    return nextIoctl(fd, request, argument);
}

int flock(int fd, int operation) {
    if (auto* file = fake_kernel::fakeFile(fd)) return kernelResult(file->flock(operation));
    static auto* const nextFlock = next<int(int, int)>("flock");
    return nextFlock(fd, operation);
}

}  // extern "C"
