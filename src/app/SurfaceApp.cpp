#include "app/SurfaceApp.h"

#include "scene/SceneState.h"
#include "ui/MainIcon.h"
#include "ui/SurfaceDlg.h"

namespace hyt {

namespace {
// The one scene of the process, static: it is far too large for the stack.
SceneState theScene;
} // namespace

CSurfaceApp::CSurfaceApp(int& argc, char** argv) : application(argc, argv)
{
    QApplication::setApplicationName(QStringLiteral("hyt"));
    QApplication::setApplicationVersion(QStringLiteral(PROJECT_VERSION_STRING));
    QGuiApplication::setDesktopFileName(QStringLiteral("hyt"));
    QApplication::setWindowIcon(MakeMainIcon());
}

bool CSurfaceApp::InitInstance()
{
    CSurfaceDlg dialog(theScene);
    dialog.DoModal(); // OK, Cancel or failure: all end the program
    return false;
}

} // namespace hyt
