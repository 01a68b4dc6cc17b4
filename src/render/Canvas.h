// Canvas: our own pixel picture of 675 x 498 pixels, of which the area of
// 673 x 496 at (0, 0) is shown. Pixel rows grow downward; pixel (x, y) is
// Pixels()[y * kWidth + x]. Each pixel is a 32-bit word 0xFFRRGGBB, the
// layout QImage::Format_RGB32 reads without a copy.
//
// Drawing keeps a current pen (solid, one pixel wide) and a current brush
// (solid), both given as COLORREF, so that a mesh of thousands of cells sets
// its colours once, not per cell. Any integer coordinates are accepted; nothing outside the canvas
// is touched and no arithmetic overflows.
//
// Pixel rules (exact rational arithmetic; clipping never changes a pixel). A
// corner (x, y) is the pixel (x, y), for fill and outline alike.
// - Fill: on row y, each edge that is not horizontal and has top <= y < bottom
//   crosses at an exact c; pixel x is filled when x >= c for an odd number of them.
// - Line: along its longer axis (x when |dx| >= |dy|) a segment lights one pixel
//   per step, the other coordinate being the exact line value rounded, ties to
//   the larger; both ends are lit, and it is the same drawn either way round.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "base/Types.h"

namespace hyt {

class ColumnBound; // a band of rows' column bound, CanvasBeneath.cpp

class Canvas {
  public:
    static constexpr int kWidth = 675;
    static constexpr int kHeight = 498;
    static constexpr int kShownWidth = 673;
    static constexpr int kShownHeight = 496;

    using Pixel = std::uint32_t;

    // Every pixel black; pen black, brush black.
    Canvas();

    static constexpr Pixel ToPixel(COLORREF c)
    {
        return 0xFF000000u | ((c & 0xFFu) << 16) | (c & 0xFF00u) | ((c >> 16) & 0xFFu);
    }

    void SetPen(COLORREF color) { pen = ToPixel(color); }
    void SetBrush(COLORREF color) { brush = ToPixel(color); }

    // Sets every pixel, shown or not, to one colour.
    void Clear(COLORREF color);

    // Fills [left, right) x [top, bottom) with the brush and outlines it with
    // the pen along its inner border; right and bottom are exclusive. An empty
    // range (right <= left or bottom <= top) draws nothing.
    void Rectangle(int left, int top, int right, int bottom);

    // Fills the polygon through the corners in the order given with the brush
    // (even-odd rule), then draws its closed outline, one pixel wide, with
    // the pen, through every corner: segment i runs from corner i to corner
    // i + 1, the last from the last corner to the first. count < 1 draws
    // nothing; one or two corners, or a polygon of no area, draw the outline only.
    void Polygon(const POINT* corners, int count);

    // Polygon(corners, 4) with only some segments of the outline: bit i of
    // segments draws the segment from corner i to corner i + 1 (bit 3: from
    // corner 3 to corner 0). A mesh leaves out a segment that a later cell
    // draws again: the later, identical segment sets every one of its pixels.
    void Quad(const POINT* corners, unsigned segments);

    // Drawing beneath: between BeginBeneath and EndBeneath, QuadBeneath (the
    // only drawing allowed there) sets only pixels that nothing has set since
    // BeginBeneath. Quads drawn this way in reverse order give the picture of
    // Quad in forward order, since a pixel keeps the colour of its last
    // write; where cells overlap many times over, the part of a cell that
    // falls on set pixels is dropped a block of rows at a time.
    void BeginBeneath();
    void EndBeneath();
    // Quad's outline, then its fill, beneath what is there.
    void QuadBeneath(const POINT* corners, unsigned segments);

    const Pixel* Pixels() const { return pixels.data(); }
    Pixel PixelAt(int x, int y) const { return pixels[std::size_t(y) * kWidth + x]; }

  private:
    // The fill of Polygon; false when the corners' bounds miss the canvas,
    // so that no outline can touch it either.
    bool FillPolygon(const POINT* corners, int count);
    // An edge of a polygon that crosses some rows of the canvas, top end first.
    struct Edge {
        std::int64_t xTop, yTop, dx, dy; // dy > 0
        int firstRow, endRow;            // rows [firstRow, endRow) on the canvas
    };

    // columnsOnCanvas: every corner's column lies in 0..kWidth.
    void FillQuad(const POINT* corners, int firstRow, int endRow, bool columnsOnCanvas,
                  bool smallCorners);
    // Every corner on the canvas.
    void FillQuadOnCanvas(const POINT* corners, int firstRow, int endRow);
    // clamp: hold the columns to the canvas.
    template <bool clamp>
    void FillConvexQuad(const POINT* corners, bool clockwise, int firstRow, int endRow);
    void FillAny(const POINT* corners, int count, int firstRow, int endRow);
    void FillSpan(int y, int left, int right);
    // FillSpan, or FillSpanBeneath when drawing beneath.
    void FillSpanAny(int y, int left, int right)
    {
        if (beneath)
            FillSpanBeneath(y, left, right);
        else
            FillSpan(y, left, right);
    }
    void DrawSegment(POINT a, POINT b);
    void DrawSegmentOnCanvas(POINT a, POINT b); // both ends on the canvas
    void Trace(std::int64_t u0, std::int64_t v0, std::int64_t du, std::int64_t dv,
               std::int64_t uLimit, std::int64_t vLimit, std::ptrdiff_t uStep,
               std::ptrdiff_t vStep);
    template <std::ptrdiff_t uStep, std::ptrdiff_t vStep>
    __attribute__((always_inline)) void Walk(std::size_t index, std::int64_t steps, std::int64_t du,
                                             std::int64_t dv, std::int64_t error);
    template <std::ptrdiff_t uStep, std::ptrdiff_t vStep>
    __attribute__((noinline)) void WalkBeneath(std::size_t index, std::int64_t steps,
                                               std::int64_t du, std::int64_t dv,
                                               std::int64_t error);

    // Beneath: the first row >= from and < end with an unset pixel (end when
    // none), and the last (from - 1 when none).
    int FirstOpenRow(int from, int end) const;
    int LastOpenRow(int from, int end) const;
    // Beneath: sets what is still unset of columns [left, right) of row y.
    void FillSpanBeneath(int y, int left, int right);
    // Beneath: count more pixels of row y set.
    void NoteSet(int y, int count)
    {
        openPixels[std::size_t(y)] -= count;
        if (openPixels[std::size_t(y)] == 0)
            fullRows[std::size_t(y) >> 6] |= std::uint64_t(1) << (y & 63);
        staleBlocks |= std::uint64_t(1) << (y / kBlockRows);
        staleBands |= 1u << (y / kBandRows);
    }
    bool IsSet(int y, int x) const
    {
        return (setPixels[std::size_t(y) * kRowWords + std::size_t(x >> 6)] >> (x & 63)) & 1;
    }
    void MarkSet(int y, int x)
    {
        setPixels[std::size_t(y) * kRowWords + std::size_t(x >> 6)] |= std::uint64_t(1) << (x & 63);
    }
    // Beneath: whether every pixel of a quadrilateral's fill (count 4) or a
    // segment (count 2) on rows [first, end) is set already; FillBeneath fills
    // the rows that are not.
    bool SegmentSet(const POINT* ends, int first, int end);
    void FillBeneath(const POINT* corners, int first, int end);
    // Whether columns [low, high) are set on every row of the block of
    // kBlockRows rows (or of kBandRows rows) at index block.
    bool BlockSet(int block, int low, int high);
    bool BandSet(int band, int low, int high);
    template <typename Visit>
    bool ForEachUncoveredBlock(const ColumnBound& bound, int first, int end, Visit visit);

    // Rows [top, end) may now differ from the colour of the last Clear.
    void Touch(int top, int end);

    std::array<Pixel, std::size_t(kWidth) * kHeight> pixels;
    Pixel pen;
    Pixel brush;
    // Every pixel outside rows [dirtyTop, dirtyEnd) has the colour clearColor.
    Pixel clearColor;
    int dirtyTop = kHeight;
    int dirtyEnd = 0;
    // Scratch for polygons other than small quadrilaterals; kept between calls
    // so that drawing allocates nothing once they have grown.
    std::vector<Edge> edges;
    std::vector<std::size_t> active;
    std::vector<int> crossings;
    // Beneath: a bit per pixel, rows of kRowWords words, set once the pixel
    // is; per row the count of pixels still unset and a bit per row wholly
    // set; per block of rows (and per band of blocks) the columns set on
    // all of its rows, worked out again when a row of it has changed.
    static constexpr int kRowWords = (kWidth + 63) / 64;
    static constexpr int kBlockRows = 8;
    static constexpr int kBandRows = 128;
    static constexpr int kBlocks = (kHeight + kBlockRows - 1) / kBlockRows;
    static constexpr int kBands = (kHeight + kBandRows - 1) / kBandRows;
    static_assert(kBlocks <= 64 && kBands <= 32, "a bit per block and per band");
    bool beneath = false;
    std::vector<std::uint64_t> setPixels;
    std::array<int, kHeight> openPixels{};
    std::array<std::uint64_t, (kHeight + 63) / 64> fullRows{};
    std::array<std::array<std::uint64_t, kRowWords>, kBlocks> blockSet{};
    std::array<std::array<std::uint64_t, kRowWords>, kBands> bandSet{};
    std::uint64_t staleBlocks = 0;
    unsigned staleBands = 0;
};

} // namespace hyt
