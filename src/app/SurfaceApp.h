// CSurfaceApp: owns the application object and runs the main window once.
#pragma once

#include <QApplication>
#include <filesystem>

#include "app/Display.h"

namespace hyt {

class CSurfaceApp {
  public:
    // Ends the process with status 1 and a Spanish line if Qt's platform
    // cannot start.
    CSurfaceApp(int& argc, char** argv);

    // Runs the main window modally, first drawing the data file at path if
    // one is given, and returns false once it has ended: there is nothing
    // more to do, and the process ends.
    bool InitInstance(const std::filesystem::path& path = {});

  private:
    PlatformStartGuard startGuard; // made before the application, which it watches
    QApplication application;
};

} // namespace hyt
