// The data-file reader and the listing of data files, on real files made by
// each test in a fresh temporary directory and named for their defect.
#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "scene/DataFile.h"
#include "texts/Texts.h"
#include "support/DataFileBytes.h"
#include "support/DeepDirectory.h"
#include "support/SceneCompare.h"

namespace hyt {
namespace {

using namespace hyt::test;
namespace fs = std::filesystem;
using Heights = std::array<double, kVertexCount>;

std::uint64_t Bits(double value)
{
    return std::bit_cast<std::uint64_t>(value);
}

class DataFileTest : public ::testing::Test {
  protected:
    void SetUp() override
    {
        std::string pattern = (fs::temp_directory_path() / "hyt-datafile-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        dir = pattern;
    }
    void TearDown() override
    {
        std::error_code ignored;
        fs::permissions(dir, fs::perms::owner_all, fs::perm_options::add, ignored);
        fs::remove_all(dir, ignored);
    }

    fs::path dir;
};

// A bar display that remembers what it was told.
struct RecordingBars : BarDisplay {
    void SetBarRange(Bar bar, int minPos, int maxPos) override
    {
        calls.push_back({bar, minPos, maxPos});
    }
    void SetBarPosition(Bar bar, int pos) override { calls.push_back({bar, pos, pos}); }
    struct Call {
        Bar bar;
        int a;
        int b;
    };
    std::vector<Call> calls;
};

// A scene far from the reset view, so that any change shows.
std::unique_ptr<SceneState> StrangeScene()
{
    auto scene = std::make_unique<SceneState>();
    for (int k = 0; k < kVertexCount; ++k)
        scene->heights[k] = -0.5 * k;
    scene->zScale = 7.0;
    scene->selectedExample = "sin(x)*sin(y)";
    scene->eye = Vec3{1.0, 2.0, 3.0};
    scene->up = Vec3{0.0, 0.0, 1.0};
    scene->target = Vec3{4.0, 5.0, 6.0};
    scene->zoomLevel = 3.0;
    scene->palette.fill(0x123456);
    return scene;
}

// --- Reading: sizes and the 8-byte buffer --------------------------------

struct SizeCase {
    const char* fileName;
    std::function<Bytes()> content;
    std::uintmax_t size;
    // The bit pattern expected in cell k.
    std::function<std::uint64_t(int k)> cell;
};

// 999.0 is 0x408F380000000000; a 2-byte fragment AA BB replaces its two
// low-order bytes.
constexpr std::uint64_t kRecord999WithFragment = 0x408F38000000BBAAull;

const SizeCase kSizeCases[] = {
    {"exact_80000.hyt", [] { return CountingRecords(10000); }, 80000,
     [](int k) { return Bits(double(k)); }},
    {"extra_record_80008.hyt", [] { return CountingRecords(10001); }, 80008,
     [](int k) { return Bits(double(k)); }},
    {"thousand_records_8000.hyt", [] { return CountingRecords(1000); }, 8000,
     [](int k) { return Bits(double(std::min(k, 999))); }},
    {"fragment_of_two_bytes_8002.hyt",
     [] {
         Bytes bytes = CountingRecords(1000);
         bytes.push_back(0xAA);
         bytes.push_back(0xBB);
         return bytes;
     },
     8002, [](int k) { return k < 1000 ? Bits(double(k)) : kRecord999WithFragment; }},
    {"empty.hyt", [] { return Bytes{}; }, 0, [](int) { return Bits(0.0); }},
    {"fragment_only_7.hyt", [] { return Bytes{1, 2, 3, 4, 5, 6, 7}; }, 7,
     [](int) { return std::uint64_t{0x0007060504030201ull}; }},
    {"nan_and_infinity_kept.hyt",
     [] {
         Bytes bytes;
         AppendRecord(bytes, std::bit_cast<double>(0x7FF8000000000123ull));
         AppendRecord(bytes, -std::numeric_limits<double>::infinity());
         return bytes;
     },
     16,
     [](int k) {
         return k == 0 ? std::uint64_t{0x7FF8000000000123ull}
                       : Bits(-std::numeric_limits<double>::infinity());
     }},
};

TEST_F(DataFileTest, SizesFillTheGridThroughTheEightByteBuffer)
{
    for (const SizeCase& c : kSizeCases) {
        SCOPED_TRACE(c.fileName);
        const fs::path path = dir / c.fileName;
        WriteFile(path, c.content());

        auto heights = std::make_unique<Heights>();
        heights->fill(-1.0);
        const DataFileResult result = ReadDataFile(path, *heights);

        ASSERT_EQ(result.status, DataFileStatus::Ok);
        EXPECT_EQ(result.error, 0);
        EXPECT_EQ(result.size, c.size);
        EXPECT_EQ(result.SizeMismatch(), c.size != kDataFileSize);
        EXPECT_EQ(DataFileFailureReason(result), "");
        int wrong = 0;
        for (int k = 0; k < kVertexCount; ++k) {
            if (Bits((*heights)[k]) != c.cell(k) && wrong++ < 3)
                ADD_FAILURE() << "cell " << k << " holds " << (*heights)[k];
        }
        EXPECT_EQ(wrong, 0);
    }
}

TEST_F(DataFileTest, SizeMismatchIsDescribedWithBothSizes)
{
    WriteFile(dir / "short.hyt", CountingRecords(1000));
    auto heights = std::make_unique<Heights>();
    const DataFileResult result = ReadDataFile(dir / "short.hyt", *heights);
    EXPECT_EQ(DataFileSizeRemark(result), "tiene 8000 bytes y se esperaban 80000");

    WriteFile(dir / "exact.hyt", CountingRecords(10000));
    EXPECT_EQ(DataFileSizeRemark(ReadDataFile(dir / "exact.hyt", *heights)), "");
}

// A file of gigabytes must not be read into memory: only its first 80000
// bytes count, and its size is reported as it is.
TEST_F(DataFileTest, HugeSparseFileReadsOnlyTheFirstRecords)
{
    const fs::path path = dir / "sparse_4_gib.hyt";
    Bytes first;
    AppendRecord(first, 42.0);
    WriteFile(path, first);
    const std::uintmax_t hugeSize = std::uintmax_t{4} << 30;
    const int fd = ::open(path.c_str(), O_WRONLY);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::ftruncate(fd, off_t(hugeSize)), 0) << std::strerror(errno);
    ::close(fd);

    auto heights = std::make_unique<Heights>();
    const DataFileResult result = ReadDataFile(path, *heights);
    ASSERT_EQ(result.status, DataFileStatus::Ok);
    EXPECT_EQ(result.size, hugeSize);
    EXPECT_TRUE(result.SizeMismatch());
    EXPECT_EQ((*heights)[0], 42.0);
    EXPECT_EQ(std::count((*heights).begin(), (*heights).end(), 0.0), kVertexCount - 1);
}

// --- Failures: the scene stays exactly as it was --------------------------

struct FailureCase {
    const char* name;
    std::function<void(const fs::path&)> make; // makes the thing at the path
    DataFileStatus status;
    const char* reason;
};

const FailureCase kFailureCases[] = {
    {"missing.hyt", [](const fs::path&) {}, DataFileStatus::OpenFailed, "no existe"},
    {"directory_named_like_data.hyt", [](const fs::path& p) { fs::create_directory(p); },
     DataFileStatus::NotRegular, "es una carpeta, no un fichero"},
    // Opening a FIFO for reading would wait for a writer for ever.
    {"fifo_without_writer.hyt", [](const fs::path& p) { ASSERT_EQ(::mkfifo(p.c_str(), 0600), 0); },
     DataFileStatus::NotRegular, "no es un fichero normal"},
    {"link_to_device.hyt", [](const fs::path& p) { fs::create_symlink("/dev/zero", p); },
     DataFileStatus::NotRegular, "no es un fichero normal"},
    {"dangling_link.hyt", [](const fs::path& p) { fs::create_symlink("nowhere.hyt", p); },
     DataFileStatus::OpenFailed, "no existe"},
    {"below_a_file.hyt/x.hyt",
     [](const fs::path& p) { WriteFile(p.parent_path(), CountingRecords(10000)); },
     DataFileStatus::OpenFailed, "no existe"},
};

TEST_F(DataFileTest, UnreadableFileLeavesTheSceneUntouched)
{
    for (const FailureCase& c : kFailureCases) {
        SCOPED_TRACE(c.name);
        const fs::path path = dir / c.name;
        c.make(path);

        auto scene = StrangeScene();
        const auto before = StrangeScene();
        RecordingBars bars;
        const DataFileResult result = LoadDataFile(*scene, path, &bars);
        EXPECT_EQ(result.status, c.status);
        EXPECT_FALSE(result.Readable());
        EXPECT_FALSE(result.SizeMismatch());
        EXPECT_EQ(DataFileFailureReason(result), c.reason);
        ExpectSameScene(*scene, *before);
        EXPECT_TRUE(bars.calls.empty());

        const DataFileResult direct = ReadDataFile(path, scene->heights);
        EXPECT_EQ(direct.status, c.status);
        EXPECT_EQ(scene->heights, before->heights);
    }
}

TEST_F(DataFileTest, FileWithoutReadPermissionLeavesTheSceneUntouched)
{
    if (::geteuid() == 0)
        GTEST_SKIP() << "root reads every file";
    const fs::path path = dir / "no_read_permission.hyt";
    WriteFile(path, CountingRecords(10000));
    fs::permissions(path, fs::perms::none);

    auto scene = StrangeScene();
    const auto before = StrangeScene();
    const DataFileResult result = LoadDataFile(*scene, path, nullptr);
    EXPECT_EQ(result.status, DataFileStatus::OpenFailed);
    EXPECT_EQ(DataFileFailureReason(result), "no hay permiso para leerlo");
    ExpectSameScene(*scene, *before);
}

TEST(DataFileFailureReasonTest, ReasonsForErrorsThatFilesCannotEasilyMake)
{
    const struct {
        DataFileResult result;
        const char* reason;
    } cases[] = {
        {{DataFileStatus::ReadFailed, EIO, 0},
         "error de lectura: error de entrada/salida del disco"},
        {{DataFileStatus::OpenFailed, ELOOP, 0}, "hay demasiados enlaces simbólicos en su camino"},
        {{DataFileStatus::OpenFailed, EACCES, 0}, "no hay permiso para leerlo"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(DataFileFailureReason(c.result), c.reason);
}

TEST_F(DataFileTest, LoadingResetsTheViewAndTakesTheHeights)
{
    const fs::path path = dir / "counting.hyt";
    WriteFile(path, CountingRecords(10000));
    auto scene = StrangeScene();
    RecordingBars bars;

    const DataFileResult result = LoadDataFile(*scene, path, &bars);
    ASSERT_TRUE(result.Readable());
    for (int i = 0; i < kGridSize; ++i)
        for (int j = 0; j < kGridSize; ++j)
            ASSERT_EQ(scene->heights[100 * i + j], 100.0 * i + j);
    EXPECT_EQ(scene->zScale, 1.0);
    EXPECT_EQ(scene->eye.x, kResetEye.x);
    EXPECT_EQ(scene->eye.y, kResetEye.y);
    EXPECT_EQ(scene->zoomLevel, kResetZoom);
    EXPECT_EQ(scene->target.x, 0.0);
    EXPECT_EQ(scene->palette[254], Rgb(254, 0, 1));
    // The file source leaves the remembered example label alone.
    EXPECT_EQ(scene->selectedExample, "sin(x)*sin(y)");
    EXPECT_EQ(bars.calls.size(), 4u);
}

// --- Listing ---------------------------------------------------------------

std::vector<std::string> Names(const std::vector<DataFileEntry>& entries)
{
    std::vector<std::string> names;
    for (const DataFileEntry& e : entries)
        names.push_back(e.name);
    return names;
}

std::vector<std::string> FileNames(const std::vector<DataFileEntry>& entries)
{
    std::vector<std::string> names;
    for (const DataFileEntry& e : entries)
        names.push_back(e.path.filename().native());
    return names;
}

TEST_F(DataFileTest, ListsRegularFilesEndingInHytInAnyCase)
{
    for (const char* name :
         {"a.hyt", "B.HYT", "c.HyT", ".hyt", "notes.txt", "d.hytx", "hyt", "x.hy", "e.hyt.bak"})
        WriteFile(dir / name, CountingRecords(10000));
    fs::create_directory(dir / "directory.hyt");
    ASSERT_EQ(::mkfifo((dir / "fifo.hyt").c_str(), 0600), 0);
    fs::create_symlink("a.hyt", dir / "link_to_file.hyt");
    fs::create_symlink("directory.hyt", dir / "link_to_directory.hyt");
    fs::create_symlink("nowhere", dir / "dangling_link.hyt");

    const std::vector<DataFileEntry> entries = ListDataFiles(dir);
    EXPECT_EQ(Names(entries), (std::vector<std::string>{"", "a", "B", "c", "link_to_file"}));
    EXPECT_EQ(FileNames(entries),
              (std::vector<std::string>{".hyt", "a.hyt", "B.HYT", "c.HyT", "link_to_file.hyt"}));
    // Every entry opens the very file it came from.
    auto heights = std::make_unique<Heights>();
    for (const DataFileEntry& e : entries)
        EXPECT_TRUE(ReadDataFile(e.path, *heights).Readable()) << e.path;
}

TEST_F(DataFileTest, ListIsSortedWithoutRegardToCaseTiesByBytes)
{
    for (const char* name :
         {"b.hyt", "B.hyt", "a.hyt", "a.HYT", "A.hyt", "_x.hyt", "ab.hyt", "\xff\xfe.hyt"})
        WriteFile(dir / name, {});

    const std::vector<DataFileEntry> entries = ListDataFiles(dir);
    EXPECT_EQ(Names(entries),
              (std::vector<std::string>{"_x", "A", "a", "a", "ab", "B", "b", "\xff\xfe"}));
    EXPECT_EQ(FileNames(entries)[2], "a.HYT");
    EXPECT_EQ(FileNames(entries)[3], "a.hyt");
}

TEST_F(DataFileTest, NameThatIsNotUtf8IsListedAndOpens)
{
    const std::string name = "caf\xe9_latin1.hyt"; // Latin-1 e acute: not UTF-8
    Bytes one;
    AppendRecord(one, 5.5);
    WriteFile(dir / name, one);

    const std::vector<DataFileEntry> entries = ListDataFiles(dir);
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].name, "caf\xe9_latin1");
    auto heights = std::make_unique<Heights>();
    ASSERT_TRUE(ReadDataFile(entries[0].path, *heights).Readable());
    EXPECT_EQ((*heights)[9999], 5.5);
}

TEST_F(DataFileTest, MissingDirectoryGivesAnEmptyList)
{
    EXPECT_TRUE(ListDataFiles(dir / "missing").empty());
    WriteFile(dir / "plain_file", {});
    EXPECT_TRUE(ListDataFiles(dir / "plain_file").empty());
}

// The current directory may lie deeper than any fixed buffer: list it as "."
// and open its entries by their relative paths.
TEST_F(DataFileTest, CurrentDirectoryDeeperThanPathMax)
{
    DeepDirectory deep(dir);
    ASSERT_TRUE(deep.Ok());
    char small[4096];
    ASSERT_EQ(::getcwd(small, sizeof small), nullptr) << "not deep enough";
    WriteFile("deep.hyt", CountingRecords(10000));

    const std::vector<DataFileEntry> entries = ListDataFiles(".");
    ASSERT_EQ(Names(entries), std::vector<std::string>{"deep"});
    auto scene = StrangeScene();
    const DataFileResult result = LoadDataFile(*scene, entries[0].path, nullptr);
    ASSERT_TRUE(result.Readable()) << DataFileFailureReason(result);
    EXPECT_FALSE(result.SizeMismatch());
    EXPECT_EQ(scene->heights[9999], 9999.0);
}

} // namespace
} // namespace hyt
