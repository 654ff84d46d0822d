// The command line of every subcommand, declared once with CLI11: the same declarations
// give `--help` and the errors that name the option with a bad value. The kinds of
// value several commands take (times, rates, sizes) are read and checked here only.
#pragma once

#include <CLI/CLI.hpp>
#include <cmath>
#include <string>
#include <vector>

#include "OptionValues.h"

namespace tool {

class CommandLine {
public:
    // `description` is the text of --help above the options, `footer` the one below.
    CommandLine(const char* command, const std::string& description, const std::string& footer = "");

    CLI::App app;

    // Parses argv (argv[0] is the command's name). -1 when the command goes on; else its
    // exit status: 0 after --help (printed on standard output), 2 after a bad command
    // line (the message on standard error).
    int parse(int argc, char** argv);

    // Options that several commands share; each returns the option to refine further.
    CLI::Option* time(const std::string& name, double& seconds, const std::string& help,
                      double earliest = -HUGE_VAL);
    CLI::Option* timeList(const std::string& name, std::vector<double>& times, const std::string& help);
    // A rate above 0, at most `max` (frames per second).
    CLI::Option* rate(const std::string& name, double& perSecond, double max, const std::string& help);
    CLI::Option* size(Size& size, unsigned min, unsigned max, const std::string& help);
    CLI::Option* dataFolder(std::string& dir);

private:
    const char* command_;
};

}  // namespace tool
