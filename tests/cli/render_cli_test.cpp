// hyt-render run as a user runs it: its files, its --info lines, its exit
// status and its messages, against the core and against worked values.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <bit>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <limits>
#include <map>
#include <memory>
#include <set>
#include <sstream>
#include <string>
#include <string_view>
#include <thread>
#include <utility>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
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

    // Runs hyt-render with these arguments, in the test's directory. Its
    // standard output goes to a file read back into out, or to standardOutput.
    Outcome Run(const std::vector<std::string>& arguments, const fs::path& standardOutput = {})
    {
        const fs::path outFile = standardOutput.empty() ? dir / "stdout.txt" : standardOutput;
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
        if (standardOutput.empty())
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

TEST_F(RenderCliTest, AFormulaWritingAnExampleGivesItsHeightsAndView)
{
    // The label typed with the example's own intervals; the default
    // intervals are -6,6.
    const struct {
        std::vector<std::string> formula;
        const char* label;
    } rows[] = {
        {{"--formula", "sin(x)*sin(y)", "--x-range", "-9,9", "--y-range", "-9,9"}, "sin(x)*sin(y)"},
        {{"--formula", "sin(sqrt(x*x+y*y))"}, "sin(sqrt(x*x+y*y))"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.label);
        std::vector<std::string> formula = row.formula;
        formula.insert(formula.end(), {"--drag", "30,-12", "--save-hyt", "out/f.hyt", "--info"});
        const Outcome drawn = Run(formula);
        ASSERT_EQ(drawn.status, 0) << drawn.err;
        EXPECT_EQ(drawn.err, "");
        const Outcome example =
            Run({"--example", row.label, "--drag", "30,-12", "--save-hyt", "out/e.hyt", "--info"});
        ASSERT_EQ(example.status, 0) << example.err;

        const std::vector<double> heights = DecodeHeights(ReadAll(dir / "out" / "f.hyt"));
        const std::vector<double> expected = DecodeHeights(ReadAll(dir / "out" / "e.hyt"));
        ASSERT_EQ(heights.size(), std::size_t(kVertexCount));
        ASSERT_EQ(expected.size(), std::size_t(kVertexCount));
        for (int k = 0; k < kVertexCount; ++k)
            ASSERT_NEAR(heights[k], expected[k], 1e-9) << "vertex " << k;

        // The same view; only the height scale is the formula's own, which
        // makes the heights span 30 model units.
        auto info = ParseInfo(drawn.out);
        const auto exampleInfo = ParseInfo(example.out);
        for (const char* name : {"eye", "up", "right", "zoomLevel", "distance", "order"})
            EXPECT_EQ(info[name], exampleInfo.at(name)) << name;
        ASSERT_EQ(info["zScale"].size(), 1u);
        ASSERT_EQ(info["maxHeight"].size(), 1u);
        EXPECT_NEAR(info["zScale"][0] * (info["maxHeight"][0] - info["minHeight"][0]), 30.0, 1e-9);
    }
}

TEST_F(RenderCliTest, AFormulaThatCannotBeDrawnSaysWhereAndWritesNothing)
{
    const struct {
        std::vector<std::string> arguments;
        const char* saying;
    } rows[] = {
        {{"--formula", "sqrt(x*x+y*y"}, "al final, tras el carácter 12"},
        {{"--formula", "sin(x)*z"}, "en el carácter 8"},
        {{"--formula", "2x"}, "en el carácter 2"},
        {{"--formula", ""}, "la fórmula está vacía"},
        {{"--formula", "x", "--x-range", "3,3"}, "el intervalo de x no sirve"},
        {{"--formula", "x", "--y-range", "-1,-inf"}, "el intervalo de y no sirve"},
        {{"--formula", "x", "--x-range", "1"}, "--x-range"},
        {{"--formula", "x", "--y-range", "a,b"}, "--y-range"},
        {{"--formula", "x", "--x-range", "0,1", "--x-range", "0,2"}, "--x-range"},
        {{"--example", "Mandelbrot", "--y-range", "0,1"}, "--y-range solo vale con --formula"},
        {{"--formula", "x", "--example", "Mandelbrot"}, "--formula"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(testing::PrintToString(row.arguments));
        std::vector<std::string> arguments = {"--out", "out/p.png", "--save-hyt", "out/h.hyt",
                                              "--info"};
        arguments.insert(arguments.end(), row.arguments.begin(), row.arguments.end());
        const Outcome run = Run(arguments);
        EXPECT_EQ(run.status, 2);
        EXPECT_EQ(run.out, "");
        EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
        EXPECT_NE(run.err.find(row.saying), std::string::npos) << run.err;
        EXPECT_TRUE(OutputFiles().empty());
    }

    // Heights that are not numbers are drawn without them, with a warning.
    const Outcome nan = Run({"--formula", "ln(x)", "--x-range", "-2,2", "--out", "out/p.png"});
    EXPECT_EQ(nan.status, 0);
    EXPECT_EQ(nan.err, "hyt-render: aviso: en la superficie de la fórmula, 5000 de sus 10000 "
                       "alturas no son números finitos y no se dibujan.\n");
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

// --- Outputs that never destroy what they write over -----------------------------
//
// Each test below is named for a fault that hyt-render had: replacing devices,
// FIFOs and symlinks with regular files, writing over its own input, widening
// a replaced file's permissions, exiting 0 after a lost write, and messages
// that named no file or were partly English.

// Pieces joined into one string.
std::string Cat(std::initializer_list<std::string_view> pieces)
{
    std::string joined;
    for (const std::string_view piece : pieces)
        joined.append(piece);
    return joined;
}

constexpr const char* kPngSignature = "\x89PNG\r\n\x1a\n";

bool IsPng(const std::string& bytes)
{
    return bytes.rfind(kPngSignature, 0) == 0;
}

QImage DecodePng(const std::string& bytes)
{
    return QImage::fromData(reinterpret_cast<const uchar*>(bytes.data()), qsizetype(bytes.size()),
                            "PNG");
}

// A data file of 10000 distinct heights, as a string of bytes.
std::string RampBytes()
{
    std::string bytes;
    for (int n = 0; n < kVertexCount; ++n) {
        const auto bits = std::bit_cast<std::uint64_t>(0.5 * n - 11.0);
        for (int b = 0; b < 8; ++b)
            bytes.push_back(static_cast<char>(bits >> (8 * b)));
    }
    return bytes;
}

struct stat StatOf(const fs::path& path, bool followLinks = true)
{
    struct stat info {};
    EXPECT_EQ(followLinks ? ::stat(path.c_str(), &info) : ::lstat(path.c_str(), &info), 0) << path;
    return info;
}

// Reads a FIFO while hyt-render writes into it. Opened without blocking, it
// never waits for a writer that does not come, so a test cannot hang on it.
class FifoReader {
  public:
    explicit FifoReader(const fs::path& fifo)
        : fd(::open(fifo.c_str(), O_RDONLY | O_NONBLOCK)), thread([this] { Drain(); })
    {
    }
    ~FifoReader()
    {
        done = true;
        if (thread.joinable())
            thread.join();
        ::close(fd);
    }
    // Everything written, once the writer has ended.
    std::string Finish()
    {
        done = true;
        thread.join();
        return data;
    }

  private:
    void Drain()
    {
        std::array<char, 65536> buffer{};
        while (fd >= 0) {
            const ssize_t got = ::read(fd, buffer.data(), buffer.size());
            if (got > 0) {
                data.append(buffer.data(), std::size_t(got));
                continue;
            }
            if (done)
                return;
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
    }

    int fd;
    std::atomic<bool> done = false;
    std::string data;
    std::thread thread;
};

TEST_F(RenderCliTest, FifoIsWrittenThroughNotReplaced)
{
    const fs::path fifo = dir / "out" / "picture.fifo";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    FifoReader reader(fifo);
    const Outcome run = Run({"--example", "Mandelbrot", "--out", "out/picture.fifo"});
    const std::string png = reader.Finish();
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_TRUE(fs::is_fifo(fs::symlink_status(fifo)));
    EXPECT_EQ(DecodePng(png).size(), QSize(673, 496));
}

// What a shell's >(...) and /dev/stdout lead to: an open file in /proc.
TEST_F(RenderCliTest, OpenFileReachedThroughProcIsWrittenThrough)
{
    for (const char* target : {"/proc/self/fd/1", "/dev/fd/1"}) {
        SCOPED_TRACE(target);
        const fs::path pipe = dir / "stdout.fifo";
        ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
        FifoReader reader(pipe);
        const Outcome throughPipe = Run({"--example", "sin(y)*x", "--out", target}, pipe);
        EXPECT_EQ(throughPipe.status, 0) << throughPipe.err;
        EXPECT_EQ(DecodePng(reader.Finish()).size(), QSize(673, 496));
        fs::remove(pipe);

        // Standard output a regular file: the same file receives the picture.
        const fs::path file = dir / "stdout.png";
        std::ofstream(file) << "";
        const ino_t before = StatOf(file).st_ino;
        const Outcome throughFile = Run({"--example", "sin(y)*x", "--out", target}, file);
        EXPECT_EQ(throughFile.status, 0) << throughFile.err;
        EXPECT_EQ(StatOf(file).st_ino, before);
        EXPECT_EQ(DecodePng(ReadAll(file)).size(), QSize(673, 496));
    }
}

// Making device nodes needs root; CI runs as root. The null device takes
// the picture; the full one fails it, and the heights staged meanwhile are
// dropped.
TEST_F(RenderCliTest, CharacterDeviceIsWrittenThroughNotReplaced)
{
    const fs::path null = dir / "out" / "null";
    const fs::path full = dir / "out" / "full";
    if (::mknod(null.c_str(), S_IFCHR | 0666, ::makedev(1, 3)) != 0 ||
        ::mknod(full.c_str(), S_IFCHR | 0666, ::makedev(1, 7)) != 0)
        GTEST_SKIP() << "mknod needs root to make a character device (" << std::strerror(errno)
                     << ")";
    const Outcome taken = Run({"--example", "Mandelbrot", "--out", "out/null", "--save-hyt", "-"});
    EXPECT_EQ(taken.status, 0) << taken.err;
    EXPECT_EQ(taken.out.size(), 80000u);

    const Outcome failed =
        Run({"--example", "Mandelbrot", "--save-hyt", "out/h.hyt", "--out", "out/full", "--info"});
    EXPECT_EQ(failed.status, 1);
    EXPECT_EQ(failed.out, "");
    EXPECT_EQ(failed.err,
              "hyt-render: no se puede escribir \"out/full\": no queda espacio en el disco.\n");

    EXPECT_EQ(StatOf(null).st_rdev, ::makedev(1, 3));
    EXPECT_EQ(StatOf(full).st_rdev, ::makedev(1, 7));
    EXPECT_TRUE(S_ISCHR(StatOf(null).st_mode) && S_ISCHR(StatOf(full).st_mode));
    EXPECT_EQ(OutputFiles().size(), 2u);
}

TEST_F(RenderCliTest, SymlinkIsFollowedAndItsFileReplaced)
{
    struct Case {
        const char* name;
        std::vector<std::pair<std::string, std::string>> links; // link -> where it points
        const char* argument;
        const char* replaced;
    };
    const Case cases[] = {
        {"relative link", {{"out/link.png", "real.png"}}, "out/link.png", "out/real.png"},
        {"chain of links",
         {{"out/first.png", "second.png"}, {"out/second.png", "real.png"}},
         "out/first.png",
         "out/real.png"},
        {"absolute link",
         {{"link.png", (dir / "out" / "real.png").string()}},
         "link.png",
         "out/real.png"},
        {"dangling link", {{"out/link.png", "made.png"}}, "out/link.png", "out/made.png"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        fs::remove_all(dir / "out");
        fs::create_directory(dir / "out");
        fs::remove(dir / "link.png");
        std::ofstream(dir / "out" / "real.png") << "old picture";
        for (const auto& [link, to] : c.links)
            fs::create_symlink(to, dir / link);

        const Outcome run = Run({"--example", "Mandelbrot", "--out", c.argument});
        EXPECT_EQ(run.status, 0) << run.err;
        for (const auto& [link, to] : c.links) {
            EXPECT_TRUE(fs::is_symlink(dir / link)) << link;
            EXPECT_EQ(fs::read_symlink(dir / link), fs::path(to));
        }
        EXPECT_TRUE(IsPng(ReadAll(dir / c.replaced)));
    }
}

TEST_F(RenderCliTest, DashIsStandardOutput)
{
    const Outcome picture = Run({"--example", "Mandelbrot", "--out", "-"});
    EXPECT_EQ(picture.status, 0) << picture.err;
    EXPECT_EQ(DecodePng(picture.out).size(), QSize(673, 496));

    ASSERT_EQ(Run({"--example", "Mandelbrot", "--save-hyt", "out/h.hyt"}).status, 0);
    const Outcome heights =
        Run({"--example", "Mandelbrot", "--save-hyt", "-", "--out", "out/p.png"});
    EXPECT_EQ(heights.status, 0) << heights.err;
    EXPECT_EQ(heights.out, ReadAll(dir / "out" / "h.hyt"));
    EXPECT_TRUE(IsPng(ReadAll(dir / "out" / "p.png")));
    EXPECT_FALSE(fs::exists(dir / "-"));
}

// Refused with status 2 before anything is read or written.
TEST_F(RenderCliTest, OutputsThatWouldOverwriteTheInputOrEachOtherAreRefused)
{
    const std::string ramp = RampBytes();
    std::ofstream(dir / "in.hyt", std::ios::binary) << ramp;
    fs::create_hard_link(dir / "in.hyt", dir / "hard.hyt");
    fs::create_symlink("in.hyt", dir / "soft.hyt");
    std::ofstream(dir / "out" / "old.png") << "old picture";
    fs::create_hard_link(dir / "out" / "old.png", dir / "old_hard.png");
    const std::string absolute = (dir / "in.hyt").string();

    const std::vector<std::vector<std::string>> cases = {
        // An output that is the input, however it is named.
        {"--file", "in.hyt", "--out", "in.hyt"},
        {"--file", "in.hyt", "--save-hyt", "./in.hyt"},
        {"--file", "in.hyt", "--out", absolute},
        {"--file", absolute, "--save-hyt", "hard.hyt"},
        {"--file", "soft.hyt", "--out", "hard.hyt"},
        {"--file", "in.hyt", "--save-hyt", "soft.hyt"},
        // Both outputs on one file, new or existing.
        {"--example", "Mandelbrot", "--out", "out/new.png", "--save-hyt", "out/./new.png"},
        {"--example", "Mandelbrot", "--out", "out/old.png", "--save-hyt", "old_hard.png"},
        // Standard output taken twice.
        {"--example", "Mandelbrot", "--out", "-", "--save-hyt", "-"},
        {"--example", "Mandelbrot", "--out", "-", "--info"},
        {"--example", "Mandelbrot", "--save-hyt", "-", "--info"},
    };
    for (const std::vector<std::string>& arguments : cases) {
        SCOPED_TRACE(testing::PrintToString(arguments));
        const Outcome run = Run(arguments);
        EXPECT_EQ(run.status, 2);
        EXPECT_EQ(run.out, "");
        EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
        EXPECT_EQ(ReadAll(dir / "in.hyt"), ramp);
        EXPECT_EQ(ReadAll(dir / "out" / "old.png"), "old picture");
        EXPECT_EQ(OutputFiles(), std::vector<std::string>{"old.png"});
        EXPECT_TRUE(fs::is_symlink(dir / "soft.hyt"));
    }
}

TEST_F(RenderCliTest, ReplacedFileKeepsItsPermissionBits)
{
    for (const fs::perms mode : {fs::perms(0600), fs::perms(0640), fs::perms(0755)}) {
        SCOPED_TRACE(testing::PrintToString(int(mode)));
        const fs::path target = dir / "out" / "kept.hyt";
        std::ofstream(target) << "old heights";
        fs::permissions(target, mode);
        const Outcome run = Run({"--example", "sin(x)*sin(y)", "--save-hyt", "out/kept.hyt"});
        EXPECT_EQ(run.status, 0) << run.err;
        EXPECT_EQ(ReadAll(target).size(), 80000u);
        EXPECT_EQ(fs::status(target).permissions() & fs::perms::all, mode);
    }
}

// Giving a file to another user needs root; CI runs as root.
TEST_F(RenderCliTest, ReplacedFileKeepsItsOwner)
{
    const fs::path target = dir / "out" / "theirs.png";
    std::ofstream(target) << "their picture";
    if (::chown(target.c_str(), 4321, 4322) != 0)
        GTEST_SKIP() << "chown to another user needs root (" << std::strerror(errno) << ")";
    const Outcome run = Run({"--example", "Mandelbrot", "--out", "out/theirs.png"});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_TRUE(IsPng(ReadAll(target)));
    EXPECT_EQ(StatOf(target).st_uid, 4321u);
    EXPECT_EQ(StatOf(target).st_gid, 4322u);
}

// A full standard output is lost output: status 1 and a message, never 0.
TEST_F(RenderCliTest, FullStandardOutputGivesStatusOne)
{
    struct Case {
        std::vector<std::string> arguments;
        const char* named; // how the message names the output
    };
    const Case cases[] = {
        {{"--example", "Mandelbrot", "--info"}, "en la salida estándar"},
        {{"--example", "Mandelbrot", "--out", "-"}, "en la salida estándar"},
        {{"--example", "Mandelbrot", "--save-hyt", "-"}, "en la salida estándar"},
        {{"--example", "Mandelbrot", "--out", "/dev/fd/1"}, "\"/dev/fd/1\""},
        {{"--help"}, "en la salida estándar"},
        {{"--version"}, "en la salida estándar"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.arguments));
        const Outcome run = Run(c.arguments, "/dev/full");
        EXPECT_EQ(run.status, 1);
        EXPECT_EQ(run.err, Cat({"hyt-render: no se puede escribir ", c.named,
                                ": no queda espacio en el disco.\n"}));
    }
}

TEST_F(RenderCliTest, WriteFailureNamesTheFileWithASpanishReason)
{
    const std::string longName = "out/" + std::string(300, 'n') + ".png";
    struct Case {
        std::string target;
        std::string message;
    };
    const Case cases[] = {
        {"out", "no se puede escribir \"out\": es una carpeta, no un fichero."},
        {longName, "no se puede escribir \"" + longName + "\": el nombre es demasiado largo."},
        {"out/none/p.png", "no se puede escribir \"out/none/p.png\": la carpeta no existe."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.target);
        const Outcome run = Run({"--example", "Mandelbrot", "--out", c.target});
        EXPECT_EQ(run.status, 1);
        EXPECT_EQ(run.err, "hyt-render: " + c.message + "\n");
        EXPECT_TRUE(OutputFiles().empty());
    }
}

// --- Help, labels and warnings ---------------------------------------------------

TEST_F(RenderCliTest, HelpIsSpanishAndListsLabelsActionsAndExamples)
{
    const Outcome help = Run({"--help"});
    ASSERT_EQ(help.status, 0);
    EXPECT_EQ(help.out.rfind("Uso: hyt-render ", 0), 0u) << help.out;
    EXPECT_NE(help.out.find("\nOpciones:\n"), std::string::npos);
    EXPECT_NE(help.out.find("\nEjemplos:\n"), std::string::npos);
    for (const char* english : {"Usage", "Options", "Displays", "Arguments"})
        EXPECT_EQ(help.out.find(english), std::string::npos) << english;
    for (const ExampleSurface& example : kExamples)
        EXPECT_NE(help.out.find(Cat({" ", example.label, "\n"})), std::string::npos)
            << example.label;
    for (const char* action : {"--zoom N", "--distance D", "--drag DX,DY"})
        EXPECT_NE(help.out.find(Cat({"  ", action, " "})), std::string::npos) << action;
    std::istringstream lines(help.out);
    int examples = 0;
    for (std::string line; std::getline(lines, line);)
        examples += line.rfind("  hyt-render --", 0) == 0;
    EXPECT_EQ(examples, 3); // an example, a data file, a formula
}

TEST_F(RenderCliTest, EveryOptionTheHelpListsWorks)
{
    std::ofstream(dir / "ramp.hyt", std::ios::binary) << RampBytes();
    const std::vector<std::string> example{"--example", "Mandelbrot"};
    const auto with = [&](std::vector<std::string> more) {
        more.insert(more.begin(), example.begin(), example.end());
        return more;
    };
    // How each option is tried; an option not here is tried alone.
    const std::map<std::string, std::vector<std::string>> tries = {
        {"--example", example},
        {"--file", {"--file", "ramp.hyt"}},
        {"--formula", {"--formula", "x*y"}},
        {"--x-range", {"--formula", "x*y", "--x-range", "-1,2"}},
        {"--y-range", {"--formula", "x*y", "--y-range", "-1,2"}},
        {"--zoom", with({"--zoom", "5"})},
        {"--distance", with({"--distance", "40"})},
        {"--drag", with({"--drag", "-3,4"})},
        {"--plain", with({"--plain"})},
        {"--out", with({"--out", "out/p.png"})},
        {"--save-hyt", with({"--save-hyt", "out/h.hyt"})},
        {"--info", with({"--info"})},
    };
    const std::string help = Run({"--help"}).out;
    std::set<std::string> listed;
    std::istringstream lines(help);
    for (std::string line; std::getline(lines, line);) {
        // The option lines of the help: two spaces, then the options.
        if (line.rfind("  -", 0) != 0)
            continue;
        std::istringstream words(line);
        for (std::string word; words >> word && word.front() == '-';)
            listed.insert(word.back() == ',' ? word.substr(0, word.size() - 1) : word);
    }
    EXPECT_GE(listed.size(), tries.size() + 4);
    for (const std::string& option : listed) {
        SCOPED_TRACE(option);
        const auto tried = tries.find(option);
        const Outcome run = Run(tried != tries.end() ? tried->second : std::vector{option});
        EXPECT_EQ(run.status, 0) << run.err;
        EXPECT_EQ(run.err, "");
    }
}

TEST_F(RenderCliTest, UnknownLabelListsTheLabelsAndTheOneMeant)
{
    struct Case {
        const char* label;
        const char* meant; // nullptr: none matches ignoring case
    };
    const Case cases[] = {
        {"mandelbrot", "Mandelbrot"},
        {"SIN(X)*SIN(Y)", "sin(x)*sin(y)"},
        {"spiral", nullptr},
        {"Mandelbrot ", nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        const Outcome run = Run({"--example", c.label});
        EXPECT_EQ(run.status, 2);
        EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
        for (const ExampleSurface& example : kExamples)
            EXPECT_NE(run.err.find(Cat({"\"", example.label, "\""})), std::string::npos);
        const std::size_t suggestion = run.err.find("¿quería decir");
        if (c.meant)
            EXPECT_EQ(run.err.find(Cat({"¿quería decir \"", c.meant, "\"?"})), suggestion);
        else
            EXPECT_EQ(suggestion, std::string::npos);
    }
}

TEST_F(RenderCliTest, NonFiniteHeightsAreReportedAndStillDrawn)
{
    std::string some = RampBytes();
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    for (const auto& [at, value] :
         {std::pair{0, nan}, std::pair{4999, inf}, std::pair{9999, -inf}}) {
        const auto bits = std::bit_cast<std::uint64_t>(value);
        for (int b = 0; b < 8; ++b)
            some[std::size_t(at) * 8 + std::size_t(b)] = static_cast<char>(bits >> (8 * b));
    }
    std::ofstream(dir / "some.hyt", std::ios::binary) << some;
    std::string none;
    for (int n = 0; n < kVertexCount; ++n)
        none += some.substr(0, 8);
    std::ofstream(dir / "none.hyt", std::ios::binary) << none;

    const Outcome three = Run({"--file", "some.hyt", "--out", "out/some.png"});
    EXPECT_EQ(three.status, 0);
    EXPECT_EQ(three.err, "hyt-render: aviso: en el fichero \"some.hyt\", 3 de sus 10000 alturas "
                         "no son números finitos y no se dibujan.\n");
    EXPECT_TRUE(IsPng(ReadAll(dir / "out" / "some.png")));

    const Outcome all = Run({"--file", "none.hyt", "--out", "out/none.png"});
    EXPECT_EQ(all.status, 0);
    EXPECT_NE(all.err.find("ninguna de sus 10000 alturas"), std::string::npos) << all.err;
    EXPECT_TRUE(IsPng(ReadAll(dir / "out" / "none.png")));
}

} // namespace
} // namespace hyt
