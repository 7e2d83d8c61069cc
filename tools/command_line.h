#pragma once

// The tools' command lines, read with CLI11 the same way in each: --help
// on standard output with status 0; an unknown option, a stray argument or
// a bad value named on standard error with status 2.

#include <CLI/CLI.hpp>
#include <cstdio>
#include <optional>
#include <string>

namespace tarnwell::tools {

// Parses the command line into what `app` was told to fill. The exit
// status when the program ends here; empty when it goes on.
inline std::optional<int> ParseCommandLine(CLI::App& app, int argc, char** argv) {
    const std::string program = app.get_name();
    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp&) {
        std::fputs(app.help().c_str(), stdout);
        return 0;
    } catch (const CLI::ExtrasError& error) {
        // What it names follows the colon of its own sentence.
        const std::string what = error.what();
        const std::string extras = what.substr(what.find(':') + 2);
        std::fprintf(stderr, "%s: %s: %s (see --help)\n", program.c_str(),
                     extras.starts_with('-') ? "unknown option" : "unexpected argument",
                     extras.c_str());
        return 2;
    } catch (const CLI::ParseError& error) {
        std::fprintf(stderr, "%s: %s (see --help)\n", program.c_str(), error.what());
        return 2;
    }
    return std::nullopt;
}

}  // namespace tarnwell::tools
