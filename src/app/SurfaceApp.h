// CSurfaceApp: owns the application object and runs the main window once.
#pragma once

#include <QApplication>

namespace hyt {

class CSurfaceApp {
  public:
    CSurfaceApp(int& argc, char** argv);

    // Runs the main window modally and returns false once it has ended:
    // there is nothing more to do, and the process ends.
    bool InitInstance();

  private:
    QApplication application;
};

} // namespace hyt
