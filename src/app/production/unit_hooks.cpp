#include "app/production/unit_hooks.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <utf8.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <nlohmann/json.hpp>
#include <optional>

#include "app/record/json_text.h"
#include "app/record/record_format.h"

extern char** environ;

namespace pagerprog {

namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

constexpr std::size_t kKeptOutput = 64 * 1024;
constexpr std::size_t kLongestLine = 200;
constexpr milliseconds kTick{10};
constexpr milliseconds kKillGrace{1000};
// What a process the hook left behind still writes after the hook ended is read this long.
constexpr milliseconds kOutputGrace{200};

// A file descriptor, closed when it goes.
class Fd {
public:
    Fd() = default;
    ~Fd() { close(); }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;

    void take(int fd) {
        close();
        fd_ = fd;
    }
    int get() const { return fd_; }
    bool open() const { return fd_ >= 0; }
    void close() {
        if (fd_ >= 0) ::close(fd_);
        fd_ = -1;
    }

private:
    int fd_ = -1;
};

struct Pipe {
    Fd read, write;
    bool make() {
        int fds[2];
        if (::pipe2(fds, O_CLOEXEC) != 0) return false;
        read.take(fds[0]);
        write.take(fds[1]);
        return true;
    }
};

// A hook that does not read its input closes the pipe: writing to it must fail with EPIPE
// rather than kill the program, so SIGPIPE is blocked for this thread meanwhile and one
// raised meanwhile is taken before it is unblocked.
class NoSigpipe {
public:
    NoSigpipe() {
        sigemptyset(&pipe_);
        sigaddset(&pipe_, SIGPIPE);
        sigset_t pending;
        sigpending(&pending);
        wasPending_ = sigismember(&pending, SIGPIPE) == 1;
        pthread_sigmask(SIG_BLOCK, &pipe_, &previous_);
    }
    ~NoSigpipe() {
        const timespec now{};
        if (!wasPending_)
            while (sigtimedwait(&pipe_, nullptr, &now) > 0) {
            }
        pthread_sigmask(SIG_SETMASK, &previous_, nullptr);
    }
    NoSigpipe(const NoSigpipe&) = delete;
    NoSigpipe& operator=(const NoSigpipe&) = delete;

private:
    sigset_t pipe_{}, previous_{};
    bool wasPending_ = false;
};

// The program's environment with `added` in place of any variable of the same name.
std::vector<std::string> environmentWith(const HookEnvironment& added) {
    std::vector<std::string> entries;
    for (char** at = environ; at != nullptr && *at != nullptr; ++at) {
        const std::string_view entry(*at);
        const std::string_view name = entry.substr(0, entry.find('='));
        if (std::none_of(added.begin(), added.end(), [name](const auto& variable) { return variable.first == name; }))
            entries.emplace_back(entry);
    }
    for (const auto& [name, value] : added) entries.push_back(name + "=" + value);
    return entries;
}

// In the child between fork and exec: async-signal-safe calls only.
[[noreturn]] void execHook(const char* const* argv, char* const* envp, int input, int output) {
    ::setpgid(0, 0);
    sigset_t none;
    sigemptyset(&none);
    ::sigprocmask(SIG_SETMASK, &none, nullptr);
    // Moved out of the way first, in case a pipe took one of the standard numbers.
    if (input < 3) input = ::fcntl(input, F_DUPFD, 3);
    if (output < 3) output = ::fcntl(output, F_DUPFD, 3);
    if (input < 0 || output < 0 || ::dup2(input, STDIN_FILENO) < 0 || ::dup2(output, STDOUT_FILENO) < 0 ||
        ::dup2(output, STDERR_FILENO) < 0)
        ::_exit(127);
    // The record's database, the programmer and the port stay the program's own.
    ::close_range(3, ~0U, 0);
    ::execve("/bin/sh", const_cast<char* const*>(argv), envp);
    ::_exit(127);
}

void setNonBlocking(int fd) { ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK); }

// Talks with a running hook: feeds its input, reads its output, waits for its end.
class HookProcess {
public:
    HookProcess(pid_t pid, Pipe& input, Pipe& output, std::string_view text)
        : pid_(pid), input_(input.write), output_(output.read), text_(text) {
        setNonBlocking(input_.get());
        setNonBlocking(output_.get());
        if (text_.empty()) input_.close();
    }

    HookRun wait(milliseconds timeout) {
        const auto started = Clock::now();
        std::optional<Clock::time_point> ended, stopping;
        int status = 0;
        while (!ended || (output_.open() && Clock::now() - *ended < kOutputGrace)) {
            pollfd fds[2];
            nfds_t count = 0;
            if (output_.open()) fds[count++] = {output_.get(), POLLIN, 0};
            if (input_.open()) fds[count++] = {input_.get(), POLLOUT, 0};
            ::poll(fds, count, static_cast<int>(kTick.count()));
            feed();
            drain();
            if (ended) continue;
            const pid_t waited = ::waitpid(pid_, &status, WNOHANG);
            // ECHILD: something else reaped it, so its end is all that is known.
            lost_ = waited < 0 && errno == ECHILD;
            if (waited == pid_ || lost_) {
                ended = Clock::now();
                input_.close();
                continue;
            }
            const auto now = Clock::now();
            if (!stopping && now - started > timeout) {
                stopping = now;
                ::kill(-pid_, SIGTERM);
            } else if (stopping && now - *stopping > kKillGrace) {
                ::kill(-pid_, SIGKILL);
            }
        }
        HookRun run;
        run.took = std::chrono::duration_cast<milliseconds>(*ended - started);
        run.limit = timeout;
        run.output = std::move(kept_);
        if (lost_) {
            run.failure = "its end is not known: its exit status was taken elsewhere";
        } else if (stopping) {
            run.ending = HookRun::Ending::TimedOut;
        } else if (WIFEXITED(status)) {
            run.ending = HookRun::Ending::Exited;
            run.status = WEXITSTATUS(status);
        } else {
            run.ending = HookRun::Ending::Signalled;
            run.status = WIFSIGNALED(status) ? WTERMSIG(status) : 0;
        }
        return run;
    }

private:
    void feed() {
        while (input_.open() && written_ < text_.size()) {
            const ssize_t sent = ::write(input_.get(), text_.data() + written_, text_.size() - written_);
            if (sent > 0) {
                written_ += static_cast<std::size_t>(sent);
            } else if (sent < 0 && (errno == EAGAIN || errno == EINTR)) {
                return;
            } else {
                input_.close();  // it closed its input: it has read what it wanted
            }
        }
        if (written_ == text_.size()) input_.close();
    }

    void drain() {
        char chunk[16384];
        while (output_.open()) {
            const ssize_t got = ::read(output_.get(), chunk, sizeof chunk);
            if (got > 0) {
                const std::size_t room = kKeptOutput - std::min(kKeptOutput, kept_.size());
                kept_.append(chunk, std::min(room, static_cast<std::size_t>(got)));
            } else if (got < 0 && (errno == EAGAIN || errno == EINTR)) {
                return;
            } else {
                output_.close();
            }
        }
    }

    const pid_t pid_;
    Fd& input_;
    Fd& output_;
    std::string_view text_;
    std::size_t written_ = 0;
    bool lost_ = false;
    std::string kept_;  // the first kKeptOutput bytes
};

std::string seconds(milliseconds time) {
    char text[32];
    std::snprintf(text, sizeof text, "%.1f s", static_cast<double>(time.count()) / 1000.0);
    return text;
}

// How a hook ended, in a few words, with its first line of output where it failed.
std::string outcomeOf(const HookRun& run) {
    const std::string line = run.firstLine();
    const std::string said = line.empty() ? "" : ": " + line;
    switch (run.ending) {
        case HookRun::Ending::Exited:
            if (run.status == 0) return "done in " + seconds(run.took);
            return "exit status " + std::to_string(run.status) + said;
        case HookRun::Ending::Signalled: return "ended by signal " + std::to_string(run.status) + said;
        case HookRun::Ending::TimedOut: return "stopped, still running after " + seconds(run.limit) + said;
        case HookRun::Ending::NotStarted: return run.failure;
    }
    return {};
}

std::string numberOrNothing(const std::optional<std::int64_t>& number) {
    return number ? std::to_string(*number) : std::string();
}

}  // namespace

std::string HookRun::firstLine() const {
    std::size_t start = 0;
    while (start < output.size()) {
        const std::size_t end = std::min(output.find('\n', start), output.size());
        std::string line = output.substr(start, std::min(end - start, kLongestLine));
        // A line cut inside a character ends before it.
        line.erase(utf8::find_invalid(line.begin(), line.end()), line.end());
        for (char& c : line)
            if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = ' ';
        const std::size_t first = line.find_first_not_of(' ');
        if (first != std::string::npos) return line.substr(first, line.find_last_not_of(' ') - first + 1);
        start = end + 1;
    }
    return {};
}

HookRun runHook(const std::string& command, std::string_view input, const HookEnvironment& environment,
                milliseconds timeout) {
    HookRun failed;
    Pipe in, out;
    if (!in.make() || !out.make()) {
        failed.failure = std::string("could not be started: no pipe to it: ") + std::strerror(errno);
        return failed;
    }
    const std::vector<std::string> entries = environmentWith(environment);
    std::vector<char*> envp;
    for (const std::string& entry : entries) envp.push_back(const_cast<char*>(entry.c_str()));
    envp.push_back(nullptr);
    const char* argv[] = {"sh", "-c", command.c_str(), nullptr};

    const NoSigpipe noSigpipe;
    const pid_t pid = ::fork();
    if (pid < 0) {
        failed.failure = std::string("could not be started: no process for it: ") + std::strerror(errno);
        return failed;
    }
    if (pid == 0) execHook(argv, envp.data(), in.read.get(), out.write.get());
    // Also here, so that the group is there to stop whichever of the two runs first.
    ::setpgid(pid, pid);
    in.read.close();
    out.write.close();
    HookProcess process(pid, in, out, input);
    return process.wait(timeout);
}

std::string hookInput(const StoredUnit& row) {
    Json json = unitJson(row);
    if (row.id == 0) json["id"] = nullptr;
    return jsonLine(json, JsonSpacing::Compact) + "\n";
}

HookEnvironment hookEnvironment(const StoredUnit& row, std::string_view which) {
    const UnitRecord& u = row.unit;
    std::string capcodes;
    for (const SlotCapcode& c : u.capcodes)
        if (c.enabled) capcodes += (capcodes.empty() ? "" : " ") + std::to_string(c.capcode);
    HookEnvironment variables{
        {"PAGERPROG_HOOK", std::string(which)},
        {"PAGERPROG_ROW", row.id == 0 ? std::string() : std::to_string(row.id)},
        {"PAGERPROG_TIME", u.time},
        {"PAGERPROG_OPERATION", std::string(operationName(u.operation))},
        {"PAGERPROG_OUTCOME", u.outcome},
        {"PAGERPROG_SERIAL", u.serial},
        {"PAGERPROG_OPERATOR", u.operatorName},
        {"PAGERPROG_USER", u.user},
        {"PAGERPROG_HOST", u.host},
        {"PAGERPROG_PORT", u.port},
        {"PAGERPROG_BATCH", numberOrNothing(u.batchId)},
        {"PAGERPROG_UNIT", numberOrNothing(u.unitNumber)},
        {"PAGERPROG_CAPCODES", capcodes},
        {"PAGERPROG_FREQUENCY", u.frequency},
        {"PAGERPROG_CUSTOMER", u.customer},
        {"PAGERPROG_REVISION", u.revision},
        {"PAGERPROG_SETTINGS", u.settingsPath},
    };
    // Every variable is set, empty where the unit has nothing (a disabled slot), so that
    // none is taken over from the program's own environment.
    for (int slot = 1; slot <= kRecordSlots; ++slot) {
        const SlotCapcode& c = u.capcodes[static_cast<std::size_t>(slot - 1)];
        variables.emplace_back("PAGERPROG_ADDRESS" + std::to_string(slot),
                               c.enabled ? std::to_string(c.capcode) : std::string());
    }
    return variables;
}

std::string postUnitEnding(const HookRun& run) {
    return (run.succeeded() ? "Post-unit hook: " : "Post-unit hook failed: ") + outcomeOf(run);
}

std::string preUnitReason(const HookRun& run) {
    const std::string line = run.firstLine();
    return run.ending == HookRun::Ending::Exited && !line.empty() ? line : outcomeOf(run);
}

std::string hookProblem(const std::string& command) {
    const std::size_t first = command.find_first_not_of(" \t");
    if (first == std::string::npos) return "it is empty";
    const std::string word = command.substr(first, command.find_last_not_of(" \t") - first + 1);
    // Anything the shell would read otherwise than as one path is left to the shell.
    if (word.find('/') == std::string::npos || word.find_first_of(" \t\n'\"\\$`;&|<>(){}*?[]~=#") != std::string::npos)
        return {};
    struct stat file {};
    if (::stat(word.c_str(), &file) != 0) return word + " cannot be found: " + std::strerror(errno);
    if (!S_ISREG(file.st_mode)) return word + " is no file";
    if (::access(word.c_str(), X_OK) != 0) return word + " is not executable (chmod +x " + word + ")";
    return {};
}

}  // namespace pagerprog
