// The window tests: the About box and instructions window, then the main window.
#include <QApplication>

#include "ui_test_support.h"

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    int failures = RunDialogsTests(argc, argv);
    failures += RunMainWindowTests(argc, argv);
    failures += RunFormulaDialogTests(argc, argv);
    return failures == 0 ? 0 : 1;
}
