#include "texts/CommandLineTexts.h"

#include <cctype>
#include <string_view>

#include "base/ScrollCodes.h"
#include "render/Canvas.h"
#include "scene/Examples.h"
#include "texts/SourceTexts.h"
#include "texts/Texts.h"

namespace hyt {

namespace {

// hyt-render's messages quote with plain quotes: they end up in scripts' logs
// and terminals of any encoding.
std::string Quoted(std::string_view text)
{
    std::string quoted(1, '"');
    quoted.append(text);
    return quoted += '"';
}

bool EqualIgnoringCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(a[i])) !=
            std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    }
    return true;
}

std::string ExampleLabelList()
{
    std::string list;
    for (const ExampleSurface& example : kExamples)
        list += (list.empty() ? "" : ", ") + Quoted(example.label);
    return list;
}

bool IsStandardOutput(const std::string& file)
{
    return file == "-";
}

std::string Named(const std::string& file)
{
    return IsStandardOutput(file) ? std::string("la salida estándar") : Quoted(file);
}

} // namespace

std::string OptionValueName(std::string_view option)
{
    static constexpr std::pair<std::string_view, const char*> kNames[] = {
        {"example", "ETIQUETA"}, {"file", "FICHERO"},     {"formula", "FÓRMULA"},
        {"zoom", "N"},           {"distance", "D"},       {"drag", "DX,DY"},
        {"out", "IMAGEN.png"},   {"save-hyt", "FICHERO"}, {"x-range", "A,B"},
        {"y-range", "A,B"},
    };
    for (const auto& [name, value] : kNames)
        if (name == option)
            return value;
    return {};
}

std::string RenderHelpText()
{
    const std::string shown =
        std::to_string(Canvas::kShownWidth) + " x " + std::to_string(Canvas::kShownHeight);
    std::string labels;
    for (const ExampleSurface& example : kExamples)
        labels += "                         " + std::string(example.label) + "\n";
    return "Uso: hyt-render (--example ETIQUETA | --file FICHERO | --formula FÓRMULA\n"
           "                [--x-range A,B] [--y-range A,B]) [ACCIÓN]... [--plain]\n"
           "                [--out IMAGEN.png|-] [--save-hyt FICHERO|-] [--info]\n"
           "     hyt-render --help | --version\n"
           "\n"
           "Dibuja una superficie de hyt sin ventana. Elige el origen como el visor (la\n"
           "vista vuelve a la inicial), ejecuta las acciones en el orden dado, dibujando\n"
           "de nuevo tras cada una, y al final escribe lo que se pida.\n"
           "\n"
           "Opciones:\n"
           "  --example ETIQUETA   Dibuja el ejemplo de etiqueta ETIQUETA, escrita\n"
           "                       exactamente como una de estas:\n" +
           labels + "  --file FICHERO       Dibuja el fichero de datos FICHERO (" +
           std::to_string(kDataFileSize) +
           " bytes).\n"
           "  --formula FÓRMULA    Dibuja z = FÓRMULA, muestreada como los ejemplos, con la\n"
           "                       notación de sus etiquetas: x, y, números, + - * / ^,\n"
           "                       paréntesis y sin cos tan asin acos atan sinh cosh tanh\n"
           "                       asinh acosh atanh exp ln log log10 log2 sqrt abs sign\n"
           "                       atan2(a, b) min(...) max(...) pi().\n"
           "  --x-range A,B        Con --formula, el intervalo de x (filas); si no, -6,6.\n"
           "  --y-range A,B        Con --formula, el intervalo de y (columnas); si no, -6,6.\n"
           "  --plain              Dibuja sin color (rojo liso).\n"
           "  --out IMAGEN.png     Escribe la imagen de " +
           shown +
           " píxeles en PNG.\n"
           "  --save-hyt FICHERO   Escribe las " +
           std::to_string(kVertexCount) +
           " alturas como fichero de datos.\n"
           "  --info               Escribe la vista final, una línea «nombre: valor» por\n"
           "                       dato.\n"
           "  -h, --help           Muestra esta ayuda y termina.\n"
           "  -v, --version        Muestra el nombre y la versión y termina.\n"
           "  Con el nombre «-», --out o --save-hyt (solo una de las dos) escribe en la\n"
           "  salida estándar.\n"
           "\n"
           "Acciones (pueden repetirse y mezclarse; se ejecutan en el orden dado):\n"
           "  --zoom N             El zoom pasa a ser N, de " +
           std::to_string(kZoomBarMin) + " a " + std::to_string(kZoomBarMax) +
           " (la barra «Z»).\n"
           "  --distance D         La distancia del ojo pasa a ser D, de " +
           std::to_string(kDistanceBarMin) + " a " + std::to_string(kDistanceBarMax) +
           "\n"
           "                       (la barra «P»).\n"
           "  --drag DX,DY         Un paso de arrastre: el cursor se mueve DX píxeles a la\n"
           "                       derecha y DY hacia abajo (enteros).\n"
           "\n"
           "Estado de salida: 0 si todo se ha hecho; 1 si no se ha podido escribir una\n"
           "salida; 2 si la línea de órdenes, la etiqueta, la fórmula (se dice dónde\n"
           "falla) o el fichero de datos no sirven o una salida escribiría sobre la\n"
           "entrada o sobre la otra salida (entonces no se escribe nada).\n"
           "\n"
           "Ejemplos:\n"
           "  hyt-render --example Mandelbrot --drag 40,-20 --out mandelbrot.png --info\n"
           "  hyt-render --file superficie.hyt --plain --distance 60 --zoom 30 --out - > sup.png\n"
           "  hyt-render --formula 'x*exp(-x^2-y^2)' --x-range -2,2 --y-range -2,2 --out f.png\n";
}

std::string UnknownOptionMessage(const std::string& option)
{
    return "opción desconocida: " + option + " (la ayuda: hyt-render --help)";
}

std::string MissingValueMessage(const std::string& option)
{
    return "falta el valor de " + option;
}

std::string UnexpectedValueMessage(const std::string& option)
{
    return option + " no lleva valor";
}

std::string CommandLineFaultMessage(const std::string& description)
{
    return "línea de órdenes no válida: " + description;
}

std::string UnexpectedArgumentMessage(const std::string& argument)
{
    return "argumento inesperado: " + Quoted(argument);
}

std::string RepeatedOptionMessage(const std::string& option)
{
    return option + " solo puede darse una vez";
}

std::string TwoSourcesMessage(const std::string& first, const std::string& second)
{
    return first + " y " + second + " no pueden darse juntos";
}

std::string MissingSourceMessage(const std::vector<std::string>& choices)
{
    std::string message = "falta el origen:";
    for (std::size_t i = 0; i < choices.size(); ++i)
        message += (i == 0 ? " " : i + 1 == choices.size() ? " o " : ", ") + choices[i];
    return message;
}

std::string MissingOutputNameMessage(const std::string& option)
{
    return "falta el nombre del fichero de salida de " + option;
}

std::string BadActionValueMessage(const std::string& option, const std::string& value,
                                  ActionValue expected)
{
    std::string wanted;
    switch (expected) {
    case ActionValue::ZoomLevel:
        wanted =
            "un entero de " + std::to_string(kZoomBarMin) + " a " + std::to_string(kZoomBarMax);
        break;
    case ActionValue::Distance:
        wanted = "un entero de " + std::to_string(kDistanceBarMin) + " a " +
                 std::to_string(kDistanceBarMax);
        break;
    case ActionValue::DragStep:
        wanted = "DX,DY, dos enteros";
        break;
    }
    return "valor no válido para " + option + ": " + Quoted(value) + " (se espera " + wanted + ")";
}

std::string BadRangeMessage(const std::string& option, const std::string& value)
{
    return "valor no válido para " + option + ": " + Quoted(value) +
           " (se espera A,B, dos números, A menor que B)";
}

std::string RangeWithoutFormulaMessage(const std::string& option)
{
    return option + " solo vale con --formula";
}

std::string UnknownExampleMessage(const std::string& label)
{
    std::string message = "ejemplo desconocido: " + Quoted(label);
    for (const ExampleSurface& example : kExamples) {
        if (EqualIgnoringCase(example.label, label)) {
            message += " (¿quería decir " + Quoted(example.label) + "?)";
            break;
        }
    }
    return message + "; las etiquetas son, exactamente: " + ExampleLabelList();
}

std::string BothOnStandardOutputMessage(const std::string& first, const std::string& second)
{
    return first + " y " + second + " no pueden ir los dos a la salida estándar";
}

std::string OutputIsInputMessage(const std::string& option, const std::string& file)
{
    return option + " iría a " + Named(file) +
           ", que es el fichero de entrada; no se escribe nada para no perderlo";
}

std::string SameOutputFileMessage(const std::string& first, const std::string& second,
                                  const std::string& file)
{
    return first + " y " + second + " van a un mismo fichero, " + Named(file) +
           "; no se escribe nada";
}

std::string InputUnreadableMessage(const std::string& file, const DataFileResult& result)
{
    return "no se puede abrir el fichero " + Quoted(file) + ": " + DataFileFailureReason(result) +
           ".";
}

std::string InputSizeWarning(const std::string& file, const DataFileResult& result)
{
    return "aviso: el fichero " + Quoted(file) + " " + DataFileSizeRemark(result) +
           "; se dibuja igualmente.";
}

std::string NonFiniteHeightsWarning(const std::string& file, int count)
{
    return "aviso: en el fichero " + Quoted(file) + ", " + NonFiniteHeightsRemark(count) + ".";
}

std::string FormulaRefusedMessage(const FormulaError& error)
{
    return FormulaFaultText(error) + ".";
}

std::string FormulaNonFiniteWarning(int count)
{
    return "aviso: en la superficie de la fórmula, " + NonFiniteHeightsRemark(count) + ".";
}

std::string WriteFailedMessage(const std::string& file, int error)
{
    return "no se puede escribir " + std::string(IsStandardOutput(file) ? "en " : "") +
           Named(file) + ": " + SystemErrorReason(error, FileAccess::Write) + ".";
}

std::string ReadBackMismatchMessage(const std::string& file)
{
    return "no se puede escribir " + Quoted(file) + ": lo escrito no se lee igual.";
}

std::string PngEncodingFailedMessage()
{
    return "no se puede codificar la imagen en PNG.";
}

} // namespace hyt
