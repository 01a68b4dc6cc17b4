// hyt: the viewer. It takes no arguments and saves nothing.
#include "app/SurfaceApp.h"

int main(int argc, char** argv)
{
    hyt::CSurfaceApp app(argc, argv);
    app.InitInstance();
    return 0;
}
