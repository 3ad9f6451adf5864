// Whole lines from several threads on one stream: each writer has its own stream that
// passes every line it completes on at once, behind its prefix, so that the programmers of
// a gang never cut into each other's lines.
#pragma once

#include <memory>
#include <mutex>
#include <ostream>
#include <sstream>
#include <string>

namespace pagerprog::cli {

class SharedLines {
public:
    explicit SharedLines(std::ostream& out) : out_(out) {}
    void write(const std::string& line);

private:
    std::ostream& out_;
    std::mutex mutex_;
};

class LineWriter : public std::ostream {
public:
    LineWriter(SharedLines& lines, std::string prefix);

private:
    class Buffer : public std::stringbuf {
    public:
        // What remains after the last newline is kept at the end of the buffer.
        Buffer(SharedLines& lines, std::string prefix)
            : std::stringbuf(std::ios::out | std::ios::ate), lines_(lines), prefix_(std::move(prefix)) {}

    protected:
        int sync() override;

    private:
        SharedLines& lines_;
        std::string prefix_;
    };

    Buffer buffer_;
};

}  // namespace pagerprog::cli
