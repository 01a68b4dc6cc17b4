// hyt: the viewer. It saves nothing but the pictures the user asks for.
// --help and --version answer without a display.
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
    // The viewer opens no file named on its command line.
    if (!line.operands.empty()) {
        std::fprintf(stderr, "%s\n",
                     hyt::ViewerUnknownArgumentMessage(line.operands.front()).c_str());
        return 2;
    }
    if (!hyt::DisplayAvailable()) {
        std::fprintf(stderr, "%s\n", hyt::NoDisplayMessage().c_str());
        return 1;
    }
    hyt::CSurfaceApp app(argc, argv);
    app.InitInstance();
    return 0;
}
