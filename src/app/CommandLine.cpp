#include "app/CommandLine.h"

#include <string_view>

namespace hyt {

CommandLine ParseCommandLine(int argc, const char* const* argv)
{
    CommandLine line;
    bool options = true;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (options && arg == "--") {
            options = false;
        } else if (options && (arg == "--help" || arg == "-h")) {
            line.request = Request::Help;
            return line;
        } else if (options && arg == "--version") {
            line.request = Request::Version;
            return line;
        } else if (options && arg.size() > 1 && arg.front() == '-') {
            if (line.request != Request::Bad) {
                line.request = Request::Bad;
                line.bad = arg;
            }
        } else {
            line.operands.emplace_back(arg);
        }
    }
    return line;
}

} // namespace hyt
