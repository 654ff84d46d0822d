// The shader compiler runs on untrusted text, so each compile runs in a child process
// under limits: a compiler that crashes, loops or swallows memory costs that compile,
// never the program.
#pragma once

#include <chrono>
#include <cstddef>
#include <functional>
#include <string>

namespace fx {

struct CompilerLimits {
    // Wall-clock time the parent waits for one compile; the child's CPU time is capped
    // at the same (rounded up to whole seconds).
    std::chrono::milliseconds time{20000};
    // Address space the child may add to what it inherits.
    std::size_t memory = std::size_t{1} << 30;
};

// Process-wide; tests shorten them.
void setCompilerLimits(const CompilerLimits& limits);
CompilerLimits compilerLimits();

enum class ChildEnd { Finished, OutOfTime, OutOfMemory, Crashed, NotStarted };

// Runs `work` in a forked child and returns, in `output`, the bytes it returned there.
// Anything but Finished leaves `output` unusable; NotStarted means no child could be made.
ChildEnd runInCompilerChild(const std::function<std::string()>& work, std::string& output);

// "ran out of time (60 s)" and the like, for a message.
std::string describeChildEnd(ChildEnd end);

}  // namespace fx
