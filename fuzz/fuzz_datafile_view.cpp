// Arbitrary bytes through the real data-file reader, then a short run of view
// actions through a viewer session, as the window takes them; the scene must
// stay sound throughout.
//
// Input layout (every field may be cut short; missing bytes read as zero):
//   byte 0-1   the file's length L, by the two top bits of byte 0:
//              00: L = the low 6 bits (0..63)
//              01: L = low 6 bits * 256 + byte 1 (0..16383)
//              10: L = 79936 + (low 6 bits * 256 + byte 1) % 128 (around 80000)
//              11: L = (low 6 bits * 256 + byte 1) * 90000 / 16383 (0..90000)
//   byte 2     flags: bit 0 set = the file is the first source; otherwise the
//              actions start on a scene that no source has touched yet
//   byte 3     pattern length P, then P bytes: the file is that pattern
//              repeated up to L bytes (all zero when P is 0), so that long
//              files need only short inputs
//   rest       at most 16 actions, each an op byte and its operands
//
// The file lives in a memfd, opened by its /proc path like any other file, so
// the fuzzer writes nothing to disk.
#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

#include "FuzzInput.h"
#include "render/Canvas.h"
#include "render/SurfaceRenderer.h"
#include "scene/DataFile.h"
#include "scene/Examples.h"
#include "scene/SceneState.h"
#include "view/ViewerSession.h"

using namespace hyt;
using hyt::fuzz::Input;

namespace {

constexpr int kMaxActions = 16;

// Each input starts from a new session, on which no source has been chosen,
// so that an input replays alike.
std::unique_ptr<ViewerSession> session;
SceneState before;
std::vector<unsigned char> fileBytes;

const SceneState& Scene()
{
    return session->Scene();
}

// One file per process, rewritten for every input.
class ScratchFile {
  public:
    ScratchFile()
    {
        fd = ::memfd_create("hyt-fuzz.hyt", MFD_CLOEXEC);
        if (fd >= 0) {
            path = "/proc/self/fd/" + std::to_string(fd);
            return;
        }
        path = "/tmp/hyt-fuzz-" + std::to_string(::getpid()) + ".hyt";
        fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
        HYT_CHECK(fd >= 0);
        unlinkAtExit = true;
    }
    ~ScratchFile()
    {
        ::close(fd);
        if (unlinkAtExit)
            ::unlink(path.c_str());
    }

    void Write(const std::vector<unsigned char>& bytes)
    {
        HYT_CHECK(::ftruncate(fd, 0) == 0);
        std::size_t done = 0;
        while (done < bytes.size()) {
            const ssize_t n = ::pwrite(fd, bytes.data() + done, bytes.size() - done, off_t(done));
            HYT_CHECK(n > 0);
            done += std::size_t(n);
        }
    }

    const std::string& Path() const { return path; }

  private:
    int fd = -1;
    std::string path;
    bool unlinkAtExit = false;
};

std::size_t FileLength(std::uint8_t b0, std::uint8_t b1)
{
    const std::size_t low = std::size_t(b0 & 0x3F);
    const std::size_t wide = low * 256 + b1;
    switch (b0 >> 6) {
    case 0:
        return low;
    case 1:
        return wide;
    case 2:
        return 79936 + wide % 128;
    default:
        return wide * 90000 / 16383;
    }
}

bool InPalette(COLORREF color)
{
    // After a reset entry i is Rgb(i, 0, 255 - i): its red byte is its index.
    const std::size_t guess = color & 0xFFu;
    if (guess < Scene().palette.size() && Scene().palette[guess] == color)
        return true;
    return std::find(Scene().palette.begin(), Scene().palette.end(), color) != Scene().palette.end();
}

bool SameBytes(const void* a, const void* b, std::size_t n)
{
    return std::memcmp(a, b, n) == 0;
}

// Bitwise, so that NaN heights compare equal to themselves.
bool SameScene(const SceneState& a, const SceneState& b)
{
    return SameBytes(a.heights.data(), b.heights.data(), sizeof a.heights) &&
           SameBytes(&a.zScale, &b.zScale, sizeof a.zScale) &&
           a.selectedExample == b.selectedExample &&
           SameBytes(a.palette.data(), b.palette.data(), sizeof a.palette) &&
           SameBytes(&a.zoomLevel, &b.zoomLevel, sizeof a.zoomLevel) &&
           SameBytes(&a.eye, &b.eye, sizeof a.eye) && SameBytes(&a.up, &b.up, sizeof a.up) &&
           SameBytes(&a.target, &b.target, sizeof a.target) && a.colorMode == b.colorMode &&
           a.dragging == b.dragging;
}

void CheckScene()
{
    HYT_CHECK(IsFinite(Scene().eye));
    HYT_CHECK(IsFinite(Scene().up));
    HYT_CHECK(IsFinite(Scene().right));
    HYT_CHECK(IsFinite(Scene().planeCenter));
    HYT_CHECK(IsFinite(Scene().toEye));
    HYT_CHECK(IsFinite(Scene().target));
    HYT_CHECK(Scene().zoomLevel >= 0.0 && Scene().zoomLevel <= 50.0);
    HYT_CHECK(std::isfinite(Scene().zScale));
    HYT_CHECK(Scene().colorMode == 0 || Scene().colorMode == 1);
    // The eye keeps its distance within the bar's range, or has none at all
    // before the first source.
    const double distance = Length(Scene().eye);
    HYT_CHECK(distance == 0.0 || (distance > 30.0 - 1e-9 && distance < 300.0 + 1e-9));
    for (const COLORREF color : Scene().vertexColor)
        HYT_CHECK(InPalette(color));
}

void CheckBarPosition(Bar bar, const std::optional<int>& shown)
{
    if (!shown)
        return;
    if (bar == Bar::Zoom)
        HYT_CHECK(*shown >= kZoomBarMin && *shown <= kZoomBarMax);
    else
        HYT_CHECK(*shown >= kDistanceBarMin && *shown <= kDistanceBarMax);
}

void LoadScratch(const ScratchFile& file)
{
    const FileOutcome outcome = session->ChooseFile(file.Path());
    const DataFileResult& result = outcome.file;
    HYT_CHECK(result.Readable());
    HYT_CHECK(outcome.view.redrawn);
    HYT_CHECK(result.size == fileBytes.size());
    HYT_CHECK(result.SizeMismatch() == (result.size != kDataFileSize));
    HYT_CHECK(Scene().zScale == 1.0);
}

// A file that cannot be read changes nothing, picture included.
void LoadUnreadable(std::uint8_t which)
{
    static const char* const kPaths[] = {"/", "/nonexistent-hyt-fuzz/x.hyt", "/dev/null", ""};
    const char* path = kPaths[which % 4];
    before = Scene();
    const Canvas::Pixel pixel = session->Picture().PixelAt(336, 248);
    const FileOutcome outcome = session->ChooseFile(path);
    HYT_CHECK(!outcome.file.Readable());
    HYT_CHECK(outcome.file.status != DataFileStatus::Ok);
    HYT_CHECK(!outcome.view.redrawn);
    HYT_CHECK(SameScene(Scene(), before));
    HYT_CHECK(session->Picture().PixelAt(336, 248) == pixel);
}

POINT TakePoint(Input& in)
{
    const std::int32_t x = in.Take<std::int32_t>();
    const std::int32_t y = in.Take<std::int32_t>();
    return {x, y};
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static ScratchFile file;
    Input in(data, size);

    const std::uint8_t b0 = in.Byte();
    const std::uint8_t b1 = in.Byte();
    const std::uint8_t flags = in.Byte();
    const std::size_t length = FileLength(b0, b1);
    const std::size_t patternLength = std::min<std::size_t>(in.Byte(), in.Left());
    const std::uint8_t* pattern = in.Here();
    in.Skip(patternLength);

    fileBytes.assign(length, 0);
    if (patternLength > 0)
        for (std::size_t i = 0; i < length; ++i)
            fileBytes[i] = pattern[i % patternLength];
    file.Write(fileBytes);

    session = std::make_unique<ViewerSession>();
    if (flags & 1) {
        LoadScratch(file);
        CheckScene();
    }

    for (int action = 0; action < kMaxActions && in.Left() > 0; ++action) {
        const std::uint8_t op = in.Byte();
        switch (op % 9) {
        case 0:
        case 1: {
            const Bar bar = op % 9 == 0 ? Bar::Zoom : Bar::Distance;
            const ScrollCode code = ScrollCode(in.Byte());
            const unsigned position = in.Take<std::uint32_t>();
            CheckBarPosition(bar, session->BarMessage(bar, code, position).Of(bar).position);
            break;
        }
        case 2:
            session->BeginDrag(TakePoint(in));
            break;
        case 3:
            session->DragTo(TakePoint(in));
            break;
        case 4:
            session->EndDrag();
            break;
        case 5:
            session->ToggleColor();
            session->Redraw();
            break;
        case 6: {
            // Index 5 is a label that names no example.
            const std::uint8_t which = in.Byte() % 6;
            session->ChooseExample(which < 5 ? kExamples[which].label : "Mandelbrot ");
            break;
        }
        case 7:
            LoadScratch(file);
            break;
        case 8:
            LoadUnreadable(in.Byte());
            break;
        }
        CheckScene();
    }
    return 0;
}
