// Bounds, never narrower than the truth, of the columns that a
// quadrilateral's fill (FillBound) or a segment (LineBound) takes on a range
// of rows, as Canvas draws them; drawing beneath drops the parts whose
// columns are all set already. Internal to render/.
#pragma once

#include <algorithm>
#include <cstdint>
#include <limits>
#include <utility>

#include "render/Canvas.h"
#include "render/CanvasArithmetic.h"

namespace hyt::canvas_detail {

// A thousandth of a pixel for rounding: double's error on 32-bit coordinates,
// a few millionths of a pixel at most, is far below it.
constexpr double kMargin = 1.0 / 1024;

// Whether bits [low, high) are all set in the words wordOf(0), wordOf(1), ...
template <typename WordOf> inline bool AllSet(int low, int high, WordOf wordOf)
{
    if (low >= high)
        return true;
    const int first = low >> 6, last = (high - 1) >> 6;
    const std::uint64_t firstMask = ~std::uint64_t(0) << (low & 63);
    const std::uint64_t lastMask = ~std::uint64_t(0) >> (63 - ((high - 1) & 63));
    if (first == last) // the usual few bits: no loop whose end to guess
        return (wordOf(first) & firstMask & lastMask) == (firstMask & lastMask);
    for (int word = first; word <= last; ++word) {
        std::uint64_t want = ~std::uint64_t(0);
        if (word == first)
            want &= firstMask;
        if (word == last)
            want &= lastMask;
        if ((wordOf(word) & want) != want)
            return false;
    }
    return true;
}

// AllSet of the words words[0], words[stride], ... (count of them): up to
// 64 bits from a window over two neighbouring words, with no branch on where
// they fall, for the short runs of rows of a column and of columns of a row
// that drawing beneath tests most; longer ones word by word.
inline bool AllSetIn(const std::uint64_t* words, int count, int low, int high,
                     std::ptrdiff_t stride = 1)
{
    const int length = high - low;
    if (length <= 0)
        return true;
    if (length > 64)
        return AllSet(low, high, [words, stride](int word) { return words[word * stride]; });
    const int first = low >> 6, shift = low & 63;
    const int next = std::min(first + 1, count - 1); // read, never used, past the last
    // Shifted twice: a shift by 64 would be undefined.
    const std::uint64_t window =
        (words[first * stride] >> shift) | ((words[next * stride] << 1) << (63 - shift));
    const std::uint64_t want = ~std::uint64_t(0) >> (64 - length);
    return (window & want) == want;
}

// Floor and ceiling of a column held to [-1, kWidth + 1], by truncating a
// value shifted to be positive: cheaper than the library's, and all a bound
// held to the canvas needs.
constexpr double kShift = 8;

inline double HeldColumn(double column)
{
    return std::min(std::max(column, -1.0), double(Canvas::kWidth + 1));
}

inline int Floor(double column)
{
    return int(HeldColumn(column) + kShift) - int(kShift);
}

inline int Ceil(double column)
{
    constexpr double kAbove = Canvas::kWidth + kShift;
    return int(kAbove) - int(kAbove - HeldColumn(column));
}

// A fill takes columns ceil(least) up to ceil(most) - 1 of a span.
inline ColumnRange FillColumns(double least, double most)
{
    return {std::max(Ceil(least - kMargin), 0), std::min(Ceil(most + kMargin), Canvas::kWidth)};
}

// The rows that a piece of a fill may take in each of a range of columns:
// in column x, rows from + t for t from lowT to highT, lowT the greatest of
// 0 and x * lowScale[i] + lowOffset[i], highT the least of rows - 1 and
// x * highScale[i] + highOffset[i], whole rows by truncation.
struct ColumnSlant {
    ColumnRange columns;
    int from, rows;
    double lowScale[2], lowOffset[2], highScale[2], highOffset[2];

    // Whether columnSet(x, top, bottom) holds for the rows [top, bottom) of
    // every column x that has some.
    template <typename ColumnSet> bool AllColumnsSet(ColumnSet columnSet) const
    {
        for (int x = columns.low; x < columns.high; ++x) {
            const double lowT = std::max(std::max(0.0, x * lowScale[0] + lowOffset[0]),
                                         x * lowScale[1] + lowOffset[1]);
            const double highT = std::min(std::min(rows - 1.0, x * highScale[0] + highOffset[0]),
                                          x * highScale[1] + highOffset[1]);
            if (lowT > highT)
                continue;
            // Both within [0, rows - 1]: whole rows by truncation.
            const int low = from + int(lowT);
            const int high = from + std::min(int(highT) + 1, rows - 1);
            if (!columnSet(x, low, high + 1))
                return false;
        }
        return true;
    }
};

// A quadrilateral's fill by the even-odd rule: on each row its edges' sorted
// crossings pair up into spans. Bounds of those spans, never narrower than
// the truth, let a fill whose spans fall on set pixels be dropped even where
// the quadrilateral crosses itself around pixels that nothing covers.
class FillBound {
  public:
    static constexpr int kMaxRanges = 10;

    explicit FillBound(const POINT* corners)
    {
        for (int i = 0; i < 4; ++i) {
            POINT a = corners[i], b = corners[(i + 1) & 3];
            cornerRows[i] = a.y;
            if (a.y == b.y)
                continue;
            if (a.y > b.y)
                std::swap(a, b);
            edges[count++] = {a.y, b.y, double(a.x), (double(b.x) - a.x) / (double(b.y) - a.y)};
        }
        SortFour(cornerRows);
    }

    // Column ranges that together hold every pixel the fill takes on rows
    // [first, end); returns how many, at most kMaxRanges.
    int Ranges(int first, int end, ColumnRange* out) const
    {
        // Between corner rows the same edges cross every row.
        int n = 0, from = first;
        for (const int row : cornerRows)
            if (row > from && row < end) {
                n = AddRanges(from, row, out, n);
                from = row;
            }
        return AddRanges(from, end, out, n);
    }

    // Whether every pixel the fill takes on row y is set in bits, the row's
    // words, of which there are words, stride apart.
    bool RowSet(int y, const std::uint64_t* bits, int words, std::ptrdiff_t stride) const
    {
        double c[4];
        int k = 0;
        for (int i = 0; i < count; ++i)
            if (edges[i].top <= y && y < edges[i].bottom)
                c[k++] = edges[i].At(y);
        if (k == 4)
            SortFour(c);
        else if (k == 2 && c[1] < c[0])
            std::swap(c[0], c[1]);
        for (int p = 0; p + 1 < k; p += 2) {
            const ColumnRange r = FillColumns(c[p], c[p + 1]);
            if (!AllSetIn(bits, words, r.low, r.high, stride))
                return false;
        }
        return true;
    }

    // Whether every pixel the fill takes on rows [first, end) lies on its
    // outline, when the crossings of each row lie within a column of each
    // other. An edge lights floor(c + 1/2) of its crossing c on each row it
    // crosses. The row's fill lies in [ceil(least), ceil(most)), which then
    // holds at most one pixel p: within half a pixel of the least crossing,
    // or else of the most, so one of their edges lights p. Only steep edges
    // (|dx| <= |dy|) are taken: with 32-bit corners their crossings stay
    // below 2^33 in size, rounded within a few millionths of a pixel, far
    // below kMargin.
    bool WithinOutline(int first, int end) const
    {
        int from = first;
        for (const int row : cornerRows)
            if (row > from && row < end) {
                if (!PieceWithinOutline(from, row))
                    return false;
                from = row;
            }
        return PieceWithinOutline(from, end);
    }

    // Whether every pixel the fill takes on rows [first, end) is set, asked
    // column by column: slantSet(slant) tells whether the rows of every
    // column of a ColumnSlant are. A steep sliver crosses many rows and few
    // columns, and its columns' rows follow its slant, which no block of rows
    // does. false also where that would cost more than testing rows: where
    // edges cross each other within the rows, or a span reaches across more
    // columns than there are rows.
    template <typename SlantSet> bool SetByColumns(int first, int end, SlantSet slantSet) const
    {
        int from = first;
        for (const int row : cornerRows)
            if (row > from && row < end) {
                if (!PieceSetByColumns(from, row, slantSet))
                    return false;
                from = row;
            }
        return PieceSetByColumns(from, end, slantSet);
    }

  private:
    struct Edge {
        int top, bottom; // crosses rows top..bottom-1
        double xTop, slope;
        double At(int y) const { return xTop + (double(y) - top) * slope; }
    };

    // Rows [from, end), crossed by one set of edges: each pair's crossings
    // run straight, so their extremes lie on the first and last row, unless
    // edges cross each other within the rows, when one range takes them all.
    int AddRanges(int from, int end, ColumnRange* out, int n) const
    {
        double top[4], bottom[4];
        int k = 0;
        for (int i = 0; i < count; ++i)
            if (edges[i].top <= from && from < edges[i].bottom) {
                top[k] = edges[i].At(from);
                bottom[k] = edges[i].At(end - 1);
                ++k;
            }
        if (k == 0)
            return n;
        // The edges in the order of their crossings on the first row, ties by the last.
        int order[4] = {0, 1, 2, 3};
        for (int i = 1; i < k; ++i)
            for (int j = i; j > 0; --j) {
                const int a = order[j - 1], b = order[j];
                if (!(top[b] < top[a] || (top[b] == top[a] && bottom[b] < bottom[a])))
                    break;
                std::swap(order[j - 1], order[j]);
            }
        bool apart = k % 2 == 0;
        for (int i = 0; i + 1 < k; ++i)
            apart = apart && bottom[order[i]] <= bottom[order[i + 1]];
        if (!apart) {
            out[n++] =
                FillColumns(std::min(top[order[0]], *std::min_element(bottom, bottom + k)),
                            std::max(top[order[k - 1]], *std::max_element(bottom, bottom + k)));
            return n;
        }
        for (int p = 0; p < k; p += 2)
            out[n++] = FillColumns(std::min(top[order[p]], bottom[order[p]]),
                                   std::max(top[order[p + 1]], bottom[order[p + 1]]));
        return n;
    }

    // Rows [from, end), crossed by one set of edges, for WithinOutline. The
    // spread of the crossings, the most of straight lines less the least,
    // is convex in the row: its greatest is on the first row or the last.
    bool PieceWithinOutline(int from, int end) const
    {
        double least[2] = {0, 0}, most[2] = {0, 0};
        bool crossed = false;
        for (int i = 0; i < count; ++i) {
            const Edge& e = edges[i];
            if (!(e.top <= from && from < e.bottom))
                continue;
            if (!(std::abs(e.slope) <= 1.0))
                return false;
            const double ends[2] = {e.At(from), e.At(end - 1)};
            for (int j = 0; j < 2; ++j) {
                least[j] = crossed ? std::min(least[j], ends[j]) : ends[j];
                most[j] = crossed ? std::max(most[j], ends[j]) : ends[j];
            }
            crossed = true;
        }
        return most[0] - least[0] <= 1 - kMargin && most[1] - least[1] <= 1 - kMargin;
    }

    // Rows [from, end), crossed by one set of edges, for SetByColumns.
    template <typename SlantSet> bool PieceSetByColumns(int from, int end, SlantSet slantSet) const
    {
        const Edge* crossing[4];
        double top[4];
        int k = 0;
        for (int i = 0; i < count; ++i)
            if (edges[i].top <= from && from < edges[i].bottom) {
                crossing[k] = &edges[i];
                top[k++] = edges[i].At(from);
            }
        if (k % 2 != 0)
            return false;
        // In the order of their crossings on the first row; apart when it
        // is also their order on the last, so that they pair up throughout.
        for (int i = 1; i < k; ++i)
            for (int j = i; j > 0 && top[j] < top[j - 1]; --j) {
                std::swap(top[j], top[j - 1]);
                std::swap(crossing[j], crossing[j - 1]);
            }
        const int rows = end - from;
        for (int i = 0; i + 1 < k; ++i)
            if (crossing[i + 1]->At(end - 1) < crossing[i]->At(end - 1))
                return false;
        for (int p = 0; p < k; p += 2) {
            const Edge &left = *crossing[p], &right = *crossing[p + 1];
            const ColumnRange columns = FillColumns(std::min(top[p], left.At(end - 1)),
                                                    std::max(top[p + 1], right.At(end - 1)));
            if (columns.high - columns.low > rows)
                return false;
            // Pixel (x, from + t) may be filled when left(t) - margin <= x
            // and x < right(t) + margin: t from lowT to highT, each the
            // greatest (least) of a bound x * scale + offset from each edge
            // that slants (the columns take care of an upright one). Whole
            // rows by a row's widening, far more than the rounding.
            constexpr double kInfinity = std::numeric_limits<double>::infinity();
            ColumnSlant slant{columns,
                              from,
                              rows,
                              {0, 0},
                              {-kInfinity, -kInfinity},
                              {0, 0},
                              {kInfinity, kInfinity}};
            const double leftStep = 1 / left.slope, rightStep = 1 / right.slope;
            if (left.slope > 0) {
                slant.highScale[0] = leftStep;
                slant.highOffset[0] = (kMargin - top[p]) * leftStep;
            } else if (left.slope < 0) {
                slant.lowScale[0] = leftStep;
                slant.lowOffset[0] = (kMargin - top[p]) * leftStep;
            }
            if (right.slope > 0) {
                slant.lowScale[1] = rightStep;
                slant.lowOffset[1] = (-kMargin - top[p + 1]) * rightStep;
            } else if (right.slope < 0) {
                slant.highScale[1] = rightStep;
                slant.highOffset[1] = (-kMargin - top[p + 1]) * rightStep;
            }
            if (!slantSet(slant))
                return false;
        }
        return true;
    }

    Edge edges[4];
    int count = 0;
    int cornerRows[4];
};

// A segment: on row y it lights a pixel within half a pixel of its line
// between y - 1/2 and y + 1/2, floor(x + 1/2) of a point x of the line.
class LineBound {
  public:
    static constexpr int kMaxRanges = 1;

    LineBound(POINT first, POINT second) : a(first), b(second)
    {
        if (a.y > b.y)
            std::swap(a, b);
        slope = a.y == b.y ? 0.0 : (double(b.x) - a.x) / (double(b.y) - a.y);
    }

    int Ranges(int first, int end, ColumnRange* out) const
    {
        const double top = std::max(first - 0.5, double(a.y));
        const double bottom = std::min(end - 0.5, double(b.y));
        if (top > bottom)
            return 0;
        double least = a.x, most = b.x;
        if (a.y != b.y) {
            least = a.x + (top - a.y) * slope;
            most = a.x + (bottom - a.y) * slope;
        }
        if (least > most)
            std::swap(least, most);
        out[0] = {std::max(Floor(least + 0.5 - kMargin), 0),
                  std::min(Floor(most + 0.5 + kMargin) + 1, Canvas::kWidth)};
        return 1;
    }

  private:
    POINT a, b; // a above
    double slope;
};

} // namespace hyt::canvas_detail
