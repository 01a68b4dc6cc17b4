// The window tests: the About box and instructions window, then the main
// window. Qt's texts are Spanish, as in the program.
#include <QApplication>

#include "platform/QtTranslations.h"
#include "ui_test_support.h"

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    hyt::InstallSpanishQtTranslations(application);
    int failures = RunDialogsTests(argc, argv);
    failures += RunMainWindowTests(argc, argv);
    failures += RunWindowEdgesTests(argc, argv);
    failures += RunFormulaDialogTests(argc, argv);
    failures += RunOpenSurfaceTests(argc, argv);
    return failures == 0 ? 0 : 1;
}
