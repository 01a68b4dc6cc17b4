// Canvas: drawing beneath what is there. A bit per pixel, kept by row and by
// column, says whether it is set; the columns set on every row of a block of
// rows, and of a band of blocks, let the part of a fill or a segment that
// falls on set pixels be dropped a band or a block at a time, and within a
// block a row at a time; a steep sliver's fill is tested, and a segment
// walked, a column's run of rows at a time. Before any of that, a cell is
// tested whole, by the largest blocks of rows and then column by column, so
// that most hidden ones are dropped at once. So cells that cross the picture
// behind nearer ones cost little.
#include <algorithm>

#include "render/Canvas.h"
#include "render/CanvasArithmetic.h"
#include "render/CanvasBounds.h"
#include "render/CanvasColumnLanes.h"
#include "render/CanvasQuadBound.h"

namespace hyt {

using namespace canvas_detail;

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

} // namespace

void Canvas::BeginBeneath(int left, int right)
{
    beneath = true;
    left = std::clamp(left, 0, kWidth);
    right = std::clamp(right, left, kWidth);
    // Columns outside [left, right) start out set, so that nothing is drawn there.
    std::uint64_t outside[kRowWords];
    for (int word = 0; word < kRowWords; ++word) {
        const int low = std::clamp(left - 64 * word, 0, 64),
                  high = std::clamp(right - 64 * word, 0, 64);
        const std::uint64_t below = high == 64 ? ~std::uint64_t(0) : (std::uint64_t(1) << high) - 1;
        outside[word] = low < high ? ~(below & (~std::uint64_t(0) << low)) : ~std::uint64_t(0);
        std::fill_n(setPixels.begin() + std::ptrdiff_t(word) * kHeight, kHeight, outside[word]);
    }
    for (int x = 0; x < kWidth; ++x)
        std::fill_n(setColumns.begin() + std::ptrdiff_t(x) * kColumnWords, kColumnWords,
                    x >= left && x < right ? 0 : ~std::uint64_t(0));
    openPixels.fill(right - left);
    fullRows.fill(left < right ? 0 : ~std::uint64_t(0));
    for (auto& level : groupSet)
        for (auto& group : level)
            std::copy_n(outside, kRowWords, group.begin());
    for (auto& level : staleGroupWords)
        level.fill(0);
}

void Canvas::EndBeneath()
{
    beneath = false;
}

std::uint64_t Canvas::GroupWord(int level, int group, int word)
{
    std::uint64_t& bits = groupSet[std::size_t(level)][std::size_t(group)][std::size_t(word)];
    std::uint16_t& stale = staleGroupWords[std::size_t(level)][std::size_t(group)];
    if (stale >> word & 1) {
        stale &= std::uint16_t(~(1u << word));
        bits = ~std::uint64_t(0);
        if (level == 0) {
            const int end = std::min((group + 1) * kGroupRows[0], kHeight);
            for (int y = group * kGroupRows[0]; y < end; ++y)
                bits &= setPixels[std::size_t(word) * kHeight + std::size_t(y)];
        } else {
            const int parts = kGroupRows[level] / kGroupRows[level - 1];
            const int end = std::min((group + 1) * parts, kGroups);
            for (int part = group * parts; part < end; ++part)
                bits &= GroupWord(level - 1, part, word);
        }
    }
    return bits;
}

template <typename WordOf>
bool Canvas::RangesSet(const ColumnRange* ranges, int count, WordOf wordOf)
{
    for (int i = 0; i < count; ++i)
        if (!AllSet(ranges[i].low, ranges[i].high, wordOf))
            return false;
    return true;
}

// Calls visit(from, to) for each block of rows (a group of level lowest)
// within [first, end) whose columns that the bound reaches are not all set,
// skipping whole groups of a level that are; stops, returning false, when
// visit does.
template <int level, int lowest, typename Bound, typename Visit>
bool Canvas::ForEachUncoveredBlock(const Bound& bound, int first, int end, Visit& visit)
{
    constexpr int rows = kGroupRows[level];
    ColumnRange ranges[Bound::kMaxRanges];
    for (int group = first / rows; group * rows < end; ++group) {
        const int from = std::max(first, group * rows);
        const int to = std::min(end, (group + 1) * rows);
        const int count = bound.Ranges(from, to, ranges);
        if (RangesSet(ranges, count, [&](int word) { return GroupWord(level, group, word); }))
            continue;
        if constexpr (level == lowest) {
            if (!visit(from, to))
                return false;
        } else if (!ForEachUncoveredBlock<level - 1, lowest>(bound, from, to, visit)) {
            return false;
        }
    }
    return true;
}

// Rows drawn together: consecutive rows that need drawing gather into one
// run, drawn by draw(first, end) when the next row is not its continuation.
template <typename Draw> class RowRuns {
  public:
    explicit RowRuns(Draw drawRows) : draw(drawRows) {}
    ~RowRuns() { Flush(); }
    void Add(int from, int to)
    {
        if (from != end) {
            Flush();
            first = from;
        }
        end = to;
    }

  private:
    void Flush()
    {
        if (first < end)
            draw(first, end);
    }
    Draw draw;
    int first = 0, end = 0;
};

void Canvas::SegmentBeneath(POINT a, POINT b, int first, int end)
{
    RowRuns runs([&](int from, int to) { DrawSegmentRows(a, b, from, to); });
    auto visit = [&](int from, int to) {
        runs.Add(from, to);
        return true;
    };
    // Only the largest groups: within one that is not covered, the walk tests
    // a word of pixels at a time, for less than narrowing the groups down.
    ForEachUncoveredBlock<kLevels - 1, kLevels - 1>(LineBound(a, b), first, end, visit);
}

bool Canvas::QuadBlocksSet(const QuadBound& bound, int first, int end)
{
    constexpr int level = kLevels - 1, rows = kGroupRows[level];
    if (!wideFill) {
        auto uncovered = [](int, int) { return false; };
        return ForEachUncoveredBlock<level, level>(bound, first, end, uncovered);
    }
    static_assert((kHeight + rows - 1) / rows == 4, "a lane for each block");
    ColumnRange ranges[4];
    bound.BlockRangesInLanes(first, end, rows, ranges);
    for (int group = first / rows; group * rows < end; ++group)
        if (!AllSet(ranges[group].low, ranges[group].high,
                    [&](int word) { return GroupWord(level, group, word); }))
            return false;
    return true;
}

void Canvas::FillBeneath(const POINT* corners, int first, int end, bool outlineSet)
{
    const FillBound bound(corners);
    if (outlineSet && bound.WithinOutline(first, end))
        return;
    const CornerBounds bounds(corners, 4);
    const bool columnsOnCanvas = bounds.ColumnsOnCanvas();
    const bool small = bounds.Small();
    const auto columnSet = [this](int x, int top, int bottom) {
        const std::uint64_t* const column = setColumns.data() + std::size_t(x) * kColumnWords;
        return AllSetIn(column, kColumnWords, top, bottom);
    };
    const auto slantSet = [&](const ColumnSlant& slant) {
        return wideFill ? SlantSetInLanes(slant, setColumns.data(), kColumnWords)
                        : slant.AllColumnsSet(columnSet);
    };
    if (bound.SetByColumns(first, end, slantSet))
        return;
    RowRuns runs([&](int from, int to) { FillQuad(corners, from, to, columnsOnCanvas, small); });
    // Within a block that is not covered, only the rows that are not.
    auto visit = [&](int from, int to) {
        for (int y = from; y < to; ++y)
            if (!bound.RowSet(y, setPixels.data() + y, kRowWords, kHeight))
                runs.Add(y, y + 1);
        return true;
    };
    ForEachUncoveredBlock<kLevels - 1, 0>(bound, first, end, visit);
}

void Canvas::SetSpanBeneath(int y, int left, int right, Pixel color)
{
    if (right <= left)
        return;
    if (fullRows[std::size_t(y) >> 6] & (std::uint64_t(1) << (y & 63)))
        return;
    Pixel* const row = pixels + std::size_t(y) * kWidth;
    std::uint64_t* const bits = setPixels.data() + y; // word w at bits[w * kHeight]
    const std::uint64_t rowBit = std::uint64_t(1) << (y & 63);
    std::uint64_t* const columnWords = setColumns.data() + (y >> 6);
    int count = 0;
    unsigned staleWords = 0;
    for (int word = left >> 6; word <= (right - 1) >> 6; ++word) {
        std::uint64_t& rowWord = bits[std::size_t(word) * kHeight];
        const std::uint64_t fresh = WordMask(word, left, right) & ~rowWord;
        if (fresh == 0)
            continue;
        rowWord |= fresh;
        count += __builtin_popcountll(fresh);
        staleWords |= 1u << word;
        for (std::uint64_t b = fresh; b != 0; b &= b - 1) {
            const int x = (word << 6) + __builtin_ctzll(b);
            row[x] = color;
            columnWords[std::size_t(x) * kColumnWords] |= rowBit;
        }
    }
    if (count != 0)
        NoteSet(y, count, staleWords);
}

void Canvas::SetColumnRunBeneath(int x, int top, int end)
{
    std::uint64_t* const column = setColumns.data() + std::size_t(x) * kColumnWords;
    const int word = x >> 6;
    const std::uint64_t columnBit = std::uint64_t(1) << (x & 63);
    const Pixel color = pen;
    for (int part = top >> 6; part <= (end - 1) >> 6; ++part) {
        const std::uint64_t fresh = WordMask(part, top, end) & ~column[part];
        if (fresh == 0)
            continue;
        column[part] |= fresh;
        if (MoreRegisters()) {
            SetColumnWordInLanes(x, part, fresh, color);
        } else {
            for (std::uint64_t b = fresh; b != 0; b &= b - 1) {
                const int y = (part << 6) + __builtin_ctzll(b);
                setPixels[std::size_t(word) * kHeight + std::size_t(y)] |= columnBit;
                pixels[std::size_t(y) * kWidth + std::size_t(x)] = color;
                if (--openPixels[std::size_t(y)] == 0)
                    fullRows[std::size_t(y) >> 6] |= std::uint64_t(1) << (y & 63);
            }
        }
        // The groups of rows this column now fills wholly take its bit at
        // once, from the column's own bits, so that no group need be worked
        // out again from its rows for a steep segment's runs. Rows past the
        // canvas count as set, as they do there. Only the blocks of 8 rows
        // are found one by one, and only those fresh has some of: the
        // larger groups are two and one, marked with no branch, which a
        // column's few rows would mispredict.
        static_assert(kGroupRows[0] == 8 && kGroupRows[1] == 32 && kGroupRows[2] == 128);
        static_assert(kColumnWords % 2 == 0, "groups of 128 rows are pairs of words");
        auto withPhantoms = [column](int at) {
            const int past = (at + 1) * 64 - kHeight; // rows of word at past the canvas
            return past <= 0 ? column[at]
                             : column[at] | ~std::uint64_t(0) << (64 - std::min(past, 64));
        };
        const std::uint64_t set = withPhantoms(part);
        // Bit 0 of each byte: whether the byte is all set, and whether fresh
        // has some of it.
        std::uint64_t full = set & set >> 1, touched = fresh | fresh >> 1;
        full &= full >> 2;
        touched |= touched >> 2;
        full &= full >> 4;
        touched |= touched >> 4;
        for (std::uint64_t g = full & touched & 0x0101010101010101u; g != 0; g &= g - 1)
            groupSet[0][std::size_t(part * 8 + (__builtin_ctzll(g) >> 3))][std::size_t(word)] |=
                columnBit;
        auto bitIf = [columnBit](bool whole) { return columnBit & -std::uint64_t(whole); };
        groupSet[1][std::size_t(part * 2)][std::size_t(word)] |= bitIf(std::uint32_t(set) == ~0u);
        groupSet[1][std::size_t(part * 2 + 1)][std::size_t(word)] |=
            bitIf(std::uint32_t(set >> 32) == ~0u);
        const int pair = part & ~1;
        groupSet[2][std::size_t(part / 2)][std::size_t(word)] |=
            bitIf((withPhantoms(pair) & withPhantoms(pair + 1)) == ~std::uint64_t(0));
    }
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

void Canvas::QuadBeneath(const POINT* corners, unsigned segments, unsigned drawnBefore)
{
    if (corners == nullptr)
        return;
    const CornerBounds bounds(corners, 4);
    const int minX = bounds.minX, maxX = bounds.maxX, minY = bounds.minY, maxY = bounds.maxY;
    // Fill and outline both lie within the corners' bounds, and only their
    // rows with an unset pixel can change.
    if (maxX < 0 || minX >= kWidth || maxY < windowTop || minY >= windowEnd)
        return;
    const int top = FirstOpenRow(std::max(minY, windowTop), std::min(maxY, windowEnd - 1) + 1);
    const int last = LastOpenRow(top, std::min(maxY, windowEnd - 1) + 1);
    if (top > last)
        return;
    // A cell far behind nearer ones is mostly hidden wholly: one test for all
    // of it, before one per segment and one for the fill.
    const QuadBound bound(corners);
    if (QuadBlocksSet(bound, top, last + 1))
        return;
    if (wideFill) {
        ColumnRange columns{0, 0}; // none when no edge reaches the rows
        bound.Ranges(top, last + 1, &columns);
        if (QuadSetInLanes(corners, top, last + 1, columns, setColumns.data(), kColumnWords))
            return;
    }
    Touch(top, last + 1);
    for (int i = 0; i < 4; ++i) {
        if (!(segments & (1u << i)))
            continue;
        const POINT ends[2] = {corners[i], corners[(i + 1) & 3]};
        const int from = std::max(std::min(ends[0].y, ends[1].y), top);
        const int to = std::min(std::max(ends[0].y, ends[1].y), last) + 1;
        if (FirstOpenRow(from, to) < to)
            SegmentBeneath(ends[0], ends[1], from, to);
    }
    // The fill's rows, from the highest corner down to just above the lowest.
    const int firstRow = FirstOpenRow(std::max(minY, windowTop), std::min(maxY, windowEnd));
    const int endRow = LastOpenRow(firstRow, std::min(maxY, windowEnd)) + 1;
    if (minX < maxX && firstRow < endRow)
        FillBeneath(corners, firstRow, endRow, ((segments | drawnBefore) & 0xF) == 0xF);
}

} // namespace hyt
