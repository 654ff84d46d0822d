#include "CommandLine.h"

#include <cmath>
#include <cstdio>
#include <functional>

namespace tool {
namespace {

// A value read by `read`, which stores it and returns "" or says why the text is not one.
// CLI11 names the option in front of that reason.
using Reader = std::function<std::string(const std::string& text)>;

CLI::Option* reading(CLI::Option* option, Reader read, const std::string& typeName) {
    return option->type_name(typeName)->check(CLI::Validator([read](std::string& text) { return read(text); }, ""));
}

}  // namespace

CommandLine::CommandLine(const char* command, const std::string& description, const std::string& footer)
    : app(description + "\n", std::string("glimmerhop-tool ") + command), command_(command) {
    // An option given twice keeps its last value, as the commands always did.
    app.option_defaults()->multi_option_policy(CLI::MultiOptionPolicy::TakeLast);
    app.get_formatter()->column_width(24);
    if (!footer.empty()) app.footer(footer);
}

int CommandLine::parse(int argc, char** argv) {
    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp&) {
        std::fputs(app.help().c_str(), stdout);
        return 0;
    } catch (const CLI::ParseError& e) {
        std::fprintf(stderr, "%s: %s\n(glimmerhop-tool %s --help lists the options)\n", command_, e.what(), command_);
        return 2;
    }
    return -1;
}

CLI::Option* CommandLine::time(const std::string& name, double& seconds, const std::string& help, double earliest) {
    Reader read = [&seconds, earliest](const std::string& text) {
        double t = 0;
        if (!parseTime(text, t)) return "'" + text + "' is not a time in seconds";
        if (t < earliest) {
            char why[64];
            std::snprintf(why, sizeof why, "takes a time from %g s, not ", earliest);
            return why + text;
        }
        seconds = t;
        return std::string();
    };
    return reading(app.add_option(name, help), read, "SECONDS");
}

CLI::Option* CommandLine::timeList(const std::string& name, std::vector<double>& times, const std::string& help) {
    Reader read = [&times](const std::string& text) {
        return parseTimeList(text, times) ? std::string()
                                          : "'" + text + "' is not a list of times in seconds (1.5,30,60)";
    };
    return reading(app.add_option(name, help), read, "LIST");
}

CLI::Option* CommandLine::rate(const std::string& name, double& perSecond, double max, const std::string& help) {
    Reader read = [&perSecond, max](const std::string& text) {
        double v = 0;
        if (parseTime(text, v) && v > 0 && v <= max) {
            perSecond = v;
            return std::string();
        }
        char why[96];
        std::snprintf(why, sizeof why, "takes a rate above 0, at most %g, not '", max);
        return why + text + "'";
    };
    return reading(app.add_option(name, help), read, "F");
}

CLI::Option* CommandLine::size(Size& size, unsigned min, unsigned max, const std::string& help) {
    Reader read = [&size, min, max](const std::string& text) {
        if (parseSize(text, min, max, size)) return std::string();
        return "takes WxH, each from " + std::to_string(min) + " to " + std::to_string(max) + ", not '" + text + "'";
    };
    return reading(app.add_option("--size", help), read, "WxH");
}

CLI::Option* CommandLine::dataFolder(std::string& dir) {
    return app.add_option("--data", dir,
                          "directory holding Tindermoot/ (default: the working\n"
                          "directory, else the installed data set)")
        ->type_name("DIR");
}

}  // namespace tool
