// Tests of the pixel canvas. Every drawing is compared with a slow reference
// written from the pixel rules alone (per pixel, exact 128-bit arithmetic, no
// clipping, no stepping), and the attacks also check that nothing outside the
// shape's clipped bounds changed.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <climits>
#include <cstdint>
#include <memory>
#include <random>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "render/Canvas.h"

namespace {

using hyt::Canvas;
using hyt::COLORREF;
using hyt::POINT;
using hyt::Rgb;
using Pixel = Canvas::Pixel;
using Picture = std::vector<Pixel>;
__extension__ typedef __int128 Int128;

constexpr int W = Canvas::kWidth;
constexpr int H = Canvas::kHeight;

const COLORREF kSentinelColor = Rgb(1, 2, 3);
const COLORREF kPenColor = Rgb(50, 50, 50);
const COLORREF kBrushColor = Rgb(255, 0, 0);
const Pixel kSentinel = Canvas::ToPixel(kSentinelColor);
const Pixel kPen = Canvas::ToPixel(kPenColor);
const Pixel kBrush = Canvas::ToPixel(kBrushColor);

// ---- The reference rules ---------------------------------------------------

Int128 Abs(Int128 v)
{
    return v < 0 ? -v : v;
}

Int128 RefFloorDiv(Int128 p, Int128 q)
{
    if (q < 0) {
        p = -p;
        q = -q;
    }
    const Int128 f = p / q;
    return (p % q != 0 && p < 0) ? f - 1 : f;
}

void Put(Picture& picture, Int128 x, Int128 y, Pixel color)
{
    if (x >= 0 && x < W && y >= 0 && y < H)
        picture[std::size_t(y) * W + std::size_t(x)] = color;
}

// Along the major axis, every step between the ends; the minor coordinate is
// floor(exact value + 1/2). Only the steps on the canvas are visited.
void RefSegment(Picture& picture, POINT a, POINT b)
{
    const bool xMajor = Abs(Int128(b.x) - a.x) >= Abs(Int128(b.y) - a.y);
    const Int128 ua = xMajor ? a.x : a.y, ub = xMajor ? b.x : b.y;
    const Int128 va = xMajor ? a.y : a.x, vb = xMajor ? b.y : b.x;
    const Int128 du = ub - ua, dv = vb - va;
    const Int128 uLimit = xMajor ? W : H;
    for (Int128 u = std::max<Int128>(std::min(ua, ub), 0);
         u <= std::min<Int128>(std::max(ua, ub), uLimit - 1); ++u) {
        const Int128 v = du == 0 ? va : RefFloorDiv(2 * va * du + 2 * dv * (u - ua) + du, 2 * du);
        if (xMajor)
            Put(picture, u, v, kPen);
        else
            Put(picture, v, u, kPen);
    }
}

// Pixel (x, y) is filled when x >= c for an odd number of the crossings c of
// row y with the non-horizontal edges whose rows [top, bottom) hold y.
void RefFill(Picture& picture, const POINT* corners, int count)
{
    int minX = INT_MAX, maxX = INT_MIN, minY = INT_MAX, maxY = INT_MIN;
    for (int i = 0; i < count; ++i) {
        minX = std::min(minX, corners[i].x);
        maxX = std::max(maxX, corners[i].x);
        minY = std::min(minY, corners[i].y);
        maxY = std::max(maxY, corners[i].y);
    }
    std::vector<std::pair<POINT, POINT>> crossing; // edges whose rows hold y, top end first
    for (int y = std::max(minY, 0); y <= std::min(maxY, H - 1); ++y) {
        crossing.clear();
        for (int i = 0; i < count; ++i) {
            POINT p = corners[i], q = corners[(i + 1) % count];
            if (p.y > q.y)
                std::swap(p, q);
            if (p.y != q.y && y >= p.y && y < q.y)
                crossing.emplace_back(p, q);
        }
        for (int x = std::max(minX, 0); x <= std::min(maxX, W - 1); ++x) {
            int odd = 0;
            for (const auto& [p, q] : crossing) {
                // x >= c  <=>  (x - xp) dy - (y - yp) dx >= 0, with dy > 0.
                const Int128 side = (Int128(x) - p.x) * (Int128(q.y) - p.y) -
                                    (Int128(y) - p.y) * (Int128(q.x) - p.x);
                odd ^= side >= 0 ? 1 : 0;
            }
            if (odd)
                Put(picture, x, y, kBrush);
        }
    }
}

void RefPolygon(Picture& picture, const POINT* corners, int count)
{
    if (corners == nullptr || count < 1)
        return;
    if (count >= 3)
        RefFill(picture, corners, count);
    for (int i = 0; i < count; ++i)
        RefSegment(picture, corners[i], corners[(i + 1) % count]);
}

// ---- Fixtures and checks ---------------------------------------------------

struct Bench {
    std::unique_ptr<Canvas> canvas = std::make_unique<Canvas>();
    Picture expected = Picture(std::size_t(W) * H, kSentinel);

    Bench() { Reset(); }
    void Reset()
    {
        canvas->Clear(kSentinelColor);
        canvas->SetPen(kPenColor);
        canvas->SetBrush(kBrushColor);
        std::fill(expected.begin(), expected.end(), kSentinel);
    }
    void Polygon(const std::vector<POINT>& corners)
    {
        canvas->Polygon(corners.data(), int(corners.size()));
        RefPolygon(expected, corners.data(), int(corners.size()));
    }
};

std::string Hex(Pixel p)
{
    std::ostringstream out;
    out << std::hex << p;
    return out.str();
}

::testing::AssertionResult SamePicture(const Canvas& canvas, const Picture& expected)
{
    if (std::equal(expected.begin(), expected.end(), canvas.Pixels()))
        return ::testing::AssertionSuccess();
    auto failure = ::testing::AssertionFailure();
    int shown = 0;
    for (int y = 0; y < H; ++y)
        for (int x = 0; x < W; ++x)
            if (canvas.PixelAt(x, y) != expected[std::size_t(y) * W + x] && shown++ < 8)
                failure << "(" << x << ", " << y << ") is " << Hex(canvas.PixelAt(x, y))
                        << ", expected " << Hex(expected[std::size_t(y) * W + x]) << "; ";
    return failure;
}

// No pixel outside the corners' bounds, clipped to the canvas, has changed.
::testing::AssertionResult UntouchedOutside(const Canvas& canvas, const std::vector<POINT>& corners)
{
    std::int64_t minX = INT64_MAX, maxX = INT64_MIN, minY = INT64_MAX, maxY = INT64_MIN;
    for (const POINT& c : corners) {
        minX = std::min<std::int64_t>(minX, c.x);
        maxX = std::max<std::int64_t>(maxX, c.x);
        minY = std::min<std::int64_t>(minY, c.y);
        maxY = std::max<std::int64_t>(maxY, c.y);
    }
    for (int y = 0; y < H; ++y)
        for (int x = 0; x < W; ++x) {
            const bool inside = x >= minX && x <= maxX && y >= minY && y <= maxY;
            if (!inside && canvas.PixelAt(x, y) != kSentinel)
                return ::testing::AssertionFailure()
                       << "(" << x << ", " << y << ") changed outside the bounds";
        }
    return ::testing::AssertionSuccess();
}

// A stray write just past the pixels would land on the pen or brush.
void ExpectPenAndBrushIntact(Canvas& canvas)
{
    canvas.Rectangle(0, 0, 3, 3);
    EXPECT_EQ(canvas.PixelAt(0, 0), kPen);
    EXPECT_EQ(canvas.PixelAt(1, 1), kBrush);
}

// 'P' pen, 'B' brush, '.' untouched; the art sits at (0, 0), the rest untouched.
Picture FromArt(const std::vector<std::string>& art)
{
    Picture picture(std::size_t(W) * H, kSentinel);
    for (std::size_t y = 0; y < art.size(); ++y)
        for (std::size_t x = 0; x < art[y].size(); ++x)
            picture[y * W + x] = art[y][x] == 'P' ? kPen : art[y][x] == 'B' ? kBrush : kSentinel;
    return picture;
}

POINT RandomPoint(std::mt19937& random, std::int64_t low, std::int64_t high)
{
    std::uniform_int_distribution<std::int64_t> d(low, high);
    return {std::int32_t(d(random)), std::int32_t(d(random))};
}

// A corner up to width and height away from centre, held to 32 bits.
POINT RandomCorner(std::mt19937& random, POINT centre, std::int64_t width, std::int64_t height)
{
    auto near = [&random](std::int32_t at, std::int64_t reach) {
        return std::int32_t(std::clamp<std::int64_t>(
            at + std::uniform_int_distribution<std::int64_t>(-reach, reach)(random), INT32_MIN,
            INT32_MAX));
    };
    const std::int32_t x = near(centre.x, width);
    return {x, near(centre.y, height)};
}

// ---- Colours, Clear and Rectangle ------------------------------------------

TEST(CanvasTest, ToPixelPutsRedInTheHighByteForRgb32)
{
    EXPECT_EQ(Canvas::ToPixel(Rgb(0x12, 0x34, 0x56)), 0xFF123456u);
    EXPECT_EQ(Canvas::ToPixel(0xFF000000u | Rgb(1, 2, 3)), 0xFF010203u); // high byte ignored
}

TEST(CanvasTest, StartsBlackAndClearReachesTheHiddenBorder)
{
    auto canvas = std::make_unique<Canvas>();
    EXPECT_TRUE(std::all_of(canvas->Pixels(), canvas->Pixels() + W * H,
                            [](Pixel p) { return p == 0xFF000000u; }));
    canvas->Clear(Rgb(9, 8, 7));
    EXPECT_EQ(canvas->PixelAt(W - 1, H - 1), 0xFF090807u);
    EXPECT_EQ(canvas->PixelAt(0, 0), 0xFF090807u);
}

TEST(CanvasTest, RectangleFillsHalfOpenRangeWithInnerBorder)
{
    struct Case {
        const char* name;
        int left, top, right, bottom;
    };
    const Case cases[] = {
        {"shown area", 0, 0, Canvas::kShownWidth, Canvas::kShownHeight},
        {"single pixel is all border", 5, 6, 6, 7},
        {"two by two is all border", 5, 6, 7, 8},
        {"empty width", 10, 10, 10, 20},
        {"empty height", 10, 10, 20, 10},
        {"inverted", 20, 20, 10, 10},
        {"overhangs top left: only right and bottom border show", -5, -5, 10, 10},
        {"reaches the hidden border", 670, 490, W, H},
        {"border one past the canvas, off it", 670, 490, W + 1, H + 1},
        {"wholly right of the canvas", W, 0, W + 10, 10},
        {"whole int range: border off canvas", INT_MIN, INT_MIN, INT_MAX, INT_MAX},
        {"right at INT_MIN + 1", INT_MIN, 0, INT_MIN + 1, 5},
    };
    Bench bench;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        bench.Reset();
        bench.canvas->Rectangle(c.left, c.top, c.right, c.bottom);
        for (std::int64_t y = 0; y < H; ++y)
            for (std::int64_t x = 0; x < W; ++x) {
                const bool inside = x >= c.left && x < c.right && y >= c.top && y < c.bottom;
                const bool border = x == c.left || x == std::int64_t(c.right) - 1 || y == c.top ||
                                    y == std::int64_t(c.bottom) - 1;
                if (inside)
                    Put(bench.expected, x, y, border ? kPen : kBrush);
            }
        EXPECT_TRUE(SamePicture(*bench.canvas, bench.expected));
    }
}

TEST(CanvasTest, ShownAreaRectangleLeavesTheTwoHiddenColumnsAndRows)
{
    Bench bench;
    bench.canvas->Rectangle(0, 0, 673, 496);
    EXPECT_EQ(bench.canvas->PixelAt(672, 100), kPen);
    EXPECT_EQ(bench.canvas->PixelAt(671, 100), kBrush);
    EXPECT_EQ(bench.canvas->PixelAt(673, 100), kSentinel);
    EXPECT_EQ(bench.canvas->PixelAt(674, 100), kSentinel);
    EXPECT_EQ(bench.canvas->PixelAt(100, 495), kPen);
    EXPECT_EQ(bench.canvas->PixelAt(100, 496), kSentinel);
    EXPECT_EQ(bench.canvas->PixelAt(100, 497), kSentinel);
}

// ---- Known pictures --------------------------------------------------------

TEST(CanvasTest, KnownPolygonsHaveExactPixels)
{
    struct Case {
        const char* name;
        std::vector<POINT> corners;
        std::vector<std::string> art;
    };
    const Case cases[] = {
        {"right triangle: fill meets the outline with no gap",
         {{1, 1}, {7, 1}, {1, 7}},
         {".........", ".PPPPPPP.", ".PBBBBP..", ".PBBBP...", ".PBBP....", ".PBP.....", ".PP......",
          ".P.......", "........."}},
        {"bow-tie: the lobes fill, the gaps between them do not",
         {{0, 0}, {4, 4}, {4, 0}, {0, 4}},
         {"P...P.", "PP.PP.", "PBPBP.", "PP.PP.", "P...P.", "......"}},
        {"square: fill stops before the right and bottom outline",
         {{1, 1}, {4, 1}, {4, 4}, {1, 4}},
         {"......", ".PPPP.", ".PBBP.", ".PBBP.", ".PPPP.", "......"}},
        {"shallow segment: the tie at x = 2 rounds down the picture",
         {{0, 0}, {4, 1}},
         {"PP...", "..PPP", "....."}},
        {"steep segment: the tie at y = 2 rounds right",
         {{0, 0}, {1, 4}},
         {"P.", "P.", ".P", ".P", ".P", ".."}},
        {"one corner: its pixel", {{2, 1}}, {"...", "..P", "..."}},
    };
    Bench bench;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        bench.Reset();
        bench.canvas->Polygon(c.corners.data(), int(c.corners.size()));
        EXPECT_TRUE(SamePicture(*bench.canvas, FromArt(c.art)));
        // The same shape drawn from the far end lights the same pixels.
        std::vector<POINT> reversed(c.corners.rbegin(), c.corners.rend());
        bench.Reset();
        bench.canvas->Polygon(reversed.data(), int(reversed.size()));
        EXPECT_TRUE(SamePicture(*bench.canvas, FromArt(c.art)));
    }
}

TEST(CanvasTest, EvenOddLeavesDoublyCoveredAreasEmpty)
{
    struct Case {
        const char* name;
        std::vector<POINT> corners;
        POINT unfilled, filled;
    };
    const Case cases[] = {
        {"pentagram centre",
         {{300, 50}, {418, 412}, {110, 188}, {490, 188}, {182, 412}},
         {300, 250},
         {300, 80}},
        {"square wound twice",
         {{100, 100},
          {200, 100},
          {200, 200},
          {100, 200},
          {100, 100},
          {200, 100},
          {200, 200},
          {100, 200}},
         {150, 150},
         {-1, -1}},
        {"square inside a square, same turn",
         {{0, 0},
          {300, 0},
          {300, 300},
          {0, 300},
          {0, 0},
          {100, 100},
          {200, 100},
          {200, 200},
          {100, 200},
          {100, 100}},
         {150, 150},
         {50, 200}},
    };
    Bench bench;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        bench.Reset();
        bench.Polygon(c.corners);
        EXPECT_EQ(bench.canvas->PixelAt(c.unfilled.x, c.unfilled.y), kSentinel);
        if (c.filled.x >= 0) {
            EXPECT_EQ(bench.canvas->PixelAt(c.filled.x, c.filled.y), kBrush);
        }
        EXPECT_TRUE(SamePicture(*bench.canvas, bench.expected));
    }
}

// ---- Outline and segments --------------------------------------------------

TEST(CanvasTest, OutlinePassesThroughEveryCorner)
{
    std::mt19937 random(11);
    Bench bench;
    for (int round = 0; round < 100; ++round) {
        bench.Reset();
        std::vector<POINT> corners(3 + round % 10);
        for (POINT& c : corners)
            c = RandomPoint(random, -40, W + 40);
        bench.Polygon(corners);
        for (const POINT& c : corners)
            if (c.x >= 0 && c.x < W && c.y >= 0 && c.y < H) {
                ASSERT_EQ(bench.canvas->PixelAt(c.x, c.y), kPen) << c.x << ", " << c.y;
            }
        ASSERT_TRUE(SamePicture(*bench.canvas, bench.expected)) << "round " << round;
    }
}

// A segment cut by the border lights exactly the pixels of the whole segment
// that lie on the canvas, whichever end it starts from.
TEST(CanvasTest, ClippedSegmentsMatchTheUnclippedRule)
{
    struct Case {
        const char* name;
        std::int64_t reach; // how far outside the far end may lie
    };
    const Case cases[] = {
        {"ends just outside", 50},
        {"ends thousands away", 5000},
        {"ends millions away", 50'000'000},
        {"ends anywhere in 32 bits", INT32_MAX},
    };
    std::mt19937 random(7);
    Bench bench;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        for (int round = 0; round < 300; ++round) {
            // Aim through a point on the canvas so that most segments cross it.
            const POINT through = {std::uniform_int_distribution<std::int32_t>(0, W - 1)(random),
                                   std::uniform_int_distribution<std::int32_t>(0, H - 1)(random)};
            const POINT a = RandomPoint(random, -c.reach, c.reach);
            const std::int64_t k = std::uniform_int_distribution<std::int64_t>(0, 3)(random);
            auto far = [&](std::int64_t p, std::int64_t q) {
                return std::int32_t(
                    std::clamp<std::int64_t>(p + k * (p - q), INT32_MIN, INT32_MAX));
            };
            const POINT b =
                round % 4 == 0 ? through : POINT{far(through.x, a.x), far(through.y, a.y)};
            for (const auto& segment : {std::vector<POINT>{a, b}, std::vector<POINT>{b, a}}) {
                bench.Reset();
                bench.Polygon(segment);
                ASSERT_TRUE(SamePicture(*bench.canvas, bench.expected))
                    << "(" << a.x << ", " << a.y << ") - (" << b.x << ", " << b.y << ")";
            }
        }
    }
}

// ---- Fills against the reference ---------------------------------------------

// Quadrilaterals take a fast path; with a fifth corner repeating the fourth the
// same shape takes the general one. Both must give the reference picture.
TEST(CanvasTest, QuadrilateralPathsAgreeWithTheGeneralRule)
{
    struct Case {
        const char* name;
        std::int64_t centreLow, centreHigh, size;
        bool cornerAtLimit; // one corner just inside or outside the fast path's reach
        int rounds;
    };
    const Case cases[] = {
        {"mesh cells", 0, 490, 8, false, 300},
        // Corners on one line or on one pixel, and reflex corners, are common.
        {"tiny cells", 2, 490, 2, false, 3000},
        {"cells across the border", -10, W + 10, 30, false, 200},
        {"cells across the top left corner", -20, 20, 30, false, 200},
        {"large quads", 0, 490, 700, false, 50},
        // Every corner on the canvas, edges up to its full height.
        {"quads spanning the canvas", 248, 248, 248, false, 300},
        {"far quads reaching in", 0, 490, 200'000, false, 50},
        {"one corner at the fast path's limit", 0, 490, 300, true, 60},
    };
    const std::int32_t limits[] = {1 << 24, (1 << 24) + 1, -(1 << 24), -(1 << 24) - 1};
    std::mt19937 random(3);
    Bench bench;
    Picture fill(std::size_t(W) * H, kSentinel);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        for (int round = 0; round < c.rounds; ++round) {
            const POINT centre = RandomPoint(random, c.centreLow, c.centreHigh);
            std::vector<POINT> quad(4);
            for (POINT& q : quad) {
                const POINT offset = RandomPoint(random, -c.size, c.size);
                q = {centre.x + offset.x, centre.y + offset.y};
            }
            if (c.cornerAtLimit) {
                if (round % 2 == 0)
                    quad[round % 4].x = limits[random() % 4];
                else
                    quad[round % 4].y = limits[random() % 4];
            }
            bench.Reset();
            bench.Polygon(quad);
            ASSERT_TRUE(SamePicture(*bench.canvas, bench.expected)) << "round " << round;
            // Quad with its whole outline is the same Polygon, by its own
            // paths for a cell wholly on the canvas.
            bench.canvas->Clear(kSentinelColor);
            bench.canvas->Quad(quad.data(), 0xF);
            ASSERT_TRUE(SamePicture(*bench.canvas, bench.expected)) << "round " << round;
            // With no outline the fill alone, its edge columns bare: in eight
            // lanes where the processor has them, and in four.
            std::fill(fill.begin(), fill.end(), kSentinel);
            RefFill(fill, quad.data(), 4);
            for (const bool wide : {true, false}) {
                bench.canvas->UseWideFill(wide);
                bench.canvas->Clear(kSentinelColor);
                bench.canvas->Quad(quad.data(), 0);
                ASSERT_TRUE(SamePicture(*bench.canvas, fill))
                    << "round " << round << " wide " << wide;
            }
            bench.canvas->UseWideFill(true);
            std::vector<POINT> five = quad;
            five.push_back(quad.back());
            bench.Reset();
            bench.Polygon(five);
            ASSERT_TRUE(SamePicture(*bench.canvas, bench.expected)) << "round " << round;
        }
    }
}

std::vector<POINT> ConvexHull(std::vector<POINT> points)
{
    std::sort(points.begin(), points.end(),
              [](POINT p, POINT q) { return p.x != q.x ? p.x < q.x : p.y < q.y; });
    auto cross = [](POINT o, POINT a, POINT b) {
        return std::int64_t(a.x - o.x) * (b.y - o.y) - std::int64_t(a.y - o.y) * (b.x - o.x);
    };
    std::vector<POINT> hull(2 * points.size());
    std::size_t k = 0;
    for (std::size_t i = 0; i < points.size(); ++i) {
        while (k >= 2 && cross(hull[k - 2], hull[k - 1], points[i]) <= 0)
            --k;
        hull[k++] = points[i];
    }
    for (std::size_t i = points.size() - 1, t = k + 1; i-- > 0;) {
        while (k >= t && cross(hull[k - 2], hull[k - 1], points[i]) <= 0)
            --k;
        hull[k++] = points[i];
    }
    hull.resize(k > 0 ? k - 1 : 0);
    return hull;
}

// In a convex shape each row and each column of painted pixels is one run:
// the fill never leaves a hole between itself and the outline.
TEST(CanvasTest, ConvexShapesPaintWithoutGaps)
{
    std::mt19937 random(5);
    Bench bench;
    for (int round = 0; round < 400; ++round) {
        std::vector<POINT> points(4 + round % 3);
        const POINT centre = RandomPoint(random, 20, 400);
        for (POINT& p : points) {
            const POINT offset = RandomPoint(random, -15, 15);
            p = {centre.x + offset.x, centre.y + offset.y};
        }
        const std::vector<POINT> hull = ConvexHull(points);
        if (hull.size() < 3)
            continue;
        bench.Reset();
        bench.canvas->Polygon(hull.data(), int(hull.size()));
        // The shape lies within 15 pixels of its centre; look a little wider.
        for (int line = 0; line < 2; ++line) {
            const int across = line == 0 ? centre.y : centre.x;
            const int along = line == 0 ? centre.x : centre.y;
            for (int i = across - 17; i <= across + 17; ++i) {
                int runs = 0;
                bool previous = false;
                for (int j = along - 17; j <= along + 17; ++j) {
                    const Pixel p =
                        line == 0 ? bench.canvas->PixelAt(j, i) : bench.canvas->PixelAt(i, j);
                    const bool painted = p != kSentinel;
                    runs += painted && !previous;
                    previous = painted;
                }
                ASSERT_LE(runs, 1) << (line == 0 ? "row " : "column ") << i << ", round " << round;
            }
        }
    }
}

// ---- Attacks -----------------------------------------------------------------

struct Attack {
    std::string name;
    std::vector<POINT> corners;
};

void ExpectSurvives(const Attack& attack)
{
    SCOPED_TRACE(attack.name);
    Bench bench;
    bench.Polygon(attack.corners);
    EXPECT_TRUE(UntouchedOutside(*bench.canvas, attack.corners));
    EXPECT_TRUE(SamePicture(*bench.canvas, bench.expected));
    ExpectPenAndBrushIntact(*bench.canvas);
}

TEST(CanvasTest, DegenerateAndExtremePolygonsDrawOnlyTheirRule)
{
    const std::int32_t lo = INT32_MIN, hi = INT32_MAX;
    const Attack attacks[] = {
        {"all corners INT32_MIN", {{lo, lo}, {lo, lo}, {lo, lo}, {lo, lo}}},
        {"one corner INT32_MIN, rest on the canvas",
         {{100, 100}, {lo, lo}, {200, 300}, {300, 120}}},
        {"corners at the four int32 extremes", {{lo, lo}, {hi, lo}, {hi, hi}, {lo, hi}}},
        {"int32 extremes, bow-tie", {{lo, lo}, {hi, hi}, {hi, lo}, {lo, hi}}},
        {"huge triangle covering the canvas", {{lo, lo}, {hi, 0}, {0, hi}}},
        {"huge sliver through the canvas", {{lo, lo + 3}, {hi, hi}, {hi, hi - 1}}},
        {"spike from the canvas to INT32_MAX", {{300, 200}, {hi, hi}, {301, 200}}},
        {"all corners equal", {{50, 60}, {50, 60}, {50, 60}, {50, 60}}},
        {"collinear corners, back and forth", {{10, 10}, {300, 150}, {110, 60}, {500, 255}}},
        {"collinear corners across the int32 range", {{lo, lo}, {hi - 1, hi - 1}, {0, 0}}},
        {"vertical sliver of zero width", {{20, 5}, {20, 400}, {20, 100}}},
        {"two corners, long segment", {{lo, 249}, {hi, 250}}},
        {"two corners, steep and huge", {{336, lo}, {337, hi}}},
        {"one corner outside", {{-1, 0}}},
        {"one corner on the last pixel", {{W - 1, H - 1}}},
        {"no corners", {}},
        {"rows just outside the canvas", {{0, -1}, {W, -1}, {W, -5}, {0, -5}}},
        {"columns just outside the canvas", {{W, 0}, {W + 9, 0}, {W + 9, H}, {W, H}}},
    };
    for (const Attack& attack : attacks)
        ExpectSurvives(attack);
}

TEST(CanvasTest, NegativeCountOrNullCornersDrawNothing)
{
    Bench bench;
    const POINT corners[3] = {{1, 1}, {50, 1}, {1, 50}};
    bench.canvas->Polygon(corners, -1);
    bench.canvas->Polygon(corners, 0);
    bench.canvas->Polygon(nullptr, 3);
    bench.canvas->Polygon(nullptr, INT_MIN);
    EXPECT_TRUE(SamePicture(*bench.canvas, bench.expected));
}

TEST(CanvasTest, RandomPolygonsFarOutsideOrNearTheLimits)
{
    struct Case {
        const char* name;
        std::int64_t low, high;
        bool limits; // mix in the int32 extremes
        int rounds;
    };
    const Case cases[] = {
        {"corners within a few thousand", -3000, 3000, false, 120},
        {"corners far outside", -2'000'000'000, 2'000'000'000, false, 80},
        {"corners near the int32 limits", -1000, 1000, true, 80},
    };
    std::mt19937 random(2024);
    for (const Case& c : cases) {
        for (int round = 0; round < c.rounds; ++round) {
            Attack attack{std::string(c.name) + ", round " + std::to_string(round),
                          std::vector<POINT>(std::size_t(3 + round % 6))};
            for (POINT& p : attack.corners) {
                p = RandomPoint(random, c.low, c.high);
                if (c.limits) {
                    const std::int32_t extremes[] = {INT32_MIN, INT32_MIN + 1, INT32_MAX - 1,
                                                     INT32_MAX, p.x,           p.y};
                    p.x = extremes[random() % 6];
                    p.y = extremes[random() % 6];
                }
            }
            ExpectSurvives(attack);
            if (::testing::Test::HasFailure())
                return;
        }
    }
}

// Quads drawn in reverse, each beneath the ones before (QuadBeneath), must
// give the picture of the same quads drawn forward with Quad, pixel for
// pixel, the unshown border too; and a Clear afterwards must reach every row
// that drawing beneath wrote.
TEST(CanvasTest, DrawingBeneathInReverseGivesThePictureDrawnForward)
{
    struct Case {
        const char* name;
        std::int64_t centreLow, centreHigh, width, height;
        int quads;
        bool wholeOutlines = false; // else each quad leaves out some segments
    };
    const Case cases[] = {
        {"small quads on the canvas, many overlapping", 0, 500, 30, 30, 3000},
        {"steep slivers, outlines side by side", 0, 600, 3, 300, 3000},
        {"flat slivers, outlines one above another", 0, 600, 300, 3, 3000},
        {"large quads reaching off the canvas", -200, 900, 600, 600, 400},
        {"huge quads far across the canvas", -100, 800, 2'000'000'000, 2'000'000'000, 300},
        // Fills within a pixel or two of their outlines, which may hold
        // them wholly or not: a fill left to its outline must be.
        {"hair-thin steep slivers, whole outlines", 0, 600, 1, 300, 3000, true},
        {"hair-thin slivers from far off, whole outlines", 0, 600, 1, 2'000'000'000, 1000, true},
    };
    std::mt19937 random(99);
    auto forward = std::make_unique<Canvas>();
    auto reverse = std::make_unique<Canvas>();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        struct Drawn {
            POINT corners[4];
            unsigned segments;
            COLORREF brush;
        };
        std::vector<Drawn> quads(std::size_t(c.quads));
        for (Drawn& q : quads) {
            const POINT centre = RandomPoint(random, c.centreLow, c.centreHigh);
            for (POINT& p : q.corners)
                p = RandomCorner(random, centre, c.width, c.height);
            q.segments = c.wholeOutlines ? 0xFu : unsigned(random() % 16);
            q.brush = Rgb(int(random() % 256), int(random() % 256), 7);
        }
        forward->Clear(Rgb(0, 0, 0));
        forward->SetPen(kPenColor);
        reverse->SetPen(kPenColor);
        for (const Drawn& q : quads) {
            forward->SetBrush(q.brush);
            forward->Quad(q.corners, q.segments);
        }
        // Beneath, fills are tested in lanes where the processor has them,
        // and column by column.
        for (const bool wide : {true, false}) {
            reverse->UseWideFill(wide);
            reverse->Clear(Rgb(0, 0, 0));
            reverse->BeginBeneath();
            for (auto q = quads.rbegin(); q != quads.rend(); ++q) {
                reverse->SetBrush(q->brush);
                reverse->QuadBeneath(q->corners, q->segments);
            }
            reverse->EndBeneath();
            ASSERT_TRUE(std::equal(forward->Pixels(), forward->Pixels() + W * H, reverse->Pixels()))
                << "wide " << wide;
        }
        reverse->UseWideFill(true);
        reverse->Clear(Rgb(0, 0, 0));
        EXPECT_TRUE(std::all_of(reverse->Pixels(), reverse->Pixels() + W * H,
                                [](Pixel p) { return p == Canvas::ToPixel(Rgb(0, 0, 0)); }));
    }
}

// Beneath a picture whose only unset pixels are lone rows at the edges of
// the 64-row words, steep slivers, their columns' runs from a few rows to
// past 64, show exactly there: a run that crosses a word edge is tested in
// both words.
TEST(CanvasTest, DrawingBeneathFindsLoneUnsetRowsAtWordEdges)
{
    const int holes[] = {63, 64, 127, 128, 191, 255, 256, 319, 320, 383, 447, 448};
    std::vector<std::pair<int, int>> bands; // rows [first, end) between the holes
    int from = 0;
    for (const int hole : holes) {
        bands.emplace_back(from, hole);
        from = hole + 1;
    }
    bands.emplace_back(from, H);
    std::mt19937 random(64);
    std::vector<std::array<POINT, 4>> slivers;
    for (int i = 0; i < 300; ++i) {
        const int x = int(random() % 560) + 20, y = int(random() % 300);
        const int slant = int(random() % 90) + 2, width = int(random() % 4) + 2;
        const int height = int(random() % 180) + 20;
        slivers.push_back({POINT{x, y}, POINT{x + width, y}, POINT{x + width + slant, y + height},
                           POINT{x + slant, y + height}});
    }
    // Upright ones from hole to hole: the rows left to test run from the
    // first to the last, some 64 rows, some 65.
    for (const int top : holes)
        for (const int last : holes)
            if (last > top && last - top < 130) {
                const int x = int(random() % 560) + 20, width = int(random() % 4) + 2;
                slivers.push_back({POINT{x, top}, POINT{x + width, top}, POINT{x + width, last + 1},
                                   POINT{x, last + 1}});
            }
    for (const bool wide : {true, false}) {
        auto forward = std::make_unique<Canvas>();
        auto reverse = std::make_unique<Canvas>();
        forward->UseWideFill(wide);
        reverse->UseWideFill(wide);
        forward->SetPen(kPenColor);
        reverse->SetPen(kPenColor);
        auto band = [](Canvas& canvas, std::pair<int, int> rows, bool beneath) {
            canvas.SetBrush(Rgb(0, 0, 200));
            const POINT corners[4] = {
                {0, rows.first}, {W, rows.first}, {W, rows.second}, {0, rows.second}};
            if (beneath)
                canvas.QuadBeneath(corners, 0);
            else
                canvas.Quad(corners, 0);
        };
        for (std::size_t i = 0; i < slivers.size(); ++i) {
            forward->SetBrush(Rgb(int(i % 250), 100, 7));
            forward->Quad(slivers[i].data(), 0xF);
        }
        for (const auto& rows : bands)
            band(*forward, rows, false);
        reverse->BeginBeneath();
        for (const auto& rows : bands)
            band(*reverse, rows, true);
        for (std::size_t i = slivers.size(); i-- > 0;) {
            reverse->SetBrush(Rgb(int(i % 250), 100, 7));
            reverse->QuadBeneath(slivers[i].data(), 0xF);
        }
        reverse->EndBeneath();
        ASSERT_TRUE(std::equal(forward->Pixels(), forward->Pixels() + W * H, reverse->Pixels()))
            << "wide " << wide;
    }
}

// Beneath, a row whose last unset pixel a steep segment sets is wholly set,
// and later cells skip it; the rows next to it, still open by a pixel, must
// not be skipped. Each case leaves one column open on every row, closes it
// down to a different last row, then draws a small cell across that row's
// end.
TEST(CanvasTest, DrawingBeneathSkipsOnlyTheRowsAColumnRunCompletes)
{
    constexpr int x = 300;
    for (const int last : {0, 6, 7, 62, 63, 64, 99, 127, 200, H - 2}) {
        SCOPED_TRACE("rows closed down to " + std::to_string(last));
        // Nearest first: all but column x, then column x down to last, then,
        // farthest, a cell over column x a few rows either side of last.
        const POINT left[4] = {{0, 0}, {x, 0}, {x, H}, {0, H}};
        const POINT right[4] = {{x + 1, 0}, {W, 0}, {W, H}, {x + 1, H}};
        const POINT down[4] = {{x, 0}, {x, last}, {x, last}, {x, 0}};
        const POINT across[4] = {
            {x - 2, last - 3}, {x + 3, last - 3}, {x + 3, last + 4}, {x - 2, last + 4}};
        for (const bool wide : {true, false}) {
            auto forward = std::make_unique<Canvas>();
            auto reverse = std::make_unique<Canvas>();
            forward->SetPen(kPenColor);
            reverse->SetPen(kPenColor);
            reverse->UseWideFill(wide);
            forward->SetBrush(kBrushColor);
            reverse->SetBrush(kBrushColor);
            forward->Quad(across, 0xF);
            forward->Quad(down, 0x1);
            forward->Quad(left, 0);
            forward->Quad(right, 0);
            reverse->BeginBeneath();
            reverse->QuadBeneath(right, 0);
            reverse->QuadBeneath(left, 0);
            reverse->QuadBeneath(down, 0x1);
            reverse->QuadBeneath(across, 0xF);
            reverse->EndBeneath();
            ASSERT_EQ(forward->PixelAt(x, last + 1), kBrush);
            ASSERT_TRUE(std::equal(forward->Pixels(), forward->Pixels() + W * H, reverse->Pixels()))
                << "wide " << wide;
        }
    }
}

// A canvas drawn as two bands of rows, each with the same quads, forward and
// beneath, must hold the picture of the whole canvas; a band alone sets no
// pixel outside its rows, and a Clear of the whole afterwards reaches every
// row a band drew. Beneath, so must two bands of columns.
TEST(CanvasTest, BandsDrawExactlyTheirRowsOfTheWholePicture)
{
    struct Case {
        const char* name;
        std::int64_t centreLow, centreHigh, reach;
    };
    const Case cases[] = {
        {"small quads round every split", 0, 500, 12},
        {"large quads reaching off the canvas", -200, 900, 600},
        {"huge quads far across the canvas", -100, 800, 2'000'000'000},
    };
    std::mt19937 random(4242);
    auto whole = std::make_unique<Canvas>();
    auto banded = std::make_unique<Canvas>();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        struct Drawn {
            POINT corners[4];
            unsigned segments;
        };
        std::vector<Drawn> quads(300);
        for (Drawn& q : quads) {
            const POINT centre = RandomPoint(random, c.centreLow, c.centreHigh);
            for (POINT& p : q.corners)
                p = RandomCorner(random, centre, c.reach, c.reach);
            q.segments = unsigned(random() % 16);
        }
        for (const bool beneath : {false, true}) {
            SCOPED_TRACE(beneath ? "beneath" : "forward");
            const int split = int(random() % unsigned(H + 1));
            auto draw = [&](Canvas& canvas, int left = 0, int right = W) {
                canvas.SetPen(kPenColor);
                if (beneath)
                    canvas.BeginBeneath(left, right);
                for (std::size_t k = 0; k < quads.size(); ++k) {
                    const Drawn& q = beneath ? quads[quads.size() - 1 - k] : quads[k];
                    canvas.SetBrush(Rgb(int(k % 256), 9, 9));
                    if (beneath)
                        canvas.QuadBeneath(q.corners, q.segments);
                    else
                        canvas.Quad(q.corners, q.segments);
                }
                if (beneath)
                    canvas.EndBeneath();
            };
            whole->Clear(Rgb(0, 0, 0));
            draw(*whole);
            banded->Clear(Rgb(0, 0, 0));
            Canvas upper(*banded, 0, split);
            draw(upper);
            banded->NoteBandDrawn(upper);
            EXPECT_TRUE(std::all_of(banded->Pixels() + std::size_t(split) * W,
                                    banded->Pixels() + W * H,
                                    [](Pixel p) { return p == Canvas::ToPixel(Rgb(0, 0, 0)); }));
            Canvas lower(*banded, split, H);
            draw(lower);
            banded->NoteBandDrawn(lower);
            ASSERT_TRUE(std::equal(whole->Pixels(), whole->Pixels() + W * H, banded->Pixels()))
                << "split at row " << split;
            banded->Clear(Rgb(0, 0, 0));
            EXPECT_TRUE(std::all_of(banded->Pixels(), banded->Pixels() + W * H,
                                    [](Pixel p) { return p == Canvas::ToPixel(Rgb(0, 0, 0)); }));
            if (!beneath)
                continue;
            // Columns split off a word's edge, on one, and at the canvas's edges.
            for (const int column : {int(random() % unsigned(W + 1)), 64, 0, W}) {
                Canvas left(*banded, 0, H);
                draw(left, 0, column);
                banded->NoteBandDrawn(left);
                for (int y = 0; y < H; ++y)
                    ASSERT_TRUE(
                        std::all_of(banded->Pixels() + std::size_t(y) * W + column,
                                    banded->Pixels() + std::size_t(y + 1) * W,
                                    [](Pixel p) { return p == Canvas::ToPixel(Rgb(0, 0, 0)); }))
                        << "row " << y << ", split at column " << column;
                Canvas right(*banded, 0, H);
                draw(right, column, W);
                banded->NoteBandDrawn(right);
                ASSERT_TRUE(std::equal(whole->Pixels(), whole->Pixels() + W * H, banded->Pixels()))
                    << "split at column " << column;
                banded->Clear(Rgb(0, 0, 0));
            }
        }
    }
}

} // namespace
