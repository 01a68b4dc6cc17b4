// The view controls as plain functions on the scene: the "Z" and "P" bars,
// one drag step and the colour switch. Each bar step returns the position
// that the bar must show, or nothing when the position is not to be set.
#pragma once

#include <optional>

#include "base/ScrollCodes.h"
#include "scene/SceneState.h"

namespace hyt {

// "Z" bar: line steps of 1.0 clamped to 0..50; the thumb sets 50 - position.
std::optional<int> ZoomBarStep(SceneState& scene, ScrollCode code, unsigned position);

// "P" bar: line steps of 2.0 clamped to 30..300; the thumb sets the distance
// to the position. The eye's direction never changes. Before the first
// source the eye has no direction and the steps change nothing.
std::optional<int> DistanceBarStep(SceneState& scene, ScrollCode code, unsigned position);

// Either bar by identity. The caller redraws after every bar message.
std::optional<int> ScrollBarStep(SceneState& scene, Bar bar, ScrollCode code, unsigned position);

// Button down: remember the cursor and start dragging.
void BeginDrag(SceneState& scene, POINT cursor);
// Button up: stop dragging.
void EndDrag(SceneState& scene);

// One drag step to the cursor position now (screen pixels): turns the eye
// about the target against the cursor's movement, then cursorPrev becomes
// cursorNow. A zero displacement, or a frame without direction, leaves eye
// unchanged. The caller redraws after it. Returns false, doing nothing,
// when no drag is under way.
bool DragStep(SceneState& scene, POINT cursor);

// The colour switch: colorMode becomes 0 if it was 1, else 1. No redraw.
void ToggleColorMode(SceneState& scene);

} // namespace hyt
