// Runs a shell command for the tool tests: what it printed on standard output (the
// commands send standard error there with 2>&1) and its exit status.
#pragma once

#include <sys/wait.h>

#include <cstdio>
#include <string>

namespace tooltest {

struct CommandRun {
    int status = -1;  // -1: it could not start or did not exit by itself
    std::string output;
};

inline CommandRun runCommand(const std::string& command) {
    CommandRun r;
    std::FILE* p = popen(command.c_str(), "r");
    if (!p) return r;
    char buffer[4096];
    std::size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, p)) > 0) r.output.append(buffer, n);
    const int status = pclose(p);
    r.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return r;
}

}  // namespace tooltest
