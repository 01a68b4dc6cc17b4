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

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "base/Types.h"

namespace hyt {

namespace canvas_detail {
class QuadBound;
}

// Columns [low, high) of a row; none when low >= high.
struct ColumnRange {
    int low, high;
};

class Canvas {
  public:
    static constexpr int kWidth = 675;
    static constexpr int kHeight = 498;
    static constexpr int kShownWidth = 673;
    static constexpr int kShownHeight = 496;

    using Pixel = std::uint32_t;

    // Every pixel black; pen black, brush black.
    Canvas();

    // A band of whole: rows [top, end) of its pixels, shared, not copied.
    // Drawing on the band sets only pixels of those rows, exactly as drawing
    // on whole would set them there, so that bands that cover the canvas can
    // be drawn at the same time, one thread each, with their own pen, brush
    // and scratch. Clear on a band clears its rows only. whole must outlive
    // the band; NoteBandDrawn tells whole which of its rows the band drew.
    // A copy of a canvas, band or not, has pixels of its own.
    Canvas(Canvas& whole, int top, int end);
    void NoteBandDrawn(const Canvas& band) { Touch(band.dirtyTop, band.dirtyEnd); }

    static constexpr Pixel ToPixel(COLORREF c)
    {
        return 0xFF000000u | ((c & 0xFFu) << 16) | (c & 0xFF00u) | ((c >> 16) & 0xFFu);
    }

    void SetPen(COLORREF color) { pen = ToPixel(color); }
    void SetBrush(COLORREF color) { brush = ToPixel(color); }
    void SetBrushPixel(Pixel color) { brush = color; }

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
    void Quad(const POINT* corners, unsigned segments)
    {
        if (wideFill && !beneath && corners != nullptr && QuadOnCanvasWide(corners, segments))
            return;
        QuadAnywhere(corners, segments);
    }

    // Quad, inlined with its cell path into a caller compiled for AVX2
    // (CanvasQuadWide.h, internal to render/): only where WideFill() holds
    // and not drawing beneath.
    void QuadInLanes(const POINT* corners, unsigned segments);

    // Drawing beneath: between BeginBeneath and EndBeneath, QuadBeneath (the
    // only drawing allowed there) sets only pixels that nothing has set since
    // BeginBeneath. Quads drawn this way in reverse order give the picture of
    // Quad in forward order, since a pixel keeps the colour of its last
    // write; where cells overlap many times over, the part of a cell that
    // falls on set pixels is dropped a block of rows at a time.
    // Only columns [left, right) are drawn: a band of columns, which may be
    // drawn beside the others' bands as bands of rows are.
    void BeginBeneath(int left = 0, int right = kWidth);
    void EndBeneath();
    // Quad's outline, then its fill, beneath what is there. drawnBefore:
    // segments left out of segments that were drawn beneath already, as a
    // mesh's later cell, drawn first beneath, draws the edge it shares; a
    // fill whose pixels all lie on its whole outline then adds nothing.
    void QuadBeneath(const POINT* corners, unsigned segments, unsigned drawnBefore = 0);

    // Whether cells wholly on the canvas are drawn in lanes, their fills two
    // rows at a time in eight and their outlines' short segments four at a
    // time, and drawing beneath tests a steep fill four columns at a time:
    // by default where the processor has them (AVX2 and FMA). The picture is the
    // same either way.
    void UseWideFill(bool use) { wideFill = use && HasWideLanes(); }
    bool WideFill() const { return wideFill; }
    static bool HasWideLanes();

    // Whether a loop over cells drawn in lanes may be compiled for AVX-512's
    // thirty-two vector registers, so that far fewer of a cell's values are
    // put on the stack and read back, and drawing beneath sets a column's
    // rows eight at a time in AVX-512's masked lanes: by default where the
    // processor has them, and only with WideFill(). The lanes stay eight
    // wide, and the picture is the same either way.
    void UseMoreRegisters(bool use) { moreRegisters = use && HasMoreRegisters(); }
    bool MoreRegisters() const { return wideFill && moreRegisters; }
    static bool HasMoreRegisters();

    const Pixel* Pixels() const { return pixels; }
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
    // FillQuadOnCanvasWide of a cell whose rows run down, up, down and up
    // round it, kept out of line: few cells zigzag.
    void FillZigzagWide(const POINT* corners, int firstRow, int endRow, int minX, int maxX);
    // minX, maxX: the least and most column of the corners.
    void FillQuadOnCanvasWide(const POINT* corners, int firstRow, int endRow, int minX, int maxX);
    // Quad of a quadrilateral wholly on the canvas, the mesh's usual cell,
    // in eight lanes, or of one wholly off it; false, drawing nothing, when
    // it is partly on the canvas.
    // For callers not compiled for AVX2: QuadOnCanvasLanes, inlined there.
    bool QuadOnCanvasWide(const POINT* corners, unsigned segments);
    bool QuadOnCanvasLanes(const POINT* corners, unsigned segments);
    // Quad without the lanes: any corners, and drawing beneath.
    void QuadAnywhere(const POINT* corners, unsigned segments);
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
    // Only the pixels of DrawSegment(a, b) on rows [firstRow, endRow).
    void DrawSegmentRows(POINT a, POINT b, int firstRow, int endRow);
    void DrawSegmentOnCanvas(POINT a, POINT b); // both ends on the canvas
    // Pixels with u in [uLow, uHigh) and v in [vLow, vHigh) only.
    void Trace(std::int64_t u0, std::int64_t v0, std::int64_t du, std::int64_t dv,
               std::int64_t uLow, std::int64_t uHigh, std::int64_t vLow, std::int64_t vHigh,
               std::ptrdiff_t uStep, std::ptrdiff_t vStep);
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
    // Beneath: sets what is still unset of columns [left, right) of row y,
    // in color.
    void SetSpanBeneath(int y, int left, int right, Pixel color);
    void FillSpanBeneath(int y, int left, int right) { SetSpanBeneath(y, left, right, brush); }
    // Beneath: sets in the pen what is still unset of rows [top, end) of column x.
    void SetColumnRunBeneath(int x, int top, int end);
    // Its pixels, row bits and counts of the rows whose bits are set in
    // fresh, of the 64 rows from part * 64, where MoreRegisters().
    void SetColumnWordInLanes(int x, int part, std::uint64_t fresh, Pixel color);
    // Beneath: count more pixels of row y set, within the words of the row
    // whose bits are set in words.
    void NoteSet(int y, int count, unsigned words)
    {
        openPixels[std::size_t(y)] -= count;
        if (openPixels[std::size_t(y)] == 0)
            fullRows[std::size_t(y) >> 6] |= std::uint64_t(1) << (y & 63);
        for (int level = 0; level < kLevels; ++level)
            staleGroupWords[std::size_t(level)][std::size_t(y / kGroupRows[level])] |=
                std::uint16_t(words);
    }
    // Beneath: the parts of a segment on rows [first, end), and of a
    // quadrilateral's fill, that can fall on unset pixels.
    void SegmentBeneath(POINT a, POINT b, int first, int end);
    // Whether every pixel of bound on rows [first, end) is set, by the
    // largest blocks of rows.
    bool QuadBlocksSet(const canvas_detail::QuadBound& bound, int first, int end);
    // outlineSet: every segment of the outline is drawn already.
    void FillBeneath(const POINT* corners, int first, int end, bool outlineSet);
    // Word word of the columns set on every row of a group of
    // kGroupRows[level] rows, worked out again when stale.
    std::uint64_t GroupWord(int level, int group, int word);
    // Whether the columns of every range are set in the words wordOf(word).
    template <typename WordOf> bool RangesSet(const ColumnRange* ranges, int count, WordOf wordOf);
    template <int level, int lowest, typename Bound, typename Visit>
    bool ForEachUncoveredBlock(const Bound& bound, int first, int end, Visit& visit);

    // Rows [top, end) may now differ from the colour of the last Clear.
    void Touch(int top, int end)
    {
        dirtyTop = std::min(dirtyTop, top);
        dirtyEnd = std::max(dirtyEnd, end);
    }

    static constexpr std::size_t kPixelCount = std::size_t(kWidth) * kHeight;
    // Whether p lies on the canvas within the rows of the window.
    bool InWindow(POINT p) const
    {
        return unsigned(p.x) < unsigned(kWidth) && p.y >= windowTop && p.y < windowEnd;
    }

    // The pixels: the canvas's own, copied with it, or a band's whole's.
    class PixelStore {
      public:
        PixelStore() : own(std::make_unique<Pixel[]>(kPixelCount)), data(own.get()) {}
        explicit PixelStore(Pixel* shared) : data(shared) {}
        PixelStore(const PixelStore& other) : PixelStore()
        {
            std::copy_n(other.data, kPixelCount, data);
        }
        PixelStore& operator=(const PixelStore& other)
        {
            if (this != &other)
                std::copy_n(other.data, kPixelCount, data);
            return *this;
        }
        operator Pixel*() const { return data; }

      private:
        std::unique_ptr<Pixel[]> own; // none for a band
        Pixel* data;
    };
    PixelStore pixels;
    // The rows drawing may set: all of them, but for a band.
    int windowTop = 0;
    int windowEnd = kHeight;
    Pixel pen;
    Pixel brush;
    bool wideFill = HasWideLanes();
    bool moreRegisters = HasMoreRegisters();
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
    // is, word w of row y at w * kHeight + y, so that the rows of a steep
    // segment's run are neighbours; per row the count of pixels still unset
    // and a bit per row wholly set; per group of rows the columns set on all
    // of its rows, each word worked out again when a row of it has changed
    // there. Groups of a level are four of the level below: blocks of 8
    // rows, then 32, then 128, so that a test that fails on a large group
    // narrows down in few steps.
    static constexpr int kRowWords = (kWidth + 63) / 64;
    static constexpr int kLevels = 3;
    static constexpr int kGroupRows[kLevels] = {8, 32, 128};
    static constexpr int kGroups = (kHeight + kGroupRows[0] - 1) / kGroupRows[0]; // of level 0
    static_assert(kRowWords <= 16, "a bit per word of a row");
    bool beneath = false;
    std::array<std::uint64_t, std::size_t(kHeight) * kRowWords> setPixels{};
    // The same bits by column, kColumnWords words a column, for the runs of
    // a steep segment.
    static constexpr int kColumnWords = (kHeight + 63) / 64;
    std::array<std::uint64_t, std::size_t(kWidth) * kColumnWords> setColumns{};
    std::array<int, kHeight> openPixels{};
    std::array<std::uint64_t, (kHeight + 63) / 64> fullRows{};
    std::array<std::array<std::array<std::uint64_t, kRowWords>, kGroups>, kLevels> groupSet{};
    std::array<std::array<std::uint16_t, kGroups>, kLevels> staleGroupWords{};
};

} // namespace hyt
