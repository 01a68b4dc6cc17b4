// hyt-render: the viewer's drawing without a window. Chooses a source as the
// window does (the view is reset), runs the view actions in the order given,
// each followed by a redraw, then writes the picture, the heights and the
// view as asked.
//
// Contents: the actions and --info - outputs checked against the input and
// each other - writing them - the run - main.
#include <array>
#include <clocale>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include <unistd.h>

#include <QBuffer>
#include <QByteArray>
#include <QCoreApplication>
#include <QImage>
#include <QLibraryInfo>
#include <QStringList>
#include <QTranslator>

#include "base/Version.h"
#include "cli/CommandLine.h"
#include "cli/OutputFile.h"
#include "formula/FormulaSource.h"
#include "render/SurfaceRenderer.h"
#include "scene/DataFile.h"
#include "scene/Examples.h"
#include "texts/CommandLineTexts.h"
#include "view/ViewerSession.h"

namespace hyt {
namespace {

// --- The actions and --info ------------------------------------------------------

// Where the simulated button goes down, in screen pixels. Any point serves: a
// drag step turns by the displacement only. The origin keeps start + DX
// within 32 bits for every integer DX.
constexpr POINT kDragStart{0, 0};

void RunAction(ViewerSession& session, const Action& action)
{
    switch (action.kind) {
    case ActionKind::Zoom:
        // The "Z" bar shows 50 - zoomLevel: release its thumb there.
        session.BarMessage(Bar::Zoom, SB_THUMBPOSITION, unsigned(kZoomBarMax - action.a));
        break;
    case ActionKind::Distance:
        session.BarMessage(Bar::Distance, SB_THUMBPOSITION, unsigned(action.a));
        break;
    case ActionKind::Drag:
        session.BeginDrag(kDragStart);
        session.DragTo(POINT{kDragStart.x + action.a, kDragStart.y + action.b});
        session.EndDrag();
        break;
    }
}

std::string InfoText(const SceneState& scene)
{
    std::string text;
    std::array<char, 160> line{};
    const auto vector = [&](const char* name, Vec3 v) {
        std::snprintf(line.data(), line.size(), "%s: %.17g %.17g %.17g\n", name, v.x, v.y, v.z);
        text += line.data();
    };
    const auto number = [&](const char* name, double value) {
        std::snprintf(line.data(), line.size(), "%s: %.17g\n", name, value);
        text += line.data();
    };
    vector("eye", scene.eye);
    vector("up", scene.up);
    vector("right", scene.right);
    number("zoomLevel", scene.zoomLevel);
    number("distance", Length(scene.eye));
    number("zScale", scene.zScale);
    number("minHeight", scene.minHeight);
    number("maxHeight", scene.maxHeight);
    text +=
        "order: " + std::to_string(static_cast<int>(ChooseDrawingOrder(scene.eye.y, scene.eye.z))) +
        "\n";
    return text;
}

// --- Outputs checked against the input and each other ----------------------------

// Every place a run writes to: the two files and, for --info, standard output.
struct OutputUse {
    std::string option;
    std::string name;
    std::optional<FileIdentity> identity;
};

// A refusal (status 2, nothing written yet) when an output would go where the
// input or another output is; nothing otherwise.
std::optional<std::string> FindOutputClash(const std::vector<OutputUse>& uses,
                                           const std::optional<FileIdentity>& input)
{
    for (std::size_t i = 0; i < uses.size(); ++i) {
        for (std::size_t j = i + 1; j < uses.size(); ++j) {
            if (uses[i].name == kStandardOutputName && uses[j].name == kStandardOutputName)
                return BothOnStandardOutputMessage(uses[i].option, uses[j].option);
        }
    }
    for (const OutputUse& use : uses) {
        if (input && use.identity == input)
            return OutputIsInputMessage(use.option, use.name);
    }
    for (std::size_t i = 0; i < uses.size(); ++i) {
        for (std::size_t j = i + 1; j < uses.size(); ++j) {
            if (uses[i].identity && uses[i].identity == uses[j].identity)
                return SameOutputFileMessage(uses[i].option, uses[j].option, uses[i].name);
        }
    }
    return std::nullopt;
}

// --- Writing them ------------------------------------------------------------------

struct PendingOutput {
    std::unique_ptr<OutputFile> file;
    bool heights = false; // --save-hyt, read back before it replaces anything
    std::string bytes;
};

std::string EncodePicture(const Canvas& canvas)
{
    // A view of the canvas's pixels, then a copy of the shown area.
    const QImage whole(reinterpret_cast<const uchar*>(canvas.Pixels()), Canvas::kWidth,
                       Canvas::kHeight, Canvas::kWidth * 4, QImage::Format_RGB32);
    const QImage shown = whole.copy(0, 0, Canvas::kShownWidth, Canvas::kShownHeight);
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    if (!shown.save(&buffer, "PNG"))
        return {};
    return std::string(png.constData(), std::size_t(png.size()));
}

bool ReadsBackAs(const std::string& path, const SceneState& scene)
{
    auto check = std::make_unique<std::array<double, kVertexCount>>();
    const DataFileResult result = ReadDataFile(path, *check);
    return result.Readable() && !result.SizeMismatch() &&
           std::memcmp(check->data(), scene.heights.data(), sizeof scene.heights) == 0;
}

// As nearly all or nothing as the targets allow: every output is opened,
// then the files to be replaced are written in full under temporary names,
// then the outputs seen as they are written get theirs, and only then do the
// temporary files take their targets' places. Returns the exit status.
int WriteOutputs(std::vector<PendingOutput>& outputs, const SceneState& scene)
{
    const auto failed = [](const OutputFile& file, int error) {
        Complain(WriteFailedMessage(file.Name(), error));
        return kExitWriteFailed;
    };
    for (PendingOutput& output : outputs) {
        if (const int error = output.file->Open(); error != 0)
            return failed(*output.file, error);
    }
    for (const bool staged : {true, false}) {
        for (PendingOutput& output : outputs) {
            OutputFile& file = *output.file;
            if (file.Staged() != staged)
                continue;
            int error = file.Write(output.bytes.data(), output.bytes.size());
            if (const int closing = file.Finish(); error == 0)
                error = closing;
            if (error != 0)
                return failed(file, error);
            if (staged && output.heights && !ReadsBackAs(file.TemporaryPath(), scene)) {
                Complain(ReadBackMismatchMessage(file.Name()));
                return kExitWriteFailed;
            }
        }
    }
    for (PendingOutput& output : outputs) {
        if (const int error = output.file->Commit(); error != 0)
            return failed(*output.file, error);
    }
    return kExitOk;
}

// --- The run ---------------------------------------------------------------------

// Chooses the source; returns false, having said why, when it cannot be drawn.
bool ChooseSource(ViewerSession& session, const Source& source)
{
    if (const auto* example = std::get_if<ExampleSource>(&source)) {
        if (!IsExampleLabel(example->label)) {
            Complain(UnknownExampleMessage(example->label));
            return false;
        }
        session.ChooseExample(example->label);
        return true;
    }
    if (const auto* formula = std::get_if<FormulaSource>(&source)) {
        const FormulaChoice choice =
            ChooseFormula(session, formula->formula, formula->x, formula->y);
        if (!choice.Ok()) {
            Complain(FormulaRefusedMessage(choice.formula.error));
            return false;
        }
        if (choice.formula.nonFinite > 0)
            Complain(FormulaNonFiniteWarning(choice.formula.nonFinite));
        return true;
    }
    const std::string& path = std::get<FileSource>(source).path;
    const FileOutcome outcome = session.ChooseFile(path);
    if (!outcome.file.Readable()) {
        Complain(InputUnreadableMessage(path, outcome.file));
        return false;
    }
    if (outcome.file.SizeMismatch())
        Complain(InputSizeWarning(path, outcome.file));
    if (outcome.nonFiniteHeights > 0)
        Complain(NonFiniteHeightsWarning(path, outcome.nonFiniteHeights));
    return true;
}

int Run(const Request& request)
{
    // Where each output would land is settled before anything is read or
    // written, so that a clash leaves every file as it was.
    std::vector<PendingOutput> outputs;
    std::vector<OutputUse> uses;
    const auto plan = [&](const char* option, const std::optional<std::string>& name,
                          bool heights) {
        if (!name)
            return;
        auto file = std::make_unique<OutputFile>(*name);
        uses.push_back({option, *name, file->Identity()});
        outputs.push_back({std::move(file), heights, {}});
    };
    plan("--out", request.out, false);
    plan("--save-hyt", request.saveHyt, true);
    if (request.info)
        uses.push_back({"--info", kStandardOutputName, StandardOutputIdentity()});
    std::optional<FileIdentity> input;
    if (const auto* file = std::get_if<FileSource>(&request.source))
        input = ExistingFileIdentity(file->path);
    if (const std::optional<std::string> clash = FindOutputClash(uses, input)) {
        Complain(*clash);
        return kExitBadInput;
    }

    ViewerSession session;
    // The colour switch is set before the source, as a click on "Color"
    // before choosing it would be.
    if (request.plain)
        session.ToggleColor();
    if (!ChooseSource(session, request.source))
        return kExitBadInput;
    for (const Action& action : request.actions)
        RunAction(session, action);

    for (PendingOutput& output : outputs) {
        if (output.heights) {
            const std::vector<char> data = EncodeDataFile(session.Scene().heights);
            output.bytes.assign(data.begin(), data.end());
        } else if (output.bytes = EncodePicture(session.Picture()); output.bytes.empty()) {
            Complain(PngEncodingFailedMessage());
            return kExitWriteFailed;
        }
    }
    if (const int status = WriteOutputs(outputs, session.Scene()); status != kExitOk)
        return status;
    if (request.info) {
        const std::string text = InfoText(session.Scene());
        if (const int error = WriteAll(STDOUT_FILENO, text.data(), text.size()); error != 0) {
            Complain(WriteFailedMessage(kStandardOutputName, error));
            return kExitWriteFailed;
        }
    }
    return kExitOk;
}

} // namespace
} // namespace hyt

int main(int argc, char** argv)
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLatin1(argv[i]);

    // A reader that goes away is a write error to report, not a silent end.
    std::signal(SIGPIPE, SIG_IGN);

    QCoreApplication::setApplicationName("hyt-render");
    QCoreApplication::setApplicationVersion(QString::fromLatin1(hyt::kVersion));
    QCoreApplication app(argc, argv);
    // Qt's own texts in Spanish whatever the user's locale; without the
    // translation the program runs all the same, its own texts being Spanish.
    QTranslator qtTexts;
    if (qtTexts.load(QStringLiteral("qtbase_es"),
                     QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(&qtTexts);
    // QCoreApplication takes the user's locale; numbers are printed in the C
    // locale so that --info reads the same everywhere.
    std::setlocale(LC_NUMERIC, "C");

    const hyt::Parsed parsed = hyt::ParseCommandLine(arguments);
    if (!parsed.request)
        return parsed.status;
    return hyt::Run(*parsed.request);
}
