// hyt [FICHERO.hyt]: the viewer, drawing the data file named if any. It
// saves nothing but the pictures the user asks for. --help and --version
// answer without a display.
#include <cstdio>

#include "app/CommandLine.h"
#include "app/Display.h"
#include "app/SurfaceApp.h"
#include "base/Version.h"
#include "texts/Texts.h"

int main(int argc, char** argv)
{
    const hyt::CommandLine line = hyt::ParseCommandLine(argc, argv);
    switch (line.request) {
    case hyt::Request::Help:
        std::fputs(hyt::ViewerHelpText().c_str(), stdout);
        return 0;
    case hyt::Request::Version:
        std::printf("hyt %s\n", hyt::kVersion);
        return 0;
    case hyt::Request::Bad:
        std::fprintf(stderr, "%s\n", hyt::ViewerUnknownArgumentMessage(line.bad).c_str());
        return 2;
    case hyt::Request::Run:
        break;
    }
    // One data file at most, which the window draws as it opens.
    if (line.operands.size() > 1) {
        std::fprintf(stderr, "%s\n", hyt::ViewerUnknownArgumentMessage(line.operands[1]).c_str());
        return 2;
    }
    if (!hyt::DisplayAvailable()) {
        std::fprintf(stderr, "%s\n", hyt::NoDisplayMessage().c_str());
        return 1;
    }
    hyt::CSurfaceApp app(argc, argv);
    app.InitInstance(line.operands.empty() ? std::filesystem::path()
                                           : std::filesystem::path(line.operands.front()));
    return 0;
}
