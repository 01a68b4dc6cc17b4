#include "platform/QtTranslations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace hyt {

bool InstallSpanishQtTranslations(QCoreApplication& application)
{
    return InstallSpanishQtTranslations(application,
                                        QLibraryInfo::path(QLibraryInfo::TranslationsPath));
}

bool InstallSpanishQtTranslations(QCoreApplication& application, const QString& directory)
{
    // The dialogs ask the default locale for their language and layout.
    QLocale::setDefault(QLocale(QLocale::Spanish, QLocale::Spain));
    auto* translator = new QTranslator(&application);
    if (!translator->load(QStringLiteral("qtbase_es"), directory)) {
        delete translator;
        return false;
    }
    return QCoreApplication::installTranslator(translator);
}

} // namespace hyt
