// Whether hyt can open its window at all. Qt ends a program whose platform
// cannot start with an abort and a paragraph about plugins; the viewer says
// instead, in one Spanish line, that there is no display, and ends with
// status 1.
#pragma once

namespace hyt {

// What can be told before Qt starts: the platforms Qt would try (those of
// QT_QPA_PLATFORM, or X11 and Wayland) and whether a display of one of them
// answers. A platform that needs no display (offscreen, say) always counts.
bool DisplayAvailable();

// Lives while the application object is being made: if Qt's platform fails
// to start after all, prints NoDisplayMessage() and ends the process with
// status 1 instead of Qt's abort. Qt's messages meanwhile are held back and
// written out once the platform has started.
class PlatformStartGuard {
  public:
    PlatformStartGuard();
    ~PlatformStartGuard();
    PlatformStartGuard(const PlatformStartGuard&) = delete;
    PlatformStartGuard& operator=(const PlatformStartGuard&) = delete;

    // The platform has started: Qt's messages go their usual way again.
    void Release();

  private:
    bool active = true;
};

} // namespace hyt
