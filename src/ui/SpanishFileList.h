// The list of Qt's file dialog in the window's language. Qt names the kind of
// a folder in English, and writes dates and sizes in the system's language,
// which need not be Spanish; the list then reads them in Spanish instead.
#pragma once

class QFileDialog;

namespace hyt {

void ShowFileListInSpanish(QFileDialog& chooser);

} // namespace hyt
