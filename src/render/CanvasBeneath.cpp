// Canvas: drawing beneath what is there. A bit per pixel says whether it is
// set; the columns set on every row of a block of rows, and of a band of
// blocks, let a fill or a segment that falls wholly on set pixels be dropped
// a block or a band at a time, so that cells that cross the picture behind
// nearer ones cost little.
#include <algorithm>
#include <cmath>

#include "render/Canvas.h"
#include "render/CanvasArithmetic.h"

namespace hyt {

using namespace canvas_detail;

// The columns that a quadrilateral's fill (count 4) or a segment's pixels
// (count 2) can take on a band of rows: a bound that may be wider than the
// truth, never narrower, as [low, high) within [0, kWidth]; low >= high for
// none. The edges' slopes are worked out once for all the bands.
class ColumnBound {
  public:
    ColumnBound(const POINT* corners, int cornerCount) : points(corners), count(cornerCount)
    {
        for (int i = 0; i < EdgeCount(); ++i) {
            const POINT a = points[i], b = points[(i + 1) % count];
            slope[i] = a.y == b.y ? 0.0 : (double(b.x) - a.x) / (double(b.y) - a.y);
        }
    }

    // Rows [first, end).
    void Columns(int first, int end, int& low, int& high) const
    {
        // A fill's crossings on rows first..end-1 lie on the polygon between
        // the lines y = first and y = end - 1. A segment lights, on row y, a
        // pixel within half a pixel of its line between y - 1/2 and y + 1/2.
        const bool segment = count == 2;
        const double top = segment ? first - 0.5 : first;
        const double bottom = segment ? end - 0.5 : end - 1.0;
        double least = INFINITY, most = -INFINITY;
        auto take = [&](double x) {
            least = std::min(least, x);
            most = std::max(most, x);
        };
        for (int i = 0; i < count; ++i)
            if (points[i].y >= top && points[i].y <= bottom)
                take(points[i].x);
        for (int i = 0; i < EdgeCount(); ++i) {
            const POINT a = points[i], b = points[(i + 1) % count];
            if (a.y == b.y)
                continue;
            const double above = std::min(a.y, b.y), below = std::max(a.y, b.y);
            if (top >= above && top <= below)
                take(a.x + (top - a.y) * slope[i]);
            if (bottom >= above && bottom <= below)
                take(a.x + (bottom - a.y) * slope[i]);
        }
        if (!(least <= most)) {
            low = high = 0;
            return;
        }
        // A thousandth of a pixel for rounding: double's error on 32-bit
        // coordinates is far below it. A fill takes columns ceil(least) up to
        // ceil(most) - 1; a segment lights floor(x + 1/2) of a point x of its line.
        constexpr double kMargin = 1.0 / 1024;
        const double lowest =
            segment ? std::floor(least + 0.5 - kMargin) : std::ceil(least - kMargin);
        const double highest =
            segment ? std::floor(most + 0.5 + kMargin) + 1.0 : std::ceil(most + kMargin);
        low = int(std::clamp(lowest, 0.0, double(Canvas::kWidth)));
        high = int(std::clamp(highest, 0.0, double(Canvas::kWidth)));
    }

  private:
    int EdgeCount() const { return count == 2 ? 1 : count; }

    const POINT* points;
    int count;
    double slope[4];
};

namespace {

// The bits of word that fall within bits [low, high) of a row of words.
inline std::uint64_t WordMask(int word, int low, int high)
{
    std::uint64_t mask = ~std::uint64_t(0);
    if (word == low >> 6)
        mask &= ~std::uint64_t(0) << (low & 63);
    if (word == (high - 1) >> 6 && (high & 63) != 0)
        mask &= ~(~std::uint64_t(0) << (high & 63));
    return mask;
}

// Whether bits [low, high) are all set in a row of words.
bool AllSet(const std::uint64_t* words, int low, int high)
{
    for (int word = low >> 6; word <= (high - 1) >> 6; ++word) {
        const std::uint64_t want = WordMask(word, low, high);
        if ((words[word] & want) != want)
            return false;
    }
    return true;
}

} // namespace

void Canvas::BeginBeneath()
{
    beneath = true;
    setPixels.assign(std::size_t(kHeight) * kRowWords, 0);
    openPixels.fill(kWidth);
    fullRows.fill(0);
    for (auto& block : blockSet)
        block.fill(0);
    for (auto& band : bandSet)
        band.fill(0);
    staleBlocks = 0;
    staleBands = 0;
}

void Canvas::EndBeneath()
{
    beneath = false;
}

bool Canvas::BlockSet(int block, int low, int high)
{
    if (low >= high)
        return true;
    auto& words = blockSet[std::size_t(block)];
    if (staleBlocks >> block & 1) {
        staleBlocks &= ~(std::uint64_t(1) << block);
        words.fill(~std::uint64_t(0));
        const int end = std::min((block + 1) * kBlockRows, kHeight);
        for (int y = block * kBlockRows; y < end; ++y)
            for (int w = 0; w < kRowWords; ++w)
                words[std::size_t(w)] &= setPixels[std::size_t(y) * kRowWords + std::size_t(w)];
    }
    return AllSet(words.data(), low, high);
}

bool Canvas::BandSet(int band, int low, int high)
{
    if (low >= high)
        return true;
    auto& words = bandSet[std::size_t(band)];
    if (staleBands >> band & 1) {
        staleBands &= ~(1u << band);
        words.fill(~std::uint64_t(0));
        const int end = std::min((band + 1) * (kBandRows / kBlockRows), kBlocks);
        for (int block = band * (kBandRows / kBlockRows); block < end; ++block) {
            BlockSet(block, 0, 0); // brings it up to date
            for (int w = 0; w < kRowWords; ++w)
                words[std::size_t(w)] &= blockSet[std::size_t(block)][std::size_t(w)];
        }
    }
    return AllSet(words.data(), low, high);
}

// Calls visit(from, to) for each block of rows within [first, end) whose
// columns that the bound reaches are not all set, skipping whole bands that
// are; stops, returning false, when visit does.
template <typename Visit>
bool Canvas::ForEachUncoveredBlock(const ColumnBound& bound, int first, int end, Visit visit)
{
    int low, high;
    for (int band = first / kBandRows; band * kBandRows < end; ++band) {
        const int bandFirst = std::max(first, band * kBandRows);
        const int bandEnd = std::min(end, (band + 1) * kBandRows);
        bound.Columns(bandFirst, bandEnd, low, high);
        if (BandSet(band, low, high))
            continue;
        for (int block = bandFirst / kBlockRows; block * kBlockRows < bandEnd; ++block) {
            const int from = std::max(bandFirst, block * kBlockRows);
            const int to = std::min(bandEnd, (block + 1) * kBlockRows);
            bound.Columns(from, to, low, high);
            if (!BlockSet(block, low, high) && !visit(from, to))
                return false;
        }
    }
    return true;
}

bool Canvas::SegmentSet(const POINT* ends, int first, int end)
{
    // Stops at the first block that is not covered.
    return ForEachUncoveredBlock(ColumnBound(ends, 2), first, end, [](int, int) { return false; });
}

void Canvas::FillBeneath(const POINT* corners, int first, int end)
{
    int minX = corners[0].x, maxX = minX, minY = corners[0].y, maxY = minY;
    for (int i = 1; i < 4; ++i) {
        minX = std::min(minX, corners[i].x);
        maxX = std::max(maxX, corners[i].x);
        minY = std::min(minY, corners[i].y);
        maxY = std::max(maxY, corners[i].y);
    }
    const bool columnsOnCanvas = minX >= 0 && maxX <= kWidth;
    const bool small = minX >= -kSmallCoordinate && maxX <= kSmallCoordinate &&
                       minY >= -kSmallCoordinate && maxY <= kSmallCoordinate;
    // Rows [runFirst, runEnd) still to fill, drawn together.
    int runFirst = first, runEnd = first;
    auto flush = [&] {
        if (runFirst < runEnd)
            FillQuad(corners, runFirst, runEnd, columnsOnCanvas, small);
    };
    auto add = [&](int from, int to) {
        if (from != runEnd) {
            flush();
            runFirst = from;
        }
        runEnd = to;
    };
    ForEachUncoveredBlock(ColumnBound(corners, 4), first, end, [&](int from, int to) {
        add(from, to);
        return true;
    });
    flush();
}

void Canvas::FillSpanBeneath(int y, int left, int right)
{
    if (right <= left)
        return;
    if (fullRows[std::size_t(y) >> 6] & (std::uint64_t(1) << (y & 63)))
        return;
    const Pixel color = brush;
    Pixel* const row = pixels.data() + std::size_t(y) * kWidth;
    std::uint64_t* const bits = setPixels.data() + std::size_t(y) * kRowWords;
    int count = 0;
    for (int word = left >> 6; word <= (right - 1) >> 6; ++word) {
        const std::uint64_t fresh = WordMask(word, left, right) & ~bits[word];
        if (fresh == 0)
            continue;
        bits[word] |= fresh;
        count += __builtin_popcountll(fresh);
        for (std::uint64_t b = fresh; b != 0; b &= b - 1)
            row[(word << 6) + __builtin_ctzll(b)] = color;
    }
    if (count != 0)
        NoteSet(y, count);
}

int Canvas::FirstOpenRow(int from, int end) const
{
    for (int y = from; y < end;) {
        const std::uint64_t open = ~fullRows[std::size_t(y) >> 6] >> (y & 63);
        if (open != 0)
            return std::min(y + __builtin_ctzll(open), end);
        y = (y | 63) + 1;
    }
    return end;
}

int Canvas::LastOpenRow(int from, int end) const
{
    for (int y = end - 1; y >= from;) {
        const std::uint64_t open = ~fullRows[std::size_t(y) >> 6] << (63 - (y & 63));
        if (open != 0)
            return std::max(y - __builtin_clzll(open), from - 1);
        y = (y & ~63) - 1;
    }
    return from - 1;
}

void Canvas::QuadBeneath(const POINT* corners, unsigned segments)
{
    if (corners == nullptr)
        return;
    int minX = corners[0].x, maxX = minX, minY = corners[0].y, maxY = minY;
    for (int i = 1; i < 4; ++i) {
        minX = std::min(minX, corners[i].x);
        maxX = std::max(maxX, corners[i].x);
        minY = std::min(minY, corners[i].y);
        maxY = std::max(maxY, corners[i].y);
    }
    // Fill and outline both lie within the corners' bounds, and only their
    // rows with an unset pixel can change.
    if (maxX < 0 || minX >= kWidth || maxY < 0 || minY >= kHeight)
        return;
    const int top = FirstOpenRow(std::max(minY, 0), std::min(maxY, kHeight - 1) + 1);
    const int last = LastOpenRow(top, std::min(maxY, kHeight - 1) + 1);
    if (top > last)
        return;
    Touch(top, last + 1);
    for (int i = 0; i < 4; ++i) {
        if (!(segments & (1u << i)))
            continue;
        const POINT ends[2] = {corners[i], corners[(i + 1) & 3]};
        const int from = std::max(std::min(ends[0].y, ends[1].y), top);
        const int to = std::min(std::max(ends[0].y, ends[1].y), last) + 1;
        if (FirstOpenRow(from, to) < to && !SegmentSet(ends, from, to))
            DrawSegment(ends[0], ends[1]);
    }
    // The fill's rows, from the highest corner down to just above the lowest.
    const int firstRow = FirstOpenRow(std::max(minY, 0), std::min(maxY, kHeight));
    const int endRow = LastOpenRow(firstRow, std::min(maxY, kHeight)) + 1;
    if (minX < maxX && firstRow < endRow)
        FillBeneath(corners, firstRow, endRow);
}

} // namespace hyt
