// Every text the windows show, in Spanish.
#pragma once

#include <QString>

namespace hyt {

QString MainCaption();
QString AboutMenuText();     // IDS_ABOUT_MENU
QString SaveImageMenuText(); // the system-menu entry that saves the picture

QString AboutCaption();
QString AboutTitleText();
QString AboutMakerText(); // three lines naming the maker, an empty line, the licence line

QString InstructionsCaption();
// Built anew from its fourteen pieces every time; the last piece ends with
// our web address.
QString BuildInstructionsText();

QString ProgramWebAddress();

} // namespace hyt
