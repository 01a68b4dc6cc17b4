// Identifiers of the windows, controls, strings, icons and menu commands.
// Controls carry their identifier as object name and "controlId" property.
#pragma once

namespace hyt {

inline constexpr int IDD_ABOUT = 100;
inline constexpr int IDS_ABOUT_MENU = 101;
inline constexpr int IDD_MAIN = 102;
inline constexpr int IDI_MAIN = 128;
inline constexpr int IDD_INSTRUCTIONS = 131;
inline constexpr int IDD_FORMULA = 132;

inline constexpr int IDOK = 1;
inline constexpr int IDCANCEL = 2;
inline constexpr int IDC_ZOOM_BAR = 1007;
inline constexpr int IDC_DISTANCE_BAR = 1008;
inline constexpr int IDC_ABOUT_BUTTON = 1011;
inline constexpr int IDC_INSTRUCTIONS_BUTTON = 1012;
inline constexpr int IDC_INSTRUCTIONS_TEXT = 1013;
inline constexpr int IDC_EXAMPLE_COMBO = 1016;
inline constexpr int IDC_COLOR_CHECK = 1017;
inline constexpr int IDC_FILE_COMBO = 1018;

// System-menu commands: the low four bits of each are zero, so that 16..31
// all mean IDM_ABOUT.
inline constexpr unsigned IDM_ABOUT = 0x10;
inline constexpr unsigned IDM_SAVE_IMAGE = 0x20;
inline constexpr unsigned IDM_OPEN_FILE = 0x30;
inline constexpr unsigned IDM_FORMULA = 0x40;

} // namespace hyt
