#include "platform/d3dx9/effect/CompilerChild.h"

#include <poll.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <new>

namespace fx {
namespace {

// Read by the children that tests' settings start; set before compiles begin.
std::atomic<long long> limitMilliseconds{CompilerLimits{}.time.count()};
std::atomic<std::size_t> limitMemory{CompilerLimits{}.memory};

constexpr int kOutOfMemoryStatus = 3;

bool writeAll(int fd, const std::string& bytes) {
    const char* p = bytes.data();
    std::size_t size = bytes.size();
    while (size > 0) {
        const ssize_t n = write(fd, p, size);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        p += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

// The address space the child already has from its parent (GL drivers map a lot), so
// that the limit counts only what the compile adds.
std::size_t currentAddressSpace() {
    std::FILE* f = std::fopen("/proc/self/statm", "r");
    unsigned long pages = 0;
    if (f) {
        if (std::fscanf(f, "%lu", &pages) != 1) pages = 0;
        std::fclose(f);
    }
    return static_cast<std::size_t>(pages) * static_cast<std::size_t>(sysconf(_SC_PAGESIZE));
}

[[noreturn]] void runChild(int fd, const std::function<std::string()>& work, const CompilerLimits& limits) {
    const rlim_t seconds = static_cast<rlim_t>((limits.time.count() + 999) / 1000);
    rlimit cpu{seconds, seconds + 1};
    setrlimit(RLIMIT_CPU, &cpu);
    const rlim_t space = static_cast<rlim_t>(currentAddressSpace() + limits.memory);
    rlimit as{space, space};
    setrlimit(RLIMIT_AS, &as);
    std::set_new_handler([] { _exit(kOutOfMemoryStatus); });
    std::string bytes;
    try {
        bytes = work();
    } catch (const std::bad_alloc&) {
        _exit(kOutOfMemoryStatus);
    } catch (...) {
        _exit(2);
    }
    _exit(writeAll(fd, bytes) ? 0 : 2);
}

// Reads the child's pipe until it closes or the deadline passes; false past the deadline.
bool readUntil(int fd, std::chrono::steady_clock::time_point deadline, std::string& bytes) {
    char buffer[65536];
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) return false;
        pollfd p{fd, POLLIN, 0};
        const int ready = poll(&p, 1, static_cast<int>(std::min<long long>(left.count(), 1 << 30)));
        if (ready < 0 && errno == EINTR) continue;
        if (ready == 0) return false;
        if (ready < 0) return true;  // nothing more can come; the exit status decides
        const ssize_t n = read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return true;
        bytes.append(buffer, static_cast<std::size_t>(n));
    }
}

}  // namespace

void setCompilerLimits(const CompilerLimits& limits) {
    limitMilliseconds = limits.time.count();
    limitMemory = limits.memory;
}

CompilerLimits compilerLimits() {
    return CompilerLimits{std::chrono::milliseconds(limitMilliseconds.load()), limitMemory.load()};
}

ChildEnd runInCompilerChild(const std::function<std::string()>& work, std::string& output) {
    const CompilerLimits limits = compilerLimits();
    int fds[2];
    if (pipe(fds) != 0) return ChildEnd::NotStarted;
    std::fflush(nullptr);
    const auto deadline = std::chrono::steady_clock::now() + limits.time;
    const pid_t child = fork();
    if (child < 0) {
        close(fds[0]);
        close(fds[1]);
        return ChildEnd::NotStarted;
    }
    if (child == 0) {
        close(fds[0]);
        runChild(fds[1], work, limits);
    }
    close(fds[1]);
    output.clear();
    const bool inTime = readUntil(fds[0], deadline, output);
    close(fds[0]);
    if (!inTime) kill(child, SIGKILL);
    int status = 0;
    while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    if (!inTime || (WIFSIGNALED(status) && WTERMSIG(status) == SIGXCPU)) return ChildEnd::OutOfTime;
    if (WIFEXITED(status) && WEXITSTATUS(status) == kOutOfMemoryStatus) return ChildEnd::OutOfMemory;
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) return ChildEnd::Crashed;
    return ChildEnd::Finished;
}

std::string describeChildEnd(ChildEnd end) {
    const CompilerLimits limits = compilerLimits();
    switch (end) {
        case ChildEnd::OutOfTime:
            return "ran out of time (limit " + std::to_string(limits.time.count()) + " ms)";
        case ChildEnd::OutOfMemory:
            return "ran out of memory (limit " + std::to_string(limits.memory >> 20) + " MB)";
        case ChildEnd::Crashed: return "crashed";
        case ChildEnd::NotStarted: return "could not be started";
        case ChildEnd::Finished: break;
    }
    return "finished";
}

}  // namespace fx
