// hyt-bench-window, on the offscreen platform:
// - one drag step in the main window: the mouse-move event sent to CSurfaceDlg
//   with the left button held, its DragStep and redraw, and the synchronous
//   repaint that paints the picture into the window's backing store. The
//   steps go 5 pixels right and back, so the view stays near Mandelbrot's
//   reset view;
// - the main window opened and shown in a folder of N data files, from the
//   listing to the first paint (BM_WindowOpens/0 against /20000).
//
//   hyt-bench-window --benchmark_repetitions=10 --benchmark_report_aggregates_only=true
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QMouseEvent>
#include <QTemporaryDir>
#include <memory>

#include "ui/SurfaceDlg.h"
#include "view/ViewerSession.h"

using namespace hyt;

namespace {

// The window showing Mandelbrot's reset view, with the left button held
// down over the picture.
struct DraggedWindow {
    std::unique_ptr<ViewerSession> session = std::make_unique<ViewerSession>();
    std::unique_ptr<CSurfaceDlg> dialog;
    QPoint cursor = CSurfaceDlg::PictureRect().center();

    bool Open()
    {
        dialog = std::make_unique<CSurfaceDlg>(*session);
        dialog->show();
        QApplication::processEvents();
        auto* examples = dialog->findChild<QComboBox*>(QStringLiteral("IDC_EXAMPLE_COMBO"));
        const int index =
            examples != nullptr ? examples->findText(QStringLiteral("Mandelbrot")) : -1;
        if (index < 0)
            return false;
        examples->setCurrentIndex(index);
        dialog->OnExampleSelChange(index);
        Send(QEvent::MouseButtonPress, Qt::LeftButton);
        QApplication::processEvents();
        return session->Dragging() && dialog->HasPicture();
    }

    void Send(QEvent::Type type, Qt::MouseButton button)
    {
        const QPointF local(cursor);
        QMouseEvent event(type, local, dialog->mapToGlobal(local), button,
                          type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton,
                          Qt::NoModifier);
        QApplication::sendEvent(dialog.get(), &event);
    }

    // One move of dx pixels, then the paint it asked for, done now.
    void Step(int dx)
    {
        cursor.rx() += dx;
        Send(QEvent::MouseMove, Qt::NoButton);
        dialog->repaint(CSurfaceDlg::PictureRect());
    }
};

void BM_WindowDragStep(benchmark::State& state)
{
    DraggedWindow window;
    if (!window.Open()) {
        state.SkipWithError("the window did not show Mandelbrot with the button held");
        return;
    }
    int dx = 5;
    for (auto _ : state) {
        window.Step(dx);
        dx = -dx;
    }
    window.Send(QEvent::MouseButtonRelease, Qt::LeftButton);
}

// The paint alone: the last picture drawn into the backing store, no redraw.
void BM_WindowPaintOnly(benchmark::State& state)
{
    DraggedWindow window;
    if (!window.Open()) {
        state.SkipWithError("the window did not show Mandelbrot with the button held");
        return;
    }
    for (auto _ : state)
        window.dialog->repaint(CSurfaceDlg::PictureRect());
    window.Send(QEvent::MouseButtonRelease, Qt::LeftButton);
}

// A folder of count data files with names in mixed case and accents, made
// once per size; the window lists it as its current directory.
void BM_WindowOpens(benchmark::State& state)
{
    const int count = int(state.range(0));
    QTemporaryDir folder;
    const QByteArray bytes(80000, '\0');
    const QStringList stems{QStringLiteral("ábaco"), QStringLiteral("Beta"), QStringLiteral("ñu"),
                            QStringLiteral("zeta")};
    for (int i = 0; i < count; ++i) {
        QFile file(folder.filePath(stems[i % stems.size()] + QString::number(i * 7919 % count) +
                                   QStringLiteral(".hyt")));
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size()) {
            state.SkipWithError("could not write the data files");
            return;
        }
    }
    const QString previous = QDir::currentPath();
    QDir::setCurrent(folder.path());
    for (auto _ : state) {
        ViewerSession session;
        CSurfaceDlg dialog(session);
        dialog.show();
        dialog.repaint();
        QApplication::processEvents();
        benchmark::DoNotOptimize(
            dialog.findChild<QComboBox*>(QStringLiteral("IDC_FILE_COMBO"))->count());
    }
    QDir::setCurrent(previous);
}

} // namespace

int main(int argc, char** argv)
{
    // No display is needed unless the caller chose a platform.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    benchmark::RegisterBenchmark("BM_WindowDragStep/Mandelbrot", BM_WindowDragStep)
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime();
    benchmark::RegisterBenchmark("BM_WindowPaintOnly/Mandelbrot", BM_WindowPaintOnly)
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime();
    benchmark::RegisterBenchmark("BM_WindowOpens", BM_WindowOpens)
        ->Arg(0)
        ->Arg(20000)
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime();
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
