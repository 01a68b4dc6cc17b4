// hyt's command line: the options it knows, and the operands (the names
// that are not options) in the order given.
#pragma once

#include <string>
#include <vector>

namespace hyt {

enum class Request {
    Run,     // open the window
    Help,    // print the help and end
    Version, // print the version and end
    Bad,     // an argument hyt does not understand: see bad
};

struct CommandLine {
    Request request = Request::Run;
    std::vector<std::string> operands; // after the options, or after "--"
    std::string bad;                   // the argument not understood
};

// Reads argv[1..argc-1]. --help and --version answer at once, whatever
// follows; an unknown option makes the line Bad.
CommandLine ParseCommandLine(int argc, const char* const* argv);

} // namespace hyt
