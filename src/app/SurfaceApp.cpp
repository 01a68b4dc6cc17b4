#include "app/SurfaceApp.h"

#include "base/Version.h"
#include "platform/QtTranslations.h"
#include "ui/SurfaceDlg.h"
#include "view/ViewerSession.h"

namespace hyt {

CSurfaceApp::CSurfaceApp(int& argc, char** argv) : application(argc, argv)
{
    startGuard.Release();
    QApplication::setApplicationName(QStringLiteral("hyt"));
    QApplication::setApplicationVersion(QString::fromLatin1(kVersion));
    QGuiApplication::setDesktopFileName(QStringLiteral("hyt"));
    // Before the first window, so that every dialog of Qt speaks Spanish.
    InstallSpanishQtTranslations(application);
}

bool CSurfaceApp::InitInstance(const std::filesystem::path& path)
{
    ViewerSession session;
    CSurfaceDlg dialog(session);
    if (!path.empty())
        dialog.OpenDataFileAtStart(path);
    dialog.DoModal(); // OK, Cancel or failure: all end the program
    return false;
}

} // namespace hyt
