// Subcommands of glimmerhop-tool. Each lives in its own file and registers itself:
//   static const ToolCommand command{"fx", "compile an effect file and list it", run};
// A command reads its own options, --help included, through CommandLine.h.
#pragma once

namespace tool {

using CommandMain = int (*)(int argc, char** argv);  // argv[0] is the subcommand name

struct ToolCommand {
    const char* name;
    const char* summary;  // one line for the command list
    CommandMain run;
    ToolCommand(const char* name, const char* summary, CommandMain run);
};

}  // namespace tool
