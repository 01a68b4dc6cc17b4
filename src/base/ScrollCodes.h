// The codes a scroll bar reports, and the bar ranges the view shows. Shared by
// the view controls, which act on them, and the window's bars, which send them.
#pragma once

namespace hyt {

// What the user did to a bar. Line steps are the arrows, page steps the
// trough, the thumb codes a drag (TRACK while moving, POSITION on release),
// ENDSCROLL the end of any of these.
enum ScrollCode : unsigned {
    SB_LINEUP = 0,
    SB_LINEDOWN = 1,
    SB_PAGEUP = 2,
    SB_PAGEDOWN = 3,
    SB_THUMBPOSITION = 4,
    SB_THUMBTRACK = 5,
    SB_TOP = 6,
    SB_BOTTOM = 7,
    SB_ENDSCROLL = 8,
};

// The two bars of the view.
enum class Bar { Zoom, Distance };

// Their ranges: "Z" shows 50 - zoomLevel, "P" the eye's distance.
inline constexpr int kZoomBarMin = 0;
inline constexpr int kZoomBarMax = 50;
inline constexpr int kDistanceBarMin = 30;
inline constexpr int kDistanceBarMax = 300;

} // namespace hyt
