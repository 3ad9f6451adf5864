// An open file of a fake device node, and the table from descriptors to those files. The
// descriptors are real ones (an eventfd, a socket), so poll() and close() work on them;
// read, write and ioctl go to the fake file instead.
#pragma once

#include <sys/types.h>

#include <cerrno>
#include <cstddef>
#include <memory>

namespace fake_kernel {

class FakeFile {
public:
    virtual ~FakeFile() = default;
    // As a kernel driver answers: the result, or minus the error number.
    virtual ssize_t read(void* buffer, std::size_t count) = 0;
    virtual ssize_t write(const void* buffer, std::size_t count) = 0;
    virtual int ioctl(unsigned long request, void* argument) = 0;
    // flock(2); not modelled unless the file says otherwise.
    virtual int flock(int /*operation*/) { return -EINVAL; }
};

// Safe to call before any constructor of this library ran: a plain flag per descriptor.
bool isFakeDescriptor(int fd);
FakeFile* fakeFile(int fd);
// Registers `file` under `fd`; false (and `fd` left alone) when the table cannot hold it.
bool adoptFile(int fd, std::unique_ptr<FakeFile> file);
// Forgets the file of `fd` (before the descriptor itself is closed).
void dropFile(int fd);
// Forgets every file and closes its descriptor.
void closeAllFiles();

}  // namespace fake_kernel
