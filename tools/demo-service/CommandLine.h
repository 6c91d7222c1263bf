#pragma once

// The demo service's command line.
//   auto line = parseCommandLine(argc, argv);
//   if (!line) { std::cerr << line.error() << '\n'; return 2; }
//   if (line->help) { std::cout << helpText(); return 0; }

#include "tools/demo-service/DemoService.h"

#include <optional>
#include <string>

namespace trelvo::demo {

struct CommandLine {
    bool help = false;
    DemoServiceOptions service;
    std::optional<std::string> log; // a file, or "-" for standard output
};

Result<CommandLine> parseCommandLine(int argc, const char* const* argv);
std::string helpText();

} // namespace trelvo::demo
