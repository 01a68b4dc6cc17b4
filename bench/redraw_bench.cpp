// hyt-bench: a whole RedrawSurface for the views a user sees most and for a
// near-eye data file, a drag, and the two sources. Every view is built as the
// window builds it: choose the source, redraw, then each bar message or drag
// step and a redraw.
//
//   hyt-bench --benchmark_repetitions=10 --benchmark_report_aggregates_only=true
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <unistd.h>

#include "render/SurfaceRenderer.h"
#include "scene/DataFile.h"
#include "scene/Examples.h"
#include "view/ViewControls.h"

using namespace hyt;

namespace {

// Short names for the five examples, in the order of kExamples.
constexpr const char* kExampleNames[] = {"RadialSine", "DampedWave", "SineProduct", "SineTimesX",
                                         "Mandelbrot"};
constexpr std::size_t kMandelbrot = 4;

enum class Mode { Colour, Plain };
enum class Distance { Reset, CloseUp };

// A chosen example, drawn once. SceneState and Canvas are too big for the stack.
struct Viewer {
    std::unique_ptr<SceneState> scene = std::make_unique<SceneState>();
    std::unique_ptr<Canvas> canvas = std::make_unique<Canvas>();
    SurfaceRenderer renderer;

    Viewer(std::size_t example, Mode mode, Distance distance)
    {
        SelectExample(*scene, kExamples[example].label, nullptr);
        if (mode == Mode::Plain)
            ToggleColorMode(*scene);
        Redraw();
        if (distance == Distance::CloseUp) {
            DistanceBarStep(*scene, SB_THUMBTRACK, 30); // the eye 30 units away
            Redraw();
            ZoomBarStep(*scene, SB_THUMBTRACK, 0); // zoomLevel 50
            Redraw();
        }
    }
    // The near-eye data file at the reset view, drawn in the bands given.
    explicit Viewer(Mode mode, Bands bands = Bands::ByFreeCores) : renderer(bands)
    {
        loaded = LoadDataFile(*scene, HYT_NEAR_EYE_FILE, nullptr).Readable();
        if (mode == Mode::Plain)
            ToggleColorMode(*scene);
        Redraw();
    }
    void Redraw() { renderer.RedrawSurface(*scene, *canvas); }
    bool loaded = true;
};

void Measure(benchmark::State& state, Viewer& viewer)
{
    for (auto _ : state) {
        viewer.Redraw();
        benchmark::DoNotOptimize(viewer.canvas->Pixels());
        benchmark::ClobberMemory();
    }
}

void RedrawView(benchmark::State& state, std::size_t example, Mode mode, Distance distance)
{
    Viewer viewer(example, mode, distance);
    Measure(state, viewer);
}

// Cells that reach from far below the picture to a hundred million pixels
// beyond it, nearly all of them across the picture (see make_near_eye.cpp).
// Two bands on two threads wherever two cores are free, as in the window,
// or always (Bands::Two), for a figure that does not depend on the cores
// the benchmark may run on.
void RedrawNearEye(benchmark::State& state, Mode mode, Bands bands)
{
    Viewer viewer(mode, bands);
    if (!viewer.loaded) {
        state.SkipWithError("cannot read " HYT_NEAR_EYE_FILE);
        return;
    }
    Measure(state, viewer);
}

// 100 drag steps of 5 pixels to the right, a redraw after each, from the
// reset view of Mandelbrot: the eye turns by about 134 degrees, through
// three of the four drawing orders.
void BM_Drag(benchmark::State& state)
{
    constexpr int kSteps = 100;
    constexpr int kStepPixels = 5;
    Viewer viewer(kMandelbrot, Mode::Colour, Distance::Reset);
    auto start = std::make_unique<SceneState>(*viewer.scene);
    for (auto _ : state) {
        state.PauseTiming();
        *viewer.scene = *start;
        state.ResumeTiming();
        POINT cursor{400, 300};
        BeginDrag(*viewer.scene, cursor);
        for (int step = 0; step < kSteps; ++step) {
            cursor.x += kStepPixels;
            DragStep(*viewer.scene, cursor);
            viewer.Redraw();
        }
        EndDrag(*viewer.scene);
        benchmark::DoNotOptimize(viewer.canvas->Pixels());
        benchmark::ClobberMemory();
    }
    state.counters["step"] =
        benchmark::Counter(double(kSteps) * double(state.iterations()),
                           benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

void BM_GenerateMandelbrot(benchmark::State& state)
{
    auto scene = std::make_unique<SceneState>();
    for (auto _ : state) {
        GenerateMandelbrot(*scene);
        benchmark::DoNotOptimize(scene->heights.data());
        benchmark::ClobberMemory();
    }
}

// LoadDataFile of an 80000-byte file in the temporary directory; the file
// stays in the page cache, so this measures the reader, not the disk.
void BM_LoadDataFile(benchmark::State& state)
{
    auto scene = std::make_unique<SceneState>();
    GenerateMandelbrot(*scene);
    const std::filesystem::path path =
        std::filesystem::temp_directory_path() / ("hyt-bench-" + std::to_string(getpid()) + ".hyt");
    {
        std::FILE* file = std::fopen(path.c_str(), "wb");
        if (file == nullptr ||
            std::fwrite(scene->heights.data(), 1, kDataFileSize, file) != kDataFileSize) {
            if (file != nullptr)
                std::fclose(file);
            state.SkipWithError("cannot write the temporary data file");
            return;
        }
        std::fclose(file);
    }
    for (auto _ : state) {
        const DataFileResult result = LoadDataFile(*scene, path, nullptr);
        if (!result.Readable() || result.SizeMismatch()) {
            state.SkipWithError("the temporary data file did not read back");
            break;
        }
        benchmark::DoNotOptimize(scene->heights.data());
        benchmark::ClobberMemory();
    }
    std::error_code ignored;
    std::filesystem::remove(path, ignored);
}

void RegisterAll()
{
    for (std::size_t e = 0; e < std::size(kExampleNames); ++e) {
        const std::string name = kExampleNames[e];
        benchmark::RegisterBenchmark(("BM_RedrawSurface/" + name).c_str(), RedrawView, e,
                                     Mode::Colour, Distance::Reset)
            ->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark(("BM_RedrawSurface/" + name + "Plain").c_str(), RedrawView, e,
                                     Mode::Plain, Distance::Reset)
            ->Unit(benchmark::kMillisecond);
    }
    benchmark::RegisterBenchmark("BM_RedrawSurface/MandelbrotCloseUp", RedrawView, kMandelbrot,
                                 Mode::Colour, Distance::CloseUp)
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("BM_RedrawSurface/NearEye", RedrawNearEye, Mode::Colour,
                                 Bands::ByFreeCores)
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("BM_RedrawSurface/NearEyePlain", RedrawNearEye, Mode::Plain,
                                 Bands::ByFreeCores)
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("BM_RedrawSurface/NearEyeTwoThreads", RedrawNearEye, Mode::Colour,
                                 Bands::Two)
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime();
    benchmark::RegisterBenchmark("BM_Drag/Mandelbrot/100x5px", BM_Drag)
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("BM_GenerateMandelbrot", BM_GenerateMandelbrot)
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("BM_LoadDataFile", BM_LoadDataFile)->Unit(benchmark::kMicrosecond);
}

} // namespace

int main(int argc, char** argv)
{
    RegisterAll();
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
