// hyt-render: the viewer's drawing without a window. Chooses a source as the
// window does (the view is reset), runs the view actions in the order given,
// each followed by a redraw, then writes the picture, the heights and the
// view as asked.
//
// Contents: messages and exit codes - the command line - the actions -
// writing files atomically - main.
#include <array>
#include <cerrno>
#include <clocale>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <system_error>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QBuffer>
#include <QByteArray>
#include <QCommandLineParser>
#include <QCoreApplication>
#include <QImage>
#include <QStringList>

#include "base/Version.h"
#include "render/SurfaceRenderer.h"
#include "scene/DataFile.h"
#include "scene/Examples.h"
#include "texts/Texts.h"
#include "view/ViewerSession.h"

namespace hyt {
namespace {

// --- Messages and exit codes -------------------------------------------------

constexpr int kExitOk = 0;
constexpr int kExitWriteFailed = 1;
constexpr int kExitBadInput = 2;

// Arguments are taken as bytes (each byte one Latin-1 character), so that a
// path that is not valid UTF-8 reaches the file system unchanged.
std::string Bytes(const QString& text)
{
    const QByteArray bytes = text.toLatin1();
    return std::string(bytes.constData(), std::size_t(bytes.size()));
}

void Complain(const std::string& line)
{
    std::fprintf(stderr, "hyt-render: %s\n", line.c_str());
}

std::string Quoted(const std::string& text)
{
    return "\"" + text + "\"";
}

// --- The command line ----------------------------------------------------------

enum class ActionKind { Zoom, Distance, Drag };

struct Action {
    ActionKind kind;
    int a = 0; // zoom level, distance or DX
    int b = 0; // DY
};

struct Request {
    std::optional<std::string> example;
    std::optional<std::string> file;
    std::vector<Action> actions;
    bool plain = false;
    std::optional<std::string> out;
    std::optional<std::string> saveHyt;
    bool info = false;
};

// The outcome of reading the command line: a request, or the exit status of
// a command line that has been answered already (help, version, an error).
struct Parsed {
    std::optional<Request> request;
    int status = kExitOk;
};

std::optional<int> ParseInteger(const QString& text)
{
    bool ok = false;
    const int value = text.toInt(&ok, 10);
    if (!ok)
        return std::nullopt;
    return value;
}

std::optional<int> ParseInRange(const QString& text, int low, int high)
{
    const std::optional<int> value = ParseInteger(text);
    if (!value || *value < low || *value > high)
        return std::nullopt;
    return value;
}

std::optional<Action> ParseDrag(const QString& text)
{
    const QStringList parts = text.split(u',');
    if (parts.size() != 2)
        return std::nullopt;
    const std::optional<int> dx = ParseInteger(parts[0].trimmed());
    const std::optional<int> dy = ParseInteger(parts[1].trimmed());
    if (!dx || !dy)
        return std::nullopt;
    return Action{ActionKind::Drag, *dx, *dy};
}

// The parser's own messages are English; the two that a user meets besides
// an unknown option are recognised by the option they quote.
std::string DescribeParseError(const QCommandLineParser& parser)
{
    const QStringList unknown = parser.unknownOptionNames();
    if (!unknown.isEmpty()) {
        const QString& name = unknown.first();
        return "opción desconocida: " + Bytes((name.size() == 1 ? "-" : "--") + name);
    }
    const QString error = parser.errorText();
    const qsizetype open = error.indexOf(u'\'');
    const qsizetype close = error.lastIndexOf(u'\'');
    const QString option = open >= 0 && close > open ? error.mid(open + 1, close - open - 1) : "";
    if (!option.isEmpty() && error.startsWith("Missing value after"))
        return "falta el valor de " + Bytes(option);
    if (!option.isEmpty() && error.startsWith("Unexpected value after"))
        return Bytes(option) + " no lleva valor";
    return "línea de órdenes no válida: " + Bytes(error);
}

Parsed ParseCommandLine(const QStringList& arguments)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QString::fromUtf8(
        "Dibuja una superficie de hyt sin ventana: un ejemplo o un fichero de datos, "
        "con las acciones de la vista en el orden dado."));
    parser.setOptionsAfterPositionalArgumentsMode(QCommandLineParser::ParseAsOptions);
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption version = parser.addVersionOption();
    const QCommandLineOption example(
        "example", QString::fromUtf8("Dibuja el ejemplo de etiqueta ETIQUETA."), "ETIQUETA");
    const QCommandLineOption file(
        "file", QString::fromUtf8("Dibuja el fichero de datos FICHERO (80000 bytes)."), "FICHERO");
    const QCommandLineOption zoom(
        "zoom", QString::fromUtf8("Acción: el zoom pasa a ser N, de 0 a 50 (barra \"Z\")."), "N");
    const QCommandLineOption distance(
        "distance",
        QString::fromUtf8("Acción: la distancia del ojo pasa a ser D, de 30 a 300 (barra \"P\")."),
        "D");
    const QCommandLineOption drag(
        "drag",
        QString::fromUtf8(
            "Acción: un paso de arrastre; el cursor se mueve DX píxeles a la derecha y DY "
            "hacia abajo (enteros)."),
        "DX,DY");
    const QCommandLineOption plain("plain", QString::fromUtf8("Dibuja sin color (rojo liso)."));
    const QCommandLineOption out(
        "out", QString::fromUtf8("Escribe la imagen de 673 x 496 píxeles en PNG."), "IMAGEN.png");
    const QCommandLineOption saveHyt(
        "save-hyt", QString::fromUtf8("Escribe las 10000 alturas como fichero de datos."),
        "FICHERO");
    const QCommandLineOption info(
        "info", QString::fromUtf8("Escribe la vista final, una línea «nombre: valor» por dato."));
    parser.addOptions({example, file, zoom, distance, drag, plain, out, saveHyt, info});

    if (!parser.parse(arguments)) {
        Complain(DescribeParseError(parser));
        return {std::nullopt, kExitBadInput};
    }
    if (parser.isSet(help)) {
        std::fputs(parser.helpText().toUtf8().constData(), stdout);
        return {std::nullopt, kExitOk};
    }
    if (parser.isSet(version)) {
        std::printf("%s %s\n", qPrintable(QCoreApplication::applicationName()),
                    qPrintable(QCoreApplication::applicationVersion()));
        return {std::nullopt, kExitOk};
    }
    if (!parser.positionalArguments().isEmpty()) {
        Complain("argumento inesperado: " + Quoted(Bytes(parser.positionalArguments().first())));
        return {std::nullopt, kExitBadInput};
    }

    const auto fail = [](const std::string& line) {
        Complain(line);
        return Parsed{std::nullopt, kExitBadInput};
    };
    for (const auto* once : {&example, &file, &out, &saveHyt}) {
        if (parser.values(*once).size() > 1)
            return fail("--" + Bytes(once->names().first()) + " solo puede darse una vez");
    }
    if (parser.isSet(example) == parser.isSet(file))
        return fail(parser.isSet(example) ? "--example y --file no pueden darse juntos"
                                          : "falta el origen: --example ETIQUETA o --file FICHERO");

    Request request;
    if (parser.isSet(example))
        request.example = Bytes(parser.value(example));
    if (parser.isSet(file))
        request.file = Bytes(parser.value(file));
    if (parser.isSet(out))
        request.out = Bytes(parser.value(out));
    if (parser.isSet(saveHyt))
        request.saveHyt = Bytes(parser.value(saveHyt));
    request.plain = parser.isSet(plain);
    request.info = parser.isSet(info);
    for (const std::optional<std::string>* path : {&request.out, &request.saveHyt}) {
        if (*path && (*path)->empty())
            return fail("falta el nombre del fichero de salida");
    }

    // The parser keeps each option's values apart; its list of names found,
    // in the order found, restores the order of the actions.
    const QStringList zoomValues = parser.values(zoom);
    const QStringList distanceValues = parser.values(distance);
    const QStringList dragValues = parser.values(drag);
    qsizetype zoomNext = 0, distanceNext = 0, dragNext = 0;
    for (const QString& name : parser.optionNames()) {
        if (name == "zoom") {
            const QString& text = zoomValues[zoomNext++];
            const std::optional<int> n = ParseInRange(text, kZoomBarMin, kZoomBarMax);
            if (!n)
                return fail("valor no válido para --zoom: " + Quoted(Bytes(text)) +
                            " (se espera un entero de 0 a 50)");
            request.actions.push_back({ActionKind::Zoom, *n, 0});
        } else if (name == "distance") {
            const QString& text = distanceValues[distanceNext++];
            const std::optional<int> d = ParseInRange(text, kDistanceBarMin, kDistanceBarMax);
            if (!d)
                return fail("valor no válido para --distance: " + Quoted(Bytes(text)) +
                            " (se espera un entero de 30 a 300)");
            request.actions.push_back({ActionKind::Distance, *d, 0});
        } else if (name == "drag") {
            const QString& text = dragValues[dragNext++];
            const std::optional<Action> step = ParseDrag(text);
            if (!step)
                return fail("valor no válido para --drag: " + Quoted(Bytes(text)) +
                            " (se espera DX,DY, dos enteros)");
            request.actions.push_back(*step);
        }
    }
    return {request, kExitOk};
}

// --- The actions ---------------------------------------------------------------

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

void PrintInfo(const SceneState& scene)
{
    const auto vector = [](const char* name, Vec3 v) {
        std::printf("%s: %.17g %.17g %.17g\n", name, v.x, v.y, v.z);
    };
    const auto number = [](const char* name, double value) {
        std::printf("%s: %.17g\n", name, value);
    };
    vector("eye", scene.eye);
    vector("up", scene.up);
    vector("right", scene.right);
    number("zoomLevel", scene.zoomLevel);
    number("distance", Length(scene.eye));
    number("zScale", scene.zScale);
    number("minHeight", scene.minHeight);
    number("maxHeight", scene.maxHeight);
    std::printf("order: %d\n", static_cast<int>(ChooseDrawingOrder(scene.eye.y, scene.eye.z)));
}

// --- Writing files atomically --------------------------------------------------

// A file written beside its target under a temporary name; it is renamed
// over the target only when all of it is on disk, and removed otherwise.
class PendingFile {
  public:
    explicit PendingFile(std::string targetPath) : target(std::move(targetPath)) {}
    PendingFile(const PendingFile&) = delete;
    PendingFile& operator=(const PendingFile&) = delete;
    ~PendingFile()
    {
        if (!temporary.empty())
            ::unlink(temporary.c_str());
    }

    // Returns 0, or the errno of the first failure.
    int Write(const char* data, std::size_t size)
    {
        const std::size_t slash = target.rfind('/');
        const std::string dir = slash == std::string::npos ? "" : target.substr(0, slash + 1);
        std::string name = dir + ".hyt-render-XXXXXX";
        const int fd = ::mkstemp(name.data());
        if (fd < 0)
            return errno;
        temporary = name;
        // mkstemp makes the file private; give it the usual permissions.
        const mode_t mask = ::umask(0);
        ::umask(mask);
        int error = ::fchmod(fd, 0666 & ~mask) == 0 ? 0 : errno;
        for (std::size_t done = 0; error == 0 && done < size;) {
            const ssize_t put = ::write(fd, data + done, size - done);
            if (put < 0 && errno != EINTR)
                error = errno;
            else if (put > 0)
                done += std::size_t(put);
        }
        if (error == 0 && ::fsync(fd) != 0)
            error = errno;
        if (::close(fd) != 0 && error == 0)
            error = errno;
        return error;
    }

    const std::string& TemporaryPath() const { return temporary; }

    int Commit()
    {
        if (::rename(temporary.c_str(), target.c_str()) != 0)
            return errno;
        temporary.clear();
        return 0;
    }

  private:
    std::string target;
    std::string temporary;
};

QByteArray EncodePicture(const Canvas& canvas)
{
    // A view of the canvas's pixels, then a copy of the shown area.
    const QImage whole(reinterpret_cast<const uchar*>(canvas.Pixels()), Canvas::kWidth,
                       Canvas::kHeight, Canvas::kWidth * 4, QImage::Format_RGB32);
    const QImage shown = whole.copy(0, 0, Canvas::kShownWidth, Canvas::kShownHeight);
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    if (!shown.save(&buffer, "PNG"))
        png.clear();
    return png;
}

// Writes every requested output or none: all temporary files first, then the
// renames. Returns the exit status.
int WriteOutputs(const Request& request, const SceneState& scene, const Canvas& canvas)
{
    std::vector<std::unique_ptr<PendingFile>> pending;
    const auto write = [&](const std::string& target, const char* data, std::size_t size) {
        pending.push_back(std::make_unique<PendingFile>(target));
        if (const int error = pending.back()->Write(data, size); error != 0) {
            Complain("no se puede escribir " + Quoted(target) + ": " + SystemErrorReason(error, FileAccess::Write) + ".");
            return false;
        }
        return true;
    };

    if (request.saveHyt) {
        const std::vector<char> bytes = EncodeDataFile(scene.heights);
        if (!write(*request.saveHyt, bytes.data(), bytes.size()))
            return kExitWriteFailed;
        // Read it back as the viewer would before it replaces anything.
        auto check = std::make_unique<std::array<double, kVertexCount>>();
        const DataFileResult result = ReadDataFile(pending.back()->TemporaryPath(), *check);
        if (!result.Readable() || result.SizeMismatch() ||
            std::memcmp(check->data(), scene.heights.data(), sizeof scene.heights) != 0) {
            Complain("no se puede escribir " + Quoted(*request.saveHyt) +
                     ": lo escrito no se lee igual.");
            return kExitWriteFailed;
        }
    }
    if (request.out) {
        const QByteArray png = EncodePicture(canvas);
        if (png.isEmpty()) {
            Complain("no se puede codificar la imagen en PNG.");
            return kExitWriteFailed;
        }
        if (!write(*request.out, png.constData(), std::size_t(png.size())))
            return kExitWriteFailed;
    }
    for (const auto& file : pending) {
        if (const int error = file->Commit(); error != 0) {
            Complain("no se puede escribir: " + SystemErrorReason(error, FileAccess::Write) + ".");
            return kExitWriteFailed;
        }
    }
    return kExitOk;
}

// --- main ----------------------------------------------------------------------

int Run(const Request& request)
{
    ViewerSession session;

    // The colour switch is set before the source, as a click on "Color"
    // before choosing it would be.
    if (request.plain)
        session.ToggleColor();

    if (request.example) {
        if (!IsExampleLabel(*request.example)) {
            Complain("ejemplo desconocido: " + Quoted(*request.example));
            return kExitBadInput;
        }
        session.ChooseExample(*request.example);
    } else {
        const DataFileResult result = session.ChooseFile(*request.file).file;
        if (!result.Readable()) {
            Complain("no se puede abrir el fichero " + Quoted(*request.file) + ": " +
                     DataFileFailureReason(result) + ".");
            return kExitBadInput;
        }
        if (result.SizeMismatch())
            Complain("aviso: el fichero " + Quoted(*request.file) + " " +
                     DataFileSizeRemark(result) + "; se dibuja igualmente.");
    }

    for (const Action& action : request.actions)
        RunAction(session, action);

    if (const int status = WriteOutputs(request, session.Scene(), session.Picture());
        status != kExitOk)
        return status;
    if (request.info)
        PrintInfo(session.Scene());
    return kExitOk;
}

} // namespace
} // namespace hyt

int main(int argc, char** argv)
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLatin1(argv[i]);

    QCoreApplication::setApplicationName("hyt-render");
    QCoreApplication::setApplicationVersion(QString::fromLatin1(hyt::kVersion));
    QCoreApplication app(argc, argv);
    // QCoreApplication takes the user's locale; numbers are printed in the C
    // locale so that --info reads the same everywhere.
    std::setlocale(LC_NUMERIC, "C");
    const hyt::Parsed parsed = hyt::ParseCommandLine(arguments);
    if (!parsed.request)
        return parsed.status;
    const int status = hyt::Run(*parsed.request);
    std::fflush(stdout);
    return status;
}
