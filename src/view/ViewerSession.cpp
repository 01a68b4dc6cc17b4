#include "view/ViewerSession.h"

#include "scene/Examples.h"
#include "view/ViewControls.h"

namespace hyt {

namespace {

// Collects what ResetView gives the bars.
class BarRecorder final : public BarDisplay {
  public:
    explicit BarRecorder(ViewUpdate& shown) : update(shown) {}
    void SetBarRange(Bar bar, int minPos, int maxPos) override
    {
        update.Of(bar).range = BarChange::Range{minPos, maxPos};
    }
    void SetBarPosition(Bar bar, int pos) override { update.Of(bar).position = pos; }

  private:
    ViewUpdate& update;
};

} // namespace

ViewerSession::ViewerSession()
    : scene(std::make_unique<SceneState>()), canvas(std::make_unique<Canvas>())
{
}

ViewerSession::~ViewerSession() = default;

ViewUpdate ViewerSession::Redraw()
{
    ViewUpdate update;
    if (hasSource) {
        renderer.RedrawSurface(*scene, *canvas);
        update.redrawn = true;
    }
    return update;
}

ViewUpdate ViewerSession::ChooseExample(std::string_view label)
{
    ViewUpdate update;
    BarRecorder bars(update);
    SelectExample(*scene, label, &bars);
    hasSource = true;
    update.redrawn = Redraw().redrawn;
    return update;
}

FileOutcome ViewerSession::ChooseFile(const std::filesystem::path& path)
{
    FileOutcome outcome;
    BarRecorder bars(outcome.view);
    outcome.file = LoadDataFile(*scene, path, &bars);
    if (outcome.file.Readable()) {
        outcome.nonFiniteHeights = CountNonFinite(scene->heights);
        hasSource = true;
        outcome.view.redrawn = Redraw().redrawn;
    }
    return outcome;
}

ViewUpdate ViewerSession::ChooseSurface(const SurfaceLoader& load)
{
    ViewUpdate update;
    BarRecorder bars(update);
    if (!load(*scene, bars))
        return {};
    hasSource = true;
    update.redrawn = Redraw().redrawn;
    return update;
}

ViewUpdate ViewerSession::BarMessage(Bar bar, ScrollCode code, unsigned position)
{
    const std::optional<int> shown = ScrollBarStep(*scene, bar, code, position);
    ViewUpdate update = Redraw();
    update.Of(bar).position = shown;
    return update;
}

void ViewerSession::BeginDrag(POINT cursor)
{
    hyt::BeginDrag(*scene, cursor);
}

void ViewerSession::EndDrag()
{
    hyt::EndDrag(*scene);
}

ViewUpdate ViewerSession::DragTo(POINT cursor)
{
    if (!DragStep(*scene, cursor))
        return {};
    return Redraw();
}

void ViewerSession::ToggleColor()
{
    ToggleColorMode(*scene);
}

} // namespace hyt
