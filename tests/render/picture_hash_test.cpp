// The pictures of a handful of views, pinned by hash, so that work on the
// speed of the renderer can never change a pixel or a bit of a projection.
// Each view is built as the window builds it: choose the example (ResetView
// and the generator), redraw, then every bar message or drag step followed by
// a redraw. The hashes were taken from the renderer before any optimisation.
#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <memory>
#include <random>
#include <set>

#include <gtest/gtest.h>

#include "render/SurfaceRenderer.h"
#include "scene/DataFile.h"
#include "scene/Examples.h"
#include "view/ViewControls.h"
#include "view/ViewerSession.h"

using namespace hyt;

namespace {

// FNV-1a, 64 bits, fed byte by byte.
class Fnv1a {
  public:
    void Add(const void* data, std::size_t size)
    {
        const auto* bytes = static_cast<const unsigned char*>(data);
        for (std::size_t i = 0; i < size; ++i) {
            value ^= bytes[i];
            value *= 0x100000001b3u;
        }
    }
    // A 32-bit word as four bytes, least significant first, on any host.
    void AddWord(std::uint32_t word)
    {
        const unsigned char bytes[4] = {
            static_cast<unsigned char>(word), static_cast<unsigned char>(word >> 8),
            static_cast<unsigned char>(word >> 16), static_cast<unsigned char>(word >> 24)};
        Add(bytes, 4);
    }
    std::uint64_t Value() const { return value; }

  private:
    std::uint64_t value = 0xcbf29ce484222325u;
};

// The 673 x 496 shown pixels, row by row.
std::uint64_t PictureHash(const Canvas& canvas)
{
    Fnv1a hash;
    for (int y = 0; y < Canvas::kShownHeight; ++y)
        for (int x = 0; x < Canvas::kShownWidth; ++x)
            hash.AddWord(canvas.PixelAt(x, y));
    return hash.Value();
}

// Every bit of the projections and the vertex colours the redraw left.
std::uint64_t ProjectionHash(const SceneState& scene)
{
    Fnv1a hash;
    for (const Vec3& v : scene.vertices) {
        for (double d : {v.x, v.y, v.z}) {
            std::uint64_t bits;
            std::memcpy(&bits, &d, sizeof bits);
            hash.AddWord(std::uint32_t(bits));
            hash.AddWord(std::uint32_t(bits >> 32));
        }
    }
    for (COLORREF c : scene.vertexColor)
        hash.AddWord(c);
    return hash.Value();
}

struct Step {
    enum Kind { Distance, Zoom, Drag } kind;
    int a = 0; // Distance: thumb position; Zoom: thumb position; Drag: dx
    int b = 0; // Drag: dy
};

enum class Mode { Colour, Plain };

struct View {
    const char* name;
    int example; // index into kExamples, or kNearEyeFile
    Mode mode;
    std::initializer_list<Step> steps;
    DrawingOrder order;
    std::uint64_t picture;
    std::uint64_t projection;
};

constexpr int kRadialSine = 0, kDampedWave = 1, kSineProduct = 2, kSineTimesX = 3, kMandelbrot = 4;
// The near-eye data file (bench/make_near_eye.cpp): cells from far below the
// picture to a hundred million pixels beyond it, nearly all across it.
constexpr int kNearEyeFile = -1;

// The cursor starts here; each drag step moves it by (dx, dy) screen pixels.
constexpr POINT kDragStart{400, 300};

// The view as a user reaches it: the example chosen, then each step, each
// followed by a redraw.
void BuildView(ViewerSession& session, const View& view)
{
    if ((session.Scene().colorMode == 1) != (view.mode == Mode::Colour))
        session.ToggleColor();
    if (view.example == kNearEyeFile)
        ASSERT_TRUE(session.ChooseFile(HYT_NEAR_EYE_FILE).file.Readable());
    else
        session.ChooseExample(kExamples[std::size_t(view.example)].label);
    POINT cursor = kDragStart;
    bool dragging = false;
    for (const Step& step : view.steps) {
        switch (step.kind) {
        case Step::Distance:
            session.BarMessage(Bar::Distance, SB_THUMBTRACK, unsigned(step.a));
            break;
        case Step::Zoom:
            session.BarMessage(Bar::Zoom, SB_THUMBTRACK, unsigned(step.a));
            break;
        case Step::Drag:
            if (!dragging) {
                session.BeginDrag(cursor);
                dragging = true;
            }
            cursor = {cursor.x + step.a, cursor.y + step.b};
            ASSERT_TRUE(session.DragTo(cursor).redrawn);
            break;
        }
    }
    session.EndDrag();
}

} // namespace

TEST(PictureHash, EveryPinnedViewDrawsTheSamePixelsAndProjections)
{
    // Drag steps to the right turn the eye to the low rows' side (a little)
    // and on to the low columns' side (a lot); to the left, to the high rows'
    // side; downward steps raise the eye. The close-ups leave corners behind
    // the eye and cells that reach far outside the picture.
    // clang-format off
    const View views[] = {
        {"RadialSine", kRadialSine, Mode::Colour, {},
         DrawingOrder::HighColumns, 0x657ad8e0bdbaca49u, 0x2c8b383ede0c76cu},
        {"DampedWave", kDampedWave, Mode::Colour, {},
         DrawingOrder::HighColumns, 0xe450d04d442c87c3u, 0x304490d5775d2913u},
        {"SineProduct", kSineProduct, Mode::Colour, {},
         DrawingOrder::HighColumns, 0xc2c052023647d02fu, 0xede3b339058bcb68u},
        {"SineTimesX", kSineTimesX, Mode::Colour, {},
         DrawingOrder::HighColumns, 0xad624da31023bb8fu, 0x37b0f10526a5ef55u},
        {"Mandelbrot", kMandelbrot, Mode::Colour, {},
         DrawingOrder::HighColumns, 0x5b265ef0e788fa0au, 0xde9644f295ebebd6u},
        {"RadialSinePlain", kRadialSine, Mode::Plain, {},
         DrawingOrder::HighColumns, 0xf4bbecd9a814dd81u, 0x2c8b383ede0c76cu},
        {"DampedWavePlain", kDampedWave, Mode::Plain, {},
         DrawingOrder::HighColumns, 0xb112b124146922f3u, 0x304490d5775d2913u},
        {"SineProductPlain", kSineProduct, Mode::Plain, {},
         DrawingOrder::HighColumns, 0xab54e0f90000fc87u, 0xede3b339058bcb68u},
        {"SineTimesXPlain", kSineTimesX, Mode::Plain, {},
         DrawingOrder::HighColumns, 0x6e369998ef82f64fu, 0x37b0f10526a5ef55u},
        {"MandelbrotPlain", kMandelbrot, Mode::Plain, {},
         DrawingOrder::HighColumns, 0xc8d28d4ba9b3482au, 0xde9644f295ebebd6u},
        {"MandelbrotCloseUp", kMandelbrot, Mode::Colour,
         {{Step::Distance, 30}, {Step::Zoom, 0}},
         DrawingOrder::HighColumns, 0xfe8b37f264e7e05cu, 0x1ce694790ae44392u},
        {"SineProductCloseUpPlain", kSineProduct, Mode::Plain,
         {{Step::Distance, 30}, {Step::Zoom, 0}},
         DrawingOrder::HighColumns, 0xd6ee0933ec01d9d1u, 0xdf1dee6316de6691u},
        {"MandelbrotTurnedLowRows", kMandelbrot, Mode::Colour,
         {{Step::Drag, 10, 0}, {Step::Drag, 10, 0}, {Step::Drag, 10, 0}},
         DrawingOrder::LowRows, 0x872368cbe8f8722du, 0x389a23940a09ae12u},
        {"MandelbrotTurnedLowColumns", kMandelbrot, Mode::Colour,
         {{Step::Drag, 100, 0}, {Step::Drag, 100, 0}, {Step::Drag, 100, 0}, {Step::Drag, 100, 0}},
         DrawingOrder::LowColumns, 0x3f91baafeb3a4e24u, 0xdf88ccb0ebd518bau},
        {"MandelbrotTurnedHighRows", kMandelbrot, Mode::Colour,
         {{Step::Drag, -100, 0}, {Step::Drag, -100, 0}, {Step::Drag, -100, 0}, {Step::Drag, -100, 0}},
         DrawingOrder::HighRows, 0x87052b1da8c834eau, 0x34cc78b3c4528e7eu},
        {"DampedWaveTurnedFromAbove", kDampedWave, Mode::Colour,
         {{Step::Drag, 0, 50}, {Step::Drag, 0, 50}, {Step::Drag, 30, 20}},
         DrawingOrder::LowRows, 0xe261be413e2d7dfu, 0x769e635956c5132eu},
        {"MandelbrotTurnedCloseUp", kMandelbrot, Mode::Colour,
         {{Step::Distance, 30}, {Step::Zoom, 0}, {Step::Drag, 60, -40}, {Step::Drag, 60, -40}},
         DrawingOrder::LowRows, 0xda0c54d68c8d1b8fu, 0x7d6ec39d1b1bbbc3u},
        {"NearEye", kNearEyeFile, Mode::Colour, {},
         DrawingOrder::HighColumns, 0xc606efb055f0d837u, 0x3419ee141b5d4963u},
        {"NearEyePlain", kNearEyeFile, Mode::Plain, {},
         DrawingOrder::HighColumns, 0xc5f269ea52c508d7u, 0x3419ee141b5d4963u},
        {"NearEyeZoomedOut", kNearEyeFile, Mode::Colour, {{Step::Zoom, 45}},
         DrawingOrder::HighColumns, 0x5ac452b8f5106485u, 0x962e96f7c2640218u},
        {"NearEyeTurnedLowRows", kNearEyeFile, Mode::Colour,
         {{Step::Drag, 5, -10}},
         DrawingOrder::LowRows, 0x3b83f77aebb38279u, 0xf13d88286e7bb8b5u},
        {"NearEyeTurnedPartlyHidden", kNearEyeFile, Mode::Colour,
         {{Step::Drag, 20, 0}},
         DrawingOrder::LowRows, 0xef2cca1a161a5efau, 0x5dca621bf15dc94au},
    };
    // clang-format on

    // One session for every view, as one window shows them in turn: each
    // picture must owe nothing to the one before.
    ViewerSession session;
    for (const View& view : views) {
        SCOPED_TRACE(view.name);
        BuildView(session, view);
        const SceneState& scene = session.Scene();
        EXPECT_EQ(ChooseDrawingOrder(scene.eye.y, scene.eye.z), view.order);
        const std::uint64_t picture = PictureHash(session.Picture());
        const std::uint64_t projection = ProjectionHash(scene);
        EXPECT_EQ(picture, view.picture) << std::hex << "picture 0x" << picture;
        EXPECT_EQ(projection, view.projection) << std::hex << "projection 0x" << projection;
    }
}

namespace {

// The mesh as plainly as it can be drawn: every drawn cell a whole Polygon,
// its outline complete, from the projections the redraw left in vertices;
// a cell with a corner behind the eye or without a pixel is left out.
void DrawPlainly(const SceneState& scene, Canvas& canvas)
{
    canvas.Clear(Rgb(0, 0, 0));
    canvas.SetPen(kOutlineColor);
    canvas.SetBrush(kPlainFillColor);
    auto cell = [&](int i, int j, const int(&di)[4], const int(&dj)[4]) {
        POINT corners[4];
        for (int c = 0; c < 4; ++c) {
            const Vec3& v = scene.vertices[std::size_t((i + di[c]) * kGridSize + j + dj[c])];
            const double x = v.x + kPictureCenterX;
            const double y = v.y + kPictureCenterY;
            if (v.z == 0.0 || !HasPixel(x) || !HasPixel(y))
                return;
            corners[c] = {ToPixel(x), ToPixel(y)};
        }
        if (scene.colorMode == 1)
            canvas.SetBrush(scene.vertexColor[std::size_t(i * kGridSize + j)]);
        canvas.Polygon(corners, 4);
    };
    constexpr int lowFirstI[4] = {0, 1, 1, 0}, lowFirstJ[4] = {0, 0, 1, 1};
    constexpr int lowRowsI[4] = {1, 0, 0, 1}, lowRowsJ[4] = {0, 0, 1, 1};
    constexpr int lowColsI[4] = {0, 1, 1, 0}, lowColsJ[4] = {1, 1, 0, 0};
    switch (ChooseDrawingOrder(scene.eye.y, scene.eye.z)) {
    case DrawingOrder::HighColumns:
        for (int j = 0; j < 99; ++j)
            for (int i = 0; i < 99; ++i)
                cell(i, j, lowFirstI, lowFirstJ);
        break;
    case DrawingOrder::LowRows:
        for (int i = 98; i >= 0; --i)
            for (int j = 0; j < 99; ++j)
                cell(i, j, lowRowsI, lowRowsJ);
        break;
    case DrawingOrder::LowColumns:
        for (int j = 98; j >= 0; --j)
            for (int i = 0; i < 99; ++i)
                cell(i, j, lowColsI, lowColsJ);
        break;
    case DrawingOrder::HighRows:
        for (int i = 0; i < 99; ++i)
            for (int j = 0; j < 99; ++j)
                cell(i, j, lowFirstI, lowFirstJ);
        break;
    }
}

} // namespace

namespace {

// Twelve random walks of twelve drags and bar moves, the first ten over the
// examples in turn, the last two over the near-eye file, with the colour mode
// toggled before every third walk when toggleColour; view(scene, walk, step)
// after each step. Returns the drawing orders the walks reached.
template <typename View>
std::set<DrawingOrder> RandomWalks(std::uint32_t seed, bool toggleColour, View view)
{
    std::mt19937 random(seed);
    auto scene = std::make_unique<SceneState>();
    std::set<DrawingOrder> ordersSeen;
    for (int walk = 0; walk < 12; ++walk) {
        if (walk < 10)
            SelectExample(*scene, kExamples[std::size_t(walk) % kExamples.size()].label, nullptr);
        else if (!LoadDataFile(*scene, HYT_NEAR_EYE_FILE, nullptr).Readable()) {
            ADD_FAILURE() << "the near-eye file does not load";
            return ordersSeen;
        }
        if (toggleColour && walk % 3 == 2)
            ToggleColorMode(*scene);
        POINT cursor = kDragStart;
        BeginDrag(*scene, cursor);
        for (int step = 0; step < 12; ++step) {
            switch (random() % 4) {
            case 0:
                DistanceBarStep(*scene, SB_THUMBTRACK, 30 + unsigned(random() % 271));
                break;
            case 1:
                ZoomBarStep(*scene, SB_THUMBTRACK, unsigned(random() % 51));
                break;
            default:
                cursor.x += int(random() % 401) - 200;
                cursor.y += int(random() % 401) - 200;
                DragStep(*scene, cursor);
                break;
            }
            SCOPED_TRACE(testing::Message() << "walk " << walk << ", step " << step);
            view(*scene);
            if (testing::Test::HasFatalFailure())
                return ordersSeen;
            ordersSeen.insert(ChooseDrawingOrder(scene->eye.y, scene->eye.z));
        }
        EndDrag(*scene);
    }
    return ordersSeen;
}

} // namespace

// Beyond the pinned views: random walks of drags and bar moves over every
// example and the near-eye file, each picture compared in full with the
// plain drawing. Every other view is drawn without AVX-512's registers, so
// that both loops over the cells are checked where the processor has them.
TEST(PictureHash, RandomViewsMatchTheMeshDrawnPlainly)
{
    auto canvas = std::make_unique<Canvas>();
    auto plain = std::make_unique<Canvas>();
    SurfaceRenderer renderer;
    int views = 0;
    const std::set<DrawingOrder> ordersSeen = RandomWalks(20240611u, true, [&](SceneState& scene) {
        canvas->UseMoreRegisters(++views % 2 == 0);
        renderer.RedrawSurface(scene, *canvas);
        DrawPlainly(scene, *plain);
        ASSERT_EQ(PictureHash(*canvas), PictureHash(*plain));
    });
    // The walks must reach every drawing order, or a fault in one of them
    // would pass unseen.
    EXPECT_EQ(ordersSeen.size(), 4u);
}

// Two bands of rows, one thread each, must draw every view exactly as one
// band does, far to near and near to far alike: the same random walks, each
// view drawn from its own copy of the scene by each renderer.
TEST(PictureHash, TwoBandsDrawTheSamePictureAsOne)
{
    auto one = std::make_unique<Canvas>();
    auto two = std::make_unique<Canvas>();
    SurfaceRenderer oneBand(Bands::One), twoBands(Bands::Two);
    const std::set<DrawingOrder> ordersSeen = RandomWalks(77u, false, [&](SceneState& scene) {
        auto forOne = std::make_unique<SceneState>(scene);
        auto forTwo = std::make_unique<SceneState>(scene);
        oneBand.RedrawSurface(*forOne, *one);
        twoBands.RedrawSurface(*forTwo, *two);
        DeriveView(scene); // the next drag step turns the frame the user saw
        ASSERT_EQ(PictureHash(*one), PictureHash(*two));
    });
    EXPECT_EQ(ordersSeen.size(), 4u);
}
