// ViewerSession: one viewer's scene, its picture and whether a source has been
// chosen, and every action a user can take on them. Each action that the
// window follows with a redraw is followed by one here, so the window, the
// headless renderer, the tests and the fuzzers all run the same sequence.
// Before the first source nothing is drawn and the picture stays blank.
#pragma once

#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string_view>

#include "base/ScrollCodes.h"
#include "base/Types.h"
#include "render/Canvas.h"
#include "render/SurfaceRenderer.h"
#include "scene/DataFile.h"
#include "scene/SceneState.h"

namespace hyt {

// What one bar must show after an action: a new range when the view was
// reset, then a new thumb position. Nothing when neither changed.
struct BarChange {
    struct Range {
        int minPos = 0;
        int maxPos = 0;
    };
    std::optional<Range> range;
    std::optional<int> position;
};

// What the caller must show after an action.
struct ViewUpdate {
    BarChange zoomBar;
    BarChange distanceBar;
    bool redrawn = false; // the picture was drawn anew

    const BarChange& Of(Bar bar) const { return bar == Bar::Zoom ? zoomBar : distanceBar; }
    BarChange& Of(Bar bar) { return bar == Bar::Zoom ? zoomBar : distanceBar; }
};

struct FileOutcome {
    DataFileResult file;      // a failed read leaves the scene and the picture as they were
    int nonFiniteHeights = 0; // of a file read: heights that are NaN or infinite
    ViewUpdate view;
};

class ViewerSession {
  public:
    ViewerSession();
    ~ViewerSession();
    ViewerSession(const ViewerSession&) = delete;
    ViewerSession& operator=(const ViewerSession&) = delete;

    // The sources. An example label that names no example still resets the
    // view and counts as a source, as the example list would.
    ViewUpdate ChooseExample(std::string_view label);
    FileOutcome ChooseFile(const std::filesystem::path& path);

    // A source the core does not know, such as the user's formula (see
    // formula/FormulaSource.h). load either resets the view through the bars
    // it is given, sets zScale and the heights, and returns true; or returns
    // false having touched nothing, and then the picture stays as it was too.
    using SurfaceLoader = std::function<bool(SceneState& scene, BarDisplay& bars)>;
    ViewUpdate ChooseSurface(const SurfaceLoader& load);

    // A "Z" or "P" bar message; every one redraws, even one that changed
    // nothing.
    ViewUpdate BarMessage(Bar bar, ScrollCode code, unsigned position);

    // The drag: button down and up, and one step to the cursor (screen
    // pixels), which redraws only while a drag is under way.
    void BeginDrag(POINT cursor);
    void EndDrag();
    ViewUpdate DragTo(POINT cursor);
    bool Dragging() const { return scene->dragging != 0; }

    // The colour switch; the picture changes at the next redraw.
    void ToggleColor();

    // Draws the scene as it stands (once a source has been chosen).
    ViewUpdate Redraw();

    bool HasSource() const { return hasSource; }
    const SceneState& Scene() const { return *scene; }
    // For callers that set up a view no control could reach (tests, fuzzers).
    SceneState& Scene() { return *scene; }
    const Canvas& Picture() const { return *canvas; }

  private:
    std::unique_ptr<SceneState> scene;
    std::unique_ptr<Canvas> canvas;
    SurfaceRenderer renderer;
    bool hasSource = false;
};

} // namespace hyt
