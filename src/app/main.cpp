// hyt: the viewer. It takes no arguments and saves nothing; --version only
// prints the version.
#include <cstdio>
#include <cstring>

#include "app/SurfaceApp.h"
#include "base/Version.h"

int main(int argc, char** argv)
{
    // Answered before the application object exists: it needs no display.
    if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
        std::printf("hyt %s\n", hyt::kVersion);
        return 0;
    }
    hyt::CSurfaceApp app(argc, argv);
    app.InitInstance();
    return 0;
}
