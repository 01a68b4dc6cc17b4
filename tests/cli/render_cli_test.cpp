// hyt-render run as a user runs it: its files, its --info lines, its exit
// status and its messages, against the core and against worked values.
#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <memory>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include <sys/wait.h>
#include <unistd.h>

#include <QImage>

#include "render/Canvas.h"
#include "render/SurfaceRenderer.h"
#include "scene/Examples.h"
#include "view/ViewControls.h"
#include "view/ViewerSession.h"

namespace hyt {
namespace {

namespace fs = std::filesystem;

struct Outcome {
    int status = -1;
    std::string out;
    std::string err;
};

std::string ReadAll(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

class RenderCliTest : public ::testing::Test {
  protected:
    void SetUp() override
    {
        std::string pattern = (fs::temp_directory_path() / "hyt-cli-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        dir = pattern;
        fs::create_directory(dir / "out");
    }
    void TearDown() override
    {
        std::error_code ignored;
        fs::remove_all(dir, ignored);
    }

    // Runs hyt-render with these arguments, in the test's directory.
    Outcome Run(const std::vector<std::string>& arguments)
    {
        const fs::path outFile = dir / "stdout.txt";
        const fs::path errFile = dir / "stderr.txt";
        const pid_t child = ::fork();
        if (child == 0) {
            if (!std::freopen(outFile.c_str(), "w", stdout) ||
                !std::freopen(errFile.c_str(), "w", stderr) || ::chdir(dir.c_str()) != 0)
                ::_exit(127);
            std::vector<char*> argv{const_cast<char*>(HYT_RENDER_PATH)};
            for (const std::string& a : arguments)
                argv.push_back(const_cast<char*>(a.c_str()));
            argv.push_back(nullptr);
            ::execv(HYT_RENDER_PATH, argv.data());
            ::_exit(127);
        }
        Outcome outcome;
        int wstatus = 0;
        if (child > 0 && ::waitpid(child, &wstatus, 0) == child && WIFEXITED(wstatus))
            outcome.status = WEXITSTATUS(wstatus);
        outcome.out = ReadAll(outFile);
        outcome.err = ReadAll(errFile);
        return outcome;
    }

    std::vector<std::string> OutputFiles() const
    {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(dir / "out"))
            names.push_back(entry.path().filename().string());
        return names;
    }

    fs::path dir;
};

// --info lines, "name: v1 v2 ..." -> name -> values.
std::map<std::string, std::vector<double>> ParseInfo(const std::string& text)
{
    std::map<std::string, std::vector<double>> info;
    std::istringstream lines(text);
    std::string line;
    while (std::getline(lines, line)) {
        const std::size_t colon = line.find(':');
        if (colon == std::string::npos)
            continue;
        std::istringstream values(line.substr(colon + 1));
        std::vector<double>& target = info[line.substr(0, colon)];
        for (double v; values >> v;)
            target.push_back(v);
    }
    return info;
}

// The heights of a data file, decoded from little-endian bytes here.
std::vector<double> DecodeHeights(const std::string& bytes)
{
    std::vector<double> heights;
    for (std::size_t at = 0; at + 8 <= bytes.size(); at += 8) {
        std::uint64_t bits = 0;
        for (int b = 0; b < 8; ++b)
            bits |= std::uint64_t(static_cast<unsigned char>(bytes[at + b])) << (8 * b);
        heights.push_back(std::bit_cast<double>(bits));
    }
    return heights;
}

void ExpectVec(const std::vector<double>& actual, double x, double y, double z, double tolerance)
{
    ASSERT_EQ(actual.size(), 3u);
    EXPECT_NEAR(actual[0], x, tolerance);
    EXPECT_NEAR(actual[1], y, tolerance);
    EXPECT_NEAR(actual[2], z, tolerance);
}

// --- The heights written -------------------------------------------------------

TEST_F(RenderCliTest, SavedHeightsAreExactlyThoseOfEachGenerator)
{
    for (const ExampleSurface& example : kExamples) {
        SCOPED_TRACE(std::string(example.label));
        const fs::path saved = dir / "out" / "example.hyt";
        const Outcome run = Run({"--example", std::string(example.label), "--save-hyt", saved});
        ASSERT_EQ(run.status, 0) << run.err;
        EXPECT_EQ(run.err, "");

        const std::string bytes = ReadAll(saved);
        ASSERT_EQ(bytes.size(), 80000u);
        const std::vector<double> heights = DecodeHeights(bytes);
        auto scene = std::make_unique<SceneState>();
        example.generate(*scene);
        for (int k = 0; k < kVertexCount; ++k)
            ASSERT_EQ(std::bit_cast<std::uint64_t>(heights[k]),
                      std::bit_cast<std::uint64_t>(scene->heights[k]))
                << "vertex " << k;
    }
}

TEST_F(RenderCliTest, SavedHeightsMatchWorkedVertexValues)
{
    const fs::path saved = dir / "out" / "mandelbrot.hyt";
    ASSERT_EQ(Run({"--example", "Mandelbrot", "--save-hyt", saved}).status, 0);
    const std::vector<double> mandelbrot = DecodeHeights(ReadAll(saved));
    ASSERT_EQ(mandelbrot.size(), 10000u);
    // p = -2.2 + 1.5i escapes after 4 iterations; p = -0.7 never does.
    EXPECT_DOUBLE_EQ(mandelbrot[0], 25.0 * std::log(4.0));
    EXPECT_DOUBLE_EQ(mandelbrot[100 * 50 + 50], 25.0 * std::log(256.0));

    ASSERT_EQ(Run({"--example", "sin(x)*sin(y)", "--save-hyt", saved}).status, 0);
    const std::vector<double> product = DecodeHeights(ReadAll(saved));
    ASSERT_EQ(product.size(), 10000u);
    EXPECT_NEAR(product[0], std::sin(9.0) * std::sin(-9.0), 1e-12);
}

TEST_F(RenderCliTest, DataFileRoundTripsThroughSaveHyt)
{
    std::string bytes;
    for (int n = 0; n < 10000; ++n) {
        const auto bits = std::bit_cast<std::uint64_t>(0.25 * n - 7.0);
        for (int b = 0; b < 8; ++b)
            bytes.push_back(static_cast<char>(bits >> (8 * b)));
    }
    std::ofstream(dir / "ramp.hyt", std::ios::binary) << bytes;

    const Outcome run = Run({"--file", "ramp.hyt", "--save-hyt", "out/copy.hyt", "--info"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(ReadAll(dir / "out" / "copy.hyt"), bytes);
    const auto info = ParseInfo(run.out);
    EXPECT_EQ(info.at("zScale"), std::vector<double>{1.0});
    EXPECT_EQ(info.at("minHeight"), std::vector<double>{-7.0});
    EXPECT_EQ(info.at("maxHeight"), std::vector<double>{0.25 * 9999 - 7.0});
}

// Paths are bytes: a name that is not UTF-8 is read and written as given.
TEST_F(RenderCliTest, PathsThatAreNotUtf8)
{
    const std::string input = "caf\xe9_latin1.hyt";
    const std::string output = "out/r\xe9sultat_latin1.hyt";
    std::string bytes(80000, '\0');
    bytes[0] = 0x01;
    std::ofstream(dir / input, std::ios::binary) << bytes;

    const Outcome run = Run({"--file", input, "--save-hyt", output});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(ReadAll(dir / output), bytes);
}

// A short file is drawn as the reader fills it, with one warning line.
TEST_F(RenderCliTest, ShortFileIsDrawnWithAWarning)
{
    std::string bytes;
    for (int n = 0; n < 1000; ++n) {
        const auto bits = std::bit_cast<std::uint64_t>(double(n));
        for (int b = 0; b < 8; ++b)
            bytes.push_back(static_cast<char>(bits >> (8 * b)));
    }
    std::ofstream(dir / "thousand_records.hyt", std::ios::binary) << bytes;

    const Outcome run = Run(
        {"--file", "thousand_records.hyt", "--save-hyt", "out/filled.hyt", "--out", "out/p.png"});
    EXPECT_EQ(run.status, 0);
    EXPECT_NE(run.err.find("8000"), std::string::npos) << run.err;
    EXPECT_NE(run.err.find("80000"), std::string::npos) << run.err;
    EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
    const std::vector<double> filled = DecodeHeights(ReadAll(dir / "out" / "filled.hyt"));
    ASSERT_EQ(filled.size(), 10000u);
    EXPECT_EQ(filled[999], 999.0);
    EXPECT_EQ(filled[9999], 999.0);
    EXPECT_TRUE(fs::exists(dir / "out" / "p.png"));
}

// --- The view ------------------------------------------------------------------

TEST_F(RenderCliTest, InfoAfterTheResetView)
{
    const Outcome run = Run({"--example", "Mandelbrot", "--info"});
    ASSERT_EQ(run.status, 0) << run.err;
    const auto info = ParseInfo(run.out);
    for (const char* name : {"eye", "up", "right", "zoomLevel", "distance", "zScale", "minHeight",
                             "maxHeight", "order"})
        EXPECT_EQ(info.count(name), 1u) << name;
    ExpectVec(info.at("eye"), 115.0, -194.0, 197.0, 0.0);
    ExpectVec(info.at("up"), -0.923046, -0.286642, 0.256557, 1e-6);
    ExpectVec(info.at("right"), -0.022363, 0.705776, 0.708082, 1e-6);
    EXPECT_NEAR(info.at("distance").at(0), 299.4494949, 1e-7);
    EXPECT_EQ(info.at("zoomLevel"), std::vector<double>{25.0});
    EXPECT_EQ(info.at("zScale"), std::vector<double>{0.15});
    EXPECT_DOUBLE_EQ(info.at("minHeight").at(0), 25.0 * std::log(4.0));
    EXPECT_DOUBLE_EQ(info.at("maxHeight").at(0), 25.0 * std::log(256.0));
    EXPECT_EQ(info.at("order"), std::vector<double>{1.0});
}

TEST_F(RenderCliTest, InfoAfterActions)
{
    struct Case {
        std::vector<std::string> actions;
        double eye[3];
        double tolerance;
        double distance;
        double zoom;
    };
    const Case cases[] = {
        // Ten pixels to the right turn the eye by 0.0466804 radians.
        {{"--drag", "10,0"}, {115.1872, -203.6507, 186.8911}, 1e-4, 299.4494949, 25.0},
        // The width of the picture is half a turn.
        {{"--drag", "673,0"}, {-115.0, 194.0, -197.0}, 1e-9, 299.4494949, 25.0},
        {{"--drag", "0,0"}, {115.0, -194.0, 197.0}, 0.0, 299.4494949, 25.0},
        // The thumb moves the eye along its own direction.
        {{"--distance", "100"},
         {115.0 * 100 / 299.4494949, -194.0 * 100 / 299.4494949, 197.0 * 100 / 299.4494949},
         1e-6,
         100.0,
         25.0},
        {{"--zoom", "10"}, {115.0, -194.0, 197.0}, 0.0, 299.4494949, 10.0},
        // Actions run in the order given.
        {{"--zoom", "10", "--zoom", "40"}, {115.0, -194.0, 197.0}, 0.0, 299.4494949, 40.0},
        {{"--zoom", "40", "--distance", "30", "--zoom", "0"},
         {115.0 * 30 / 299.4494949, -194.0 * 30 / 299.4494949, 197.0 * 30 / 299.4494949},
         1e-6,
         30.0,
         0.0},
    };
    for (const Case& c : cases) {
        std::vector<std::string> arguments{"--example", "sin(y)*x", "--info"};
        arguments.insert(arguments.end(), c.actions.begin(), c.actions.end());
        SCOPED_TRACE(testing::PrintToString(c.actions));
        const Outcome run = Run(arguments);
        ASSERT_EQ(run.status, 0) << run.err;
        const auto info = ParseInfo(run.out);
        ExpectVec(info.at("eye"), c.eye[0], c.eye[1], c.eye[2], c.tolerance);
        EXPECT_NEAR(info.at("distance").at(0), c.distance, 1e-6);
        EXPECT_EQ(info.at("zoomLevel").at(0), c.zoom);
        const auto& eye = info.at("eye");
        EXPECT_EQ(info.at("order").at(0),
                  static_cast<int>(ChooseDrawingOrder(eye.at(1), eye.at(2))));
    }
}

// After half a turn the eye stands on the other side: another drawing order.
TEST_F(RenderCliTest, DragsAccumulateAndChangeTheOrder)
{
    const Outcome run =
        Run({"--example", "Mandelbrot", "--drag", "300,0", "--drag", "373,0", "--info"});
    ASSERT_EQ(run.status, 0) << run.err;
    const auto info = ParseInfo(run.out);
    ExpectVec(info.at("eye"), -115.0, 194.0, -197.0, 1e-6);
    EXPECT_EQ(info.at("order"), std::vector<double>{3.0});
}

// --- Pictures ------------------------------------------------------------------

std::set<QRgb> Colours(const QImage& image)
{
    std::set<QRgb> colours;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            colours.insert(image.pixel(x, y) | 0xFF000000u);
    return colours;
}

TEST_F(RenderCliTest, OutWritesTheShownPictureAsPng)
{
    ASSERT_EQ(Run({"--example", "Mandelbrot", "--out", "out/colour.png"}).status, 0);
    ASSERT_EQ(Run({"--example", "Mandelbrot", "--plain", "--out", "out/plain.png"}).status, 0);

    const QImage colour(QString::fromStdString((dir / "out" / "colour.png").string()), "PNG");
    const QImage plain(QString::fromStdString((dir / "out" / "plain.png").string()), "PNG");
    ASSERT_FALSE(colour.isNull());
    ASSERT_FALSE(plain.isNull());
    EXPECT_EQ(colour.size(), QSize(673, 496));
    EXPECT_EQ(plain.size(), QSize(673, 496));
    EXPECT_EQ(colour.pixel(0, 0), qRgb(0, 0, 0));

    // Plain: black background, red fill, grey outlines and nothing else.
    const std::set<QRgb> expectedPlain{qRgb(0, 0, 0), qRgb(255, 0, 0), qRgb(50, 50, 50)};
    EXPECT_EQ(Colours(plain), expectedPlain);
    // Colour: the palette runs from blue to red.
    const std::set<QRgb> colours = Colours(colour);
    EXPECT_GT(colours.size(), 50u);
    EXPECT_TRUE(colours.count(qRgb(0, 0, 255)) == 1 || colours.count(qRgb(1, 0, 254)) == 1);
}

TEST_F(RenderCliTest, PictureMatchesTheCoresRedraw)
{
    ASSERT_EQ(Run({"--example", "sin(x)*sin(y)", "--zoom", "30", "--out", "out/z.png"}).status, 0);
    const QImage written(QString::fromStdString((dir / "out" / "z.png").string()), "PNG");
    ASSERT_EQ(written.size(), QSize(673, 496));

    // The window's path: choose, release the "Z" thumb at 20.
    ViewerSession session;
    session.ChooseExample("sin(x)*sin(y)");
    session.BarMessage(Bar::Zoom, SB_THUMBPOSITION, 20);
    const Canvas* canvas = &session.Picture();
    int differing = 0;
    for (int y = 0; y < 496; ++y)
        for (int x = 0; x < 673; ++x)
            differing += (written.pixel(x, y) | 0xFF000000u) != canvas->PixelAt(x, y);
    EXPECT_EQ(differing, 0);
}

// --- Refusals: one line, status 2, nothing written -------------------------------

TEST_F(RenderCliTest, BadInputIsRefusedAndWritesNothing)
{
    fs::create_directory(dir / "folder.hyt");
    const std::vector<std::vector<std::string>> cases = {
        {"--info"},
        {"--example", "Mandelbrot", "--file", "x.hyt"},
        {"--example", "Mandelbrot", "--example", "Mandelbrot"},
        {"--example", "mandelbrot"},
        {"--example", "Mandelbrot "},
        {"--example", "Mandelbrot", "--zoom", "51"},
        {"--example", "Mandelbrot", "--zoom", "-1"},
        {"--example", "Mandelbrot", "--zoom", "2.5"},
        {"--example", "Mandelbrot", "--zoom"},
        {"--example", "Mandelbrot", "--distance", "29"},
        {"--example", "Mandelbrot", "--distance", "301"},
        {"--example", "Mandelbrot", "--distance", "x"},
        {"--example", "Mandelbrot", "--drag", "10"},
        {"--example", "Mandelbrot", "--drag", "10,"},
        {"--example", "Mandelbrot", "--drag", "1,2,3"},
        {"--example", "Mandelbrot", "--drag", "a,b"},
        {"--example", "Mandelbrot", "--drag", "99999999999,0"},
        {"--example", "Mandelbrot", "--spin"},
        {"--example", "Mandelbrot", "--plain=yes"},
        {"--example", "Mandelbrot", "stray"},
        {"--file", "missing.hyt"},
        {"--file", "folder.hyt"},
    };
    for (std::vector<std::string> arguments : cases) {
        SCOPED_TRACE(testing::PrintToString(arguments));
        // The outputs go first, so that a missing value takes none of them.
        arguments.insert(arguments.begin(),
                         {"--out", "out/p.png", "--save-hyt", "out/h.hyt", "--info"});
        const Outcome run = Run(arguments);
        EXPECT_EQ(run.status, 2);
        EXPECT_EQ(run.out, "");
        EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
        EXPECT_GT(run.err.size(), std::string("hyt-render: \n").size());
        EXPECT_TRUE(OutputFiles().empty());
    }
}

TEST_F(RenderCliTest, UnreadableFileNamesTheFileAndTheReason)
{
    const Outcome run = Run({"--file", "missing.hyt"});
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.err, "hyt-render: no se puede abrir el fichero \"missing.hyt\": no existe.\n");
}

TEST_F(RenderCliTest, OutputThatCannotBeWrittenLeavesNothingBehind)
{
    const Outcome run = Run({"--example", "Mandelbrot", "--save-hyt", "out/h.hyt", "--out",
                             "out/no_such_folder/p.png"});
    EXPECT_NE(run.status, 0);
    EXPECT_NE(run.err, "");
    EXPECT_TRUE(OutputFiles().empty());
}

TEST_F(RenderCliTest, HelpAndVersion)
{
    const Outcome help = Run({"--help"});
    EXPECT_EQ(help.status, 0);
    for (const char* option : {"--example", "--file", "--zoom", "--distance", "--drag", "--plain",
                               "--out", "--save-hyt", "--info"})
        EXPECT_NE(help.out.find(option), std::string::npos) << option;
    const Outcome version = Run({"--version"});
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out.rfind("hyt-render ", 0), 0u) << version.out;
}

} // namespace
} // namespace hyt
