// Qt's own words (the buttons of message boxes, the file dialog, the menu of
// an edit field) in Spanish, whatever the user's locale says.
#pragma once

#include <QString>

class QCoreApplication;

namespace hyt {

// Makes Spanish the default locale and installs Qt's Spanish translations
// (qtbase_es.qm) from directory, by default Qt's own translations folder.
// Without the file Qt's texts stay English and the program runs all the same:
// returns whether they were installed.
bool InstallSpanishQtTranslations(QCoreApplication& application);
bool InstallSpanishQtTranslations(QCoreApplication& application, const QString& directory);

} // namespace hyt
