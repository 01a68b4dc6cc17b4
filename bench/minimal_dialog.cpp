// hyt-bench-minimal-dialog: the yardstick for the viewer's start-up, a Qt
// Widgets dialog with one label and nothing else, started and shown the way
// the viewer is (see bench/start_to_shown.sh).
#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QVBoxLayout>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QDialog dialog;
    dialog.setWindowTitle(QStringLiteral("Diálogo mínimo"));
    auto* layout = new QVBoxLayout(&dialog);
    layout->addWidget(new QLabel(QStringLiteral("Hola")));
    dialog.show();
    return app.exec();
}
