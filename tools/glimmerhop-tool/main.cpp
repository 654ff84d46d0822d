// glimmerhop-tool: capture, traces, checks and analysis of the show, one subcommand each.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

#include "Command.h"

namespace tool {
namespace {
std::vector<const ToolCommand*>& registry() {
    static std::vector<const ToolCommand*> commands;
    return commands;
}

void printCommands(std::FILE* out) {
    std::fprintf(out, "usage: glimmerhop-tool COMMAND [options]   (COMMAND --help for its options)\n\ncommands:\n");
    auto commands = registry();
    std::sort(commands.begin(), commands.end(),
              [](const ToolCommand* a, const ToolCommand* b) { return std::strcmp(a->name, b->name) < 0; });
    for (const ToolCommand* c : commands) std::fprintf(out, "  %-8s %s\n", c->name, c->summary);
}
}  // namespace

ToolCommand::ToolCommand(const char* name_, const char* summary_, CommandMain run_)
    : name(name_), summary(summary_), run(run_) {
    registry().push_back(this);
}

}  // namespace tool

int main(int argc, char** argv) {
    using namespace tool;
    if (argc < 2 || std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0) {
        printCommands(argc < 2 ? stderr : stdout);
        return argc < 2 ? 2 : 0;
    }
    for (const ToolCommand* c : registry()) {
        if (std::strcmp(c->name, argv[1]) != 0) continue;
        return c->run(argc - 1, argv + 1);
    }
    std::fprintf(stderr, "glimmerhop-tool: unknown command '%s'\n\n", argv[1]);
    printCommands(stderr);
    return 2;
}
