// Bad inputs end to end: a file is chosen (load, then redraw as the window
// does), or a view is pushed into a corner, and the outcome is either a
// Spanish reason with the previous scene and picture exactly as they were,
// or a sound picture: every field finite, every colour one the renderer can
// draw. Each row is named for what is wrong with its input.
#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <functional>
#include <limits>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "render/Camera.h"
#include "render/Canvas.h"
#include "render/SurfaceRenderer.h"
#include "scene/DataFile.h"
#include "scene/Examples.h"
#include "scene/SceneState.h"
#include "support/DataFileBytes.h"
#include "support/DeepDirectory.h"
#include "support/SceneCompare.h"
#include "texts/Texts.h"
#include "view/ViewerSession.h"

namespace hyt {
namespace {

using namespace hyt::test;
namespace fs = std::filesystem;

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kDenormal = std::numeric_limits<double>::denorm_min();

// 10000 records that cycle through values.
Bytes CyclingRecords(const std::vector<double>& values)
{
    Bytes bytes;
    for (int n = 0; n < kVertexCount; ++n)
        AppendRecord(bytes, values[std::size_t(n) % values.size()]);
    return bytes;
}

std::uint64_t Bits(double value)
{
    return std::bit_cast<std::uint64_t>(value);
}

// Bytes this process has read through read() and its kind so far.
std::uint64_t BytesReadSoFar()
{
    std::ifstream io("/proc/self/io");
    std::string key;
    std::uint64_t value = 0;
    while (io >> key >> value)
        if (key == "rchar:")
            return value;
    return 0;
}

// A viewer as the window drives it; the scene is reachable for views that no
// control could reach.
struct Viewer {
    std::unique_ptr<ViewerSession> session = std::make_unique<ViewerSession>();
    SceneState* scene = &session->Scene();

    DataFileResult ChooseFile(const fs::path& path) { return session->ChooseFile(path).file; }
    void ChooseExample(std::string_view label) { session->ChooseExample(label); }
    void Redraw() { session->Redraw(); }
    std::vector<Canvas::Pixel> Picture() const
    {
        const Canvas::Pixel* p = session->Picture().Pixels();
        return {p, p + std::size_t(Canvas::kWidth) * Canvas::kHeight};
    }
    bool AllBlack() const
    {
        const auto picture = Picture();
        return std::all_of(picture.begin(), picture.end(),
                           [](Canvas::Pixel p) { return p == Canvas::ToPixel(Rgb(0, 0, 0)); });
    }
};

// A sound scene: every camera field finite, the zoom within its bar, every
// vertex colour taken from the palette.
void ExpectSoundScene(const SceneState& scene)
{
    for (const Vec3& v :
         {scene.eye, scene.up, scene.right, scene.planeCenter, scene.toEye, scene.target})
        EXPECT_TRUE(IsFinite(v)) << v.x << " " << v.y << " " << v.z;
    EXPECT_GE(scene.zoomLevel, 0.0);
    EXPECT_LE(scene.zoomLevel, 50.0);
    for (int k = 0; k < kVertexCount; ++k)
        ASSERT_NE(std::find(scene.palette.begin(), scene.palette.end(), scene.vertexColor[k]),
                  scene.palette.end())
            << "vertex " << k;
}

// A sound picture holds only black, the outline grey, the plain red and the
// palette's colours.
void ExpectSoundPicture(const Viewer& viewer)
{
    std::vector<Canvas::Pixel> allowed = {Canvas::ToPixel(Rgb(0, 0, 0)),
                                          Canvas::ToPixel(kOutlineColor),
                                          Canvas::ToPixel(kPlainFillColor)};
    for (const COLORREF c : viewer.scene->palette)
        allowed.push_back(Canvas::ToPixel(c));
    std::sort(allowed.begin(), allowed.end());
    const auto picture = viewer.Picture();
    for (std::size_t i = 0; i < picture.size(); ++i)
        ASSERT_TRUE(std::binary_search(allowed.begin(), allowed.end(), picture[i]))
            << "pixel " << i % Canvas::kWidth << "," << i / Canvas::kWidth;
}

// --- Files ------------------------------------------------------------------

// What choosing the file must give.
enum class Outcome {
    Refused, // not read: this reason, and the scene and picture as they were
    Drawn,   // read and drawn: this size remark (empty for 80000 bytes)
};

struct FileRow {
    const char* name;
    // Makes the input in dir and returns the path that the viewer chooses.
    std::function<fs::path(const fs::path& dir)> make;
    Outcome outcome;
    std::string message;
    // For a drawn file: what the heights must be.
    std::function<void(const SceneState&)> expectHeights;
    bool needsNonRoot = false;
};

fs::path Write(const fs::path& dir, const char* name, const Bytes& bytes)
{
    WriteFile(dir / name, bytes);
    return dir / name;
}

void ExpectCounting(const SceneState& scene)
{
    for (int k = 0; k < kVertexCount; ++k)
        ASSERT_EQ(scene.heights[k], double(k)) << k;
}

// Every height is one of values, cycling, compared bit for bit.
std::function<void(const SceneState&)> ExpectCycling(std::vector<double> values)
{
    return [values](const SceneState& scene) {
        for (int k = 0; k < kVertexCount; ++k)
            ASSERT_EQ(Bits(scene.heights[k]), Bits(values[std::size_t(k) % values.size()])) << k;
    };
}

std::function<void(const SceneState&)> ExpectAll(double value)
{
    return ExpectCycling({value});
}

// A height that puts vertex (50, 50) (model point (h, 0, 0)) a hair in front
// of the plane through the reset eye across the line of sight, so that it
// projects billions of pixels away.
double HeightJustInFrontOfTheEye()
{
    const Vec3 eye = kResetEye;
    return (Dot(eye, eye) - 1e-6) / eye.x;
}

const FileRow kFileRows[] = {
    {"empty_0_bytes", [](const fs::path& d) { return Write(d, "empty.hyt", {}); }, Outcome::Drawn,
     "tiene 0 bytes y se esperaban 80000", ExpectAll(0.0)},
    {"short_7_bytes",
     [](const fs::path& d) {
         return Write(d, "seven.hyt", {1, 2, 3, 4, 5, 6, 7});
     },
     Outcome::Drawn, "tiene 7 bytes y se esperaban 80000",
     // The fragment lies over the buffer's eight zero bytes.
     ExpectAll(std::bit_cast<double>(std::uint64_t{0x0007060504030201}))},
    {"short_79999_bytes",
     [](const fs::path& d) {
         Bytes bytes = CountingRecords(kVertexCount);
         bytes.pop_back();
         return Write(d, "short.hyt", bytes);
     },
     Outcome::Drawn, "tiene 79999 bytes y se esperaban 80000",
     [](const SceneState& scene) {
         for (int k = 0; k < kVertexCount - 1; ++k)
             ASSERT_EQ(scene.heights[k], double(k)) << k;
         // The last record's 7 bytes over the low-order bytes of record 9998.
         const std::uint64_t mixed =
             (Bits(9998.0) & 0xFF00000000000000u) | (Bits(9999.0) & 0x00FFFFFFFFFFFFFFu);
         EXPECT_EQ(Bits(scene.heights[kVertexCount - 1]), mixed);
     }},
    {"exact_80000_bytes",
     [](const fs::path& d) { return Write(d, "exact.hyt", CountingRecords(kVertexCount)); },
     Outcome::Drawn, "", ExpectCounting},
    {"long_80008_bytes",
     [](const fs::path& d) {
         Bytes bytes = CountingRecords(kVertexCount);
         AppendRecord(bytes, kNaN);
         return Write(d, "long.hyt", bytes);
     },
     Outcome::Drawn, "tiene 80008 bytes y se esperaban 80000", ExpectCounting},
    {"sparse_8_gib",
     [](const fs::path& d) {
         const fs::path path = Write(d, "sparse.hyt", CountingRecords(3));
         const int fd = ::open(path.c_str(), O_WRONLY);
         EXPECT_GE(fd, 0);
         EXPECT_EQ(::ftruncate(fd, off_t(std::int64_t{8} << 30)), 0) << std::strerror(errno);
         ::close(fd);
         return path;
     },
     Outcome::Drawn, "tiene 8589934592 bytes y se esperaban 80000",
     [](const SceneState& scene) {
         EXPECT_EQ(scene.heights[1], 1.0);
         EXPECT_EQ(scene.heights[2], 2.0);
         EXPECT_EQ(std::count(scene.heights.begin(), scene.heights.end(), 0.0), kVertexCount - 2);
     }},
    {"directory_named_x_hyt",
     [](const fs::path& d) {
         fs::create_directory(d / "x.hyt");
         return d / "x.hyt";
     },
     Outcome::Refused, "es una carpeta, no un fichero", nullptr},
    {"fifo_named_x_hyt",
     [](const fs::path& d) {
         EXPECT_EQ(::mkfifo((d / "x.hyt").c_str(), 0600), 0);
         return d / "x.hyt";
     },
     Outcome::Refused, "no es un fichero normal", nullptr},
    {"no_read_permission",
     [](const fs::path& d) {
         const fs::path path = Write(d, "locked.hyt", CountingRecords(kVertexCount));
         fs::permissions(path, fs::perms::none);
         return path;
     },
     Outcome::Refused, "no hay permiso para leerlo", nullptr, true},
    {"deleted_after_listing",
     [](const fs::path& d) {
         Write(d, "gone.hyt", CountingRecords(kVertexCount));
         const std::vector<DataFileEntry> entries = ListDataFiles(d);
         EXPECT_EQ(entries.size(), 1u);
         const fs::path listed = entries.empty() ? d / "gone.hyt" : entries[0].path;
         fs::remove(listed);
         return listed;
     },
     Outcome::Refused, "no existe", nullptr},
    {"name_not_utf8",
     [](const fs::path& d) {
         Write(d, "alt\xe9ra\xff\xfe.HYT", CountingRecords(kVertexCount));
         const std::vector<DataFileEntry> entries = ListDataFiles(d);
         EXPECT_EQ(entries.size(), 1u);
         EXPECT_EQ(entries.empty() ? "" : entries[0].name, "alt\xe9ra\xff\xfe");
         return entries.empty() ? d / "missing" : entries[0].path;
     },
     Outcome::Drawn, "", ExpectCounting},
    {"nan_heights",
     [](const fs::path& d) {
         return Write(d, "nan.hyt", CyclingRecords({kNaN, 1.0, -2.0}));
     },
     Outcome::Drawn, "", ExpectCycling({kNaN, 1.0, -2.0})},
    {"nan_first_height",
     [](const fs::path& d) {
         return Write(d, "nan0.hyt", CyclingRecords({kNaN, 3.0, 4.0, 5.0}));
     },
     Outcome::Drawn, "", ExpectCycling({kNaN, 3.0, 4.0, 5.0})},
    {"plus_and_minus_infinity_heights",
     [](const fs::path& d) {
         return Write(d, "inf.hyt", CyclingRecords({kInf, 0.5, -kInf}));
     },
     Outcome::Drawn, "", ExpectCycling({kInf, 0.5, -kInf})},
    {"one_infinite_height_among_finite",
     [](const fs::path& d) {
         Bytes bytes;
         for (int k = 0; k < kVertexCount; ++k)
             AppendRecord(bytes, k == 0 ? kInf : double(k));
         return Write(d, "one_inf.hyt", bytes);
     },
     Outcome::Drawn, "",
     [](const SceneState& scene) {
         EXPECT_EQ(scene.heights[0], kInf);
         // The colours spread over the finite heights, not all at the low end.
         EXPECT_EQ(scene.minHeight, 1.0);
         EXPECT_EQ(scene.maxHeight, 9999.0);
         EXPECT_EQ(scene.vertexColor[0], scene.palette[0]);
         EXPECT_EQ(scene.vertexColor[kVertexCount - 1], scene.palette[254]);
     }},
    {"heights_1e308",
     [](const fs::path& d) {
         return Write(d, "huge.hyt", CyclingRecords({1e308, -1e308, 7.0}));
     },
     Outcome::Drawn, "", ExpectCycling({1e308, -1e308, 7.0})},
    {"denormal_heights",
     [](const fs::path& d) {
         return Write(d, "denormal.hyt", CyclingRecords({kDenormal, 0.0, -3 * kDenormal}));
     },
     Outcome::Drawn, "", ExpectCycling({kDenormal, 0.0, -3 * kDenormal})},
    {"height_projected_past_int32",
     [](const fs::path& d) {
         Bytes bytes;
         for (int k = 0; k < kVertexCount; ++k)
             AppendRecord(bytes, k == 5050 ? HeightJustInFrontOfTheEye() : 1.0);
         return Write(d, "near_eye.hyt", bytes);
     },
     Outcome::Drawn, "",
     [](const SceneState& scene) {
         EXPECT_EQ(scene.heights[5050], HeightJustInFrontOfTheEye());
         // The vertex is in front of the eye, and its pixel lies beyond
         // the 32-bit range: the row tests what it says.
         const Vec3 projected = scene.vertices[5050];
         EXPECT_EQ(projected.z, 1.0);
         EXPECT_GT(std::max(std::abs(projected.x), std::abs(projected.y)), 4294967296.0);
     }},
};

// Rows print as their names in test listings.
void PrintTo(const FileRow& row, std::ostream* os)
{
    *os << row.name;
}

class BadFile : public ::testing::TestWithParam<FileRow> {
  protected:
    void SetUp() override
    {
        std::string pattern = (fs::temp_directory_path() / "hyt-robustness-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        dir = pattern;
    }
    void TearDown() override
    {
        std::error_code ignored;
        for (const auto& entry : fs::recursive_directory_iterator(dir, ignored))
            fs::permissions(entry.path(), fs::perms::owner_all, fs::perm_options::add, ignored);
        fs::remove_all(dir, ignored);
    }

    fs::path dir;
};

TEST_P(BadFile, GivesAReasonOrASoundPicture)
{
    const FileRow& row = GetParam();
    if (row.needsNonRoot && ::geteuid() == 0)
        GTEST_SKIP() << "root reads every file";

    // The picture the user had: an example, turned a little and zoomed.
    Viewer viewer;
    viewer.ChooseExample("Mandelbrot");
    viewer.session->BarMessage(Bar::Zoom, SB_LINEUP, 0);
    viewer.session->BeginDrag({10, 10});
    viewer.session->DragTo({40, 25});
    viewer.session->EndDrag();
    const auto sceneBefore = std::make_unique<SceneState>(*viewer.scene);
    const auto pictureBefore = viewer.Picture();

    const fs::path path = row.make(dir);
    ASSERT_FALSE(HasFatalFailure());
    const std::uint64_t readBefore = BytesReadSoFar();
    const DataFileResult result = viewer.ChooseFile(path);
    const std::uint64_t bytesRead = BytesReadSoFar() - readBefore;

    // Never more than one data file's worth, however large the file: the
    // slack covers the read of the counter itself.
    EXPECT_LE(bytesRead, kDataFileSize + 4096);

    if (row.outcome == Outcome::Refused) {
        EXPECT_FALSE(result.Readable());
        EXPECT_EQ(DataFileFailureReason(result), row.message);
        ExpectSameScene(*viewer.scene, *sceneBefore);
        EXPECT_TRUE(viewer.Picture() == pictureBefore) << "the picture changed";
        // The scene kept is the scene drawn: a redraw gives the same picture.
        viewer.Redraw();
        EXPECT_TRUE(viewer.Picture() == pictureBefore) << "a redraw changed the picture";
        return;
    }

    ASSERT_TRUE(result.Readable()) << DataFileFailureReason(result);
    // The counter does count: what was read is all there was, or 80000.
    EXPECT_GE(bytesRead, std::min<std::uintmax_t>(result.size, kDataFileSize));
    EXPECT_EQ(DataFileSizeRemark(result), row.message);
    EXPECT_EQ(viewer.scene->zScale, 1.0);
    EXPECT_EQ(viewer.scene->zoomLevel, kResetZoom);
    EXPECT_EQ(viewer.scene->selectedExample, "Mandelbrot");
    row.expectHeights(*viewer.scene);
    ExpectSoundScene(*viewer.scene);
    ExpectSoundPicture(viewer);
}

INSTANTIATE_TEST_SUITE_P(Rows, BadFile, ::testing::ValuesIn(kFileRows),
                         [](const ::testing::TestParamInfo<FileRow>& row) {
                             return std::string(row.param.name);
                         });

// --- Views pushed into a corner ----------------------------------------------

enum class Picture {
    AllBlack,  // nothing can be seen
    Unchanged, // the same pixels as before the step
    Sound,     // any sound picture
};

struct ViewRow {
    const char* name;
    bool fromExample; // start from "sin(x)*sin(y)" drawn, else from no source at all
    std::function<void(Viewer&)> step;
    Picture picture;
};

// Every control, each followed by a redraw as in the window.
void EveryControl(Viewer& v)
{
    ViewerSession& s = *v.session;
    for (unsigned code = 0; code <= SB_ENDSCROLL + 1; ++code)
        for (unsigned position : {0u, 30u, 50u, 300u, 0xFFFFFFFFu}) {
            s.BarMessage(Bar::Zoom, ScrollCode(code), position);
            s.BarMessage(Bar::Distance, ScrollCode(code), position);
        }
    s.BeginDrag({0, 0});
    for (POINT p : {POINT{0, 0}, POINT{5, -7}, POINT{INT32_MAX, INT32_MIN}, POINT{INT32_MIN, 0}})
        s.DragTo(p);
    s.EndDrag();
    s.ToggleColor();
    s.Redraw();
    s.ToggleColor();
    s.Redraw();
}

const ViewRow kViewRows[] = {
    {"every_control_before_the_first_source", false, EveryControl, Picture::AllBlack},
    {"every_control_after_a_source", true, EveryControl, Picture::Sound},
    {"eye_exactly_at_the_target", true,
     [](Viewer& v) {
         v.scene->eye = v.scene->target;
         v.Redraw();
         EXPECT_FALSE(v.session->BarMessage(Bar::Distance, SB_LINEUP, 0).distanceBar.position);
         v.session->BeginDrag({0, 0});
         v.session->DragTo({50, 50});
     },
     Picture::AllBlack},
    {"up_along_the_line_of_sight", true,
     [](Viewer& v) {
         v.scene->up = Scale(-3.0, v.scene->eye);
         v.Redraw();
     },
     Picture::AllBlack},
    {"drag_turning_the_eye_onto_up", true,
     [](Viewer& v) {
         // Straight up the picture by half a turn and more: the line of
         // sight passes the up direction on the way.
         v.session->BeginDrag({300, 300});
         for (int y = 299; y >= -400; --y) {
             v.session->DragTo({300, y});
             ASSERT_TRUE(IsFinite(v.scene->eye)) << y;
             ASSERT_TRUE(IsFinite(v.scene->up)) << y;
         }
         v.session->EndDrag();
     },
     Picture::Sound},
    {"zero_length_drag", true,
     [](Viewer& v) {
         const Vec3 eye = v.scene->eye;
         v.session->BeginDrag({123, -45});
         for (int i = 0; i < 3; ++i)
             EXPECT_TRUE(v.session->DragTo({123, -45}).redrawn);
         v.session->EndDrag();
         EXPECT_EQ(Bits(v.scene->eye.x), Bits(eye.x));
         EXPECT_EQ(Bits(v.scene->eye.y), Bits(eye.y));
         EXPECT_EQ(Bits(v.scene->eye.z), Bits(eye.z));
     },
     Picture::Unchanged},
};

void PrintTo(const ViewRow& row, std::ostream* os)
{
    *os << row.name;
}

class CornerView : public ::testing::TestWithParam<ViewRow> {};

TEST_P(CornerView, StaysSound)
{
    const ViewRow& row = GetParam();
    Viewer viewer;
    if (row.fromExample)
        viewer.ChooseExample("sin(x)*sin(y)");
    else
        viewer.Redraw();
    const auto before = viewer.Picture();

    row.step(viewer);
    ASSERT_FALSE(HasFatalFailure());

    ExpectSoundScene(*viewer.scene);
    ExpectSoundPicture(viewer);
    switch (row.picture) {
    case Picture::AllBlack:
        EXPECT_TRUE(viewer.AllBlack());
        break;
    case Picture::Unchanged:
        EXPECT_TRUE(viewer.Picture() == before) << "the picture changed";
        break;
    case Picture::Sound:
        break;
    }
    // Whatever happened, the next source brings the reset view back.
    const auto reference = std::make_unique<Viewer>();
    reference->ChooseExample("Mandelbrot");
    viewer.ChooseExample("Mandelbrot");
    EXPECT_TRUE(viewer.Picture() == reference->Picture()) << "the reset view differs";
}

INSTANTIATE_TEST_SUITE_P(Rows, CornerView, ::testing::ValuesIn(kViewRows),
                         [](const ::testing::TestParamInfo<ViewRow>& row) {
                             return std::string(row.param.name);
                         });

// --- A current directory past PATH_MAX, with names that are not UTF-8 --------

// Latin-1 and stray bytes, and a name that is valid UTF-8 for contrast.
constexpr const char* kDeepNames[] = {"ni\xf1o.hyt", "\xff\xfe.HYT", "a\xc3\xb1o.hyt"};

TEST(DeepCurrentDirectory, ListsLoadsAndDrawsNamesThatAreNotUtf8)
{
    std::string pattern = (fs::temp_directory_path() / "hyt-deep-XXXXXX").string();
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    {
        DeepDirectory deep(pattern);
        ASSERT_TRUE(deep.Ok());
        char small[4097];
        ASSERT_EQ(::getcwd(small, sizeof small), nullptr) << "not deeper than 4096 bytes";
        double value = 1.0;
        for (const char* name : kDeepNames) {
            WriteFile(name, CyclingRecords({value, -value}));
            value += 1.0;
        }

        const std::vector<DataFileEntry> entries = ListDataFiles(".");
        ASSERT_EQ(entries.size(), 3u);
        Viewer viewer;
        for (const DataFileEntry& entry : entries) {
            SCOPED_TRACE(entry.name);
            const DataFileResult result = viewer.ChooseFile(entry.path);
            ASSERT_TRUE(result.Readable()) << DataFileFailureReason(result);
            // Each file's own heights: the first record tells them apart.
            std::ifstream in(entry.path, std::ios::binary);
            Bytes first(8);
            in.read(reinterpret_cast<char*>(first.data()), 8);
            std::uint64_t bits = 0;
            for (int b = 0; b < 8; ++b)
                bits |= std::uint64_t(first[std::size_t(b)]) << (8 * b);
            EXPECT_EQ(Bits(viewer.scene->heights[0]), bits);
            ExpectSoundScene(*viewer.scene);
            EXPECT_FALSE(viewer.AllBlack());
        }
    }
    fs::remove_all(pattern);
}

} // namespace
} // namespace hyt
