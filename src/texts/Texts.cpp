#include "texts/Texts.h"

#include <array>
#include <cerrno>

#include "base/Version.h"

namespace hyt {

namespace {

// The maker: this project. The About box shows these three lines, and the
// instructions end with the address.
const std::string kMakerName = std::string("Hyt ") + kShortVersion;
constexpr const char* kMakerTeam = "Equipo de desarrollo de Hyt";
constexpr const char* kMakerAddress = "https://hyt.example.org";

// The instructions, piece by piece, word for word as the program has always
// shown them (its odd spellings included): users know them by heart. The last
// piece is followed by the web address and a line feed.
constexpr std::array<const char*, 14> kInstructionPieces = {
    "\nLa finalidad de este programa es representar tridimensionalmente funciones de dos "
    "variables reales con valores reales. Para ello se le debe proporcionar, en la misma "
    "carpeta donde se encuentre le programa, un fichero de extensión hyt con 10000 registros. "
    "Cada uno de estos registros contendrá únicamente un dato en coma flotante de doble "
    "precisón (8 bytes). Los 10000 datos son las imágenes correspondientes a los vértices de "
    "una rejilla de 100x100 puntos con la que se discretiza el dominio de la función.\n",
    "\n\n1. Leer fichero:\n",
    "    Se elige el fichero que contiene los datos de la función que se quiere representar. El "
    "programa muestra todos los ficheros con extensión hyt que residan en la carpeta donde se "
    "encuentre el propio programa.\n",
    "\n2. Escoger ejemplo:\n",
    "    El programa incorpora algunos ejemplos. Cada vez que se presiona se iniciliza la "
    "figura.\n",
    "\n3. Botón izquierdo del ratón:\n",
    "    Pulsándolo sobre un punto de la imagen y arrastrando sin soltar la imagen se mueve.\n",
    "\n4. Barra Z\n",
    "    Se amplía o encoge la imagen. Solo cambia el tamaño.\n",
    "\n5. Barra P\n",
    "    Se modifica la perspectiva alejando o acercando el ojo del observador al objeto. Cuanto "
    "menos es la distancia más se distorsiona la imagen.\n",
    "\n6. Color\n",
    "    Si se marca esta opción el programa varía el color de representación según los valores "
    "que tome la función.\n",
    "\n\nEn caso de dudas, ir a ",
};

std::string Quoted(const std::string& text)
{
    return "«" + text + "»";
}

} // namespace

std::string MainCaption()
{
    return "Hyt: representación tridimensional de funciones de dos variables";
}

std::string CloseButtonText() { return "Cerrar"; }
std::string AboutButtonText() { return "Sobre hyt"; }
std::string InstructionsButtonText() { return "Instrucciones"; }
std::string ExampleListLabel() { return "Escoger ejemplo:"; }
std::string FileListLabel() { return "Leer fichero:"; }
std::string ColorCheckText() { return "Color"; }
std::string BarLettersText() { return "Z         P"; }

std::string RestoreMenuText() { return "&Restaurar"; }
std::string MoveMenuText() { return "&Mover"; }
std::string SizeMenuText() { return "&Tamaño"; }
std::string MinimizeMenuText() { return "Mi&nimizar"; }
std::string MaximizeMenuText() { return "Ma&ximizar"; }
std::string CloseMenuText() { return "&Cerrar\tAlt+F4"; }
std::string AboutMenuText() { return "&Acerca de hyt..."; }
std::string SaveImageMenuText() { return "&Guardar imagen...\tCtrl+S"; }

std::string AboutCaption() { return "Sobre Hyt"; }

std::string AboutTitleText()
{
    return "Representación tridimensional de funciones de dos variables.";
}

std::string AboutMakerText()
{
    return kMakerName + "\n" + kMakerTeam + "\n" + kMakerAddress + "\n\nPROGRAMA GRATUITO - FREE";
}

std::string OkButtonText() { return "Aceptar"; }
std::string InstructionsCaption() { return "INSTRUCCIONES"; }
std::string ProgramWebAddress() { return kMakerAddress; }

std::string BuildInstructionsText()
{
    std::string text;
    for (const char* piece : kInstructionPieces)
        text += piece;
    text += ProgramWebAddress();
    text += '\n';
    return text;
}

std::string SystemErrorReason(int error, FileAccess access)
{
    const bool reading = access == FileAccess::Read;
    switch (error) {
    case ENOENT:
        return reading ? "no existe" : "la carpeta no existe";
    case ENOTDIR:
        return reading ? "no existe" : "una parte del camino no es una carpeta";
    case EACCES:
    case EPERM:
        return reading ? "no hay permiso para leerlo" : "no hay permiso para escribir allí";
    case EISDIR:
        return "es una carpeta, no un fichero";
    case ENAMETOOLONG:
        return "el nombre es demasiado largo";
    case ELOOP:
        return "hay demasiados enlaces simbólicos en su camino";
    case EIO:
        return "error de entrada/salida del disco";
    case EMFILE:
    case ENFILE:
        return "hay demasiados ficheros abiertos";
    case ENOMEM:
        return "no hay memoria suficiente";
    case ENOSPC:
    case EDQUOT:
        return "no queda espacio en el disco";
    case EROFS:
        return "el sistema de ficheros es de solo lectura";
    case EFBIG:
        return "el fichero sería demasiado grande";
    case ETXTBSY:
    case EBUSY:
        return "el fichero está en uso";
    case EPIPE:
        return "quien leía la salida la ha cerrado";
    case ENXIO:
    case ENODEV:
        return "el dispositivo no está disponible";
    case EXDEV:
        return "no se puede mover entre sistemas de ficheros distintos";
    case EEXIST:
        return "ya existe";
    case EINVAL:
        return "la operación no es válida para este fichero";
    case EBADF:
        return reading ? "no está abierto para leer" : "no está abierto para escribir";
    default:
        return "error del sistema número " + std::to_string(error);
    }
}

std::string DataFileFailureReason(const DataFileResult& result)
{
    switch (result.status) {
    case DataFileStatus::Ok:
        return {};
    case DataFileStatus::OpenFailed:
        return SystemErrorReason(result.error, FileAccess::Read);
    case DataFileStatus::NotRegular:
        return result.error == EISDIR ? "es una carpeta, no un fichero" : "no es un fichero normal";
    case DataFileStatus::ReadFailed:
        return "error de lectura: " + SystemErrorReason(result.error, FileAccess::Read);
    }
    return {};
}

std::string DataFileSizeRemark(const DataFileResult& result)
{
    if (!result.SizeMismatch())
        return {};
    return "tiene " + std::to_string(result.size) + (result.size == 1 ? " byte" : " bytes") +
           " y se esperaban " + std::to_string(kDataFileSize);
}

std::string NonFiniteHeightsRemark(int count)
{
    if (count <= 0)
        return {};
    if (count >= kVertexCount)
        return "ninguna de sus 10000 alturas es un número finito: no se puede dibujar nada";
    if (count == 1)
        return "1 de sus 10000 alturas no es un número finito y no se dibuja";
    return std::to_string(count) + " de sus 10000 alturas no son números finitos y no se dibujan";
}

std::string FileUnreadableMessage(const std::string& fileName, const DataFileResult& result)
{
    return "No se puede leer el fichero " + Quoted(fileName) + ": " +
           DataFileFailureReason(result) + ".\nLa imagen no ha cambiado.";
}

std::string FileSizeMessage(const std::string& fileName, const DataFileResult& result)
{
    return "El fichero " + Quoted(fileName) + " " + DataFileSizeRemark(result) +
           ".\nLa superficie se ha dibujado con los datos leídos.";
}

std::string NothingToSaveMessage()
{
    return "Todavía no hay ninguna imagen que guardar: escoja antes un ejemplo o un fichero.";
}

std::string SaveImageCaption() { return "Guardar imagen"; }
std::string SaveImageFilter() { return "Imágenes PNG (*.png)"; }

std::string SaveImageFailedMessage(const std::string& fileName, const std::string& reason,
                                   bool oldFileKept)
{
    std::string message =
        "No se ha podido guardar la imagen en " + Quoted(fileName) + ": " + reason + ".";
    if (oldFileKept)
        message += "\nEl fichero que ya había sigue como estaba.";
    return message;
}

std::string PngEncodingFailedReason()
{
    return "no se ha podido convertir la imagen a PNG";
}

std::string ReplaceFileQuestion(const std::string& fileName)
{
    return "El fichero " + Quoted(fileName) + " ya existe. ¿Quiere reemplazarlo?";
}

std::string EntryKindText(EntryKind kind)
{
    switch (kind) {
    case EntryKind::Folder:
        return "Carpeta";
    case EntryKind::Drive:
        return "Unidad";
    case EntryKind::Link:
        return "Acceso directo";
    case EntryKind::Other:
        break;
    }
    return "Desconocido";
}

std::string FileLoadedMessage(const std::string& fileName, const DataFileResult& result,
                              int nonFiniteHeights)
{
    const std::string sizeRemark = DataFileSizeRemark(result);
    const std::string heightsRemark = NonFiniteHeightsRemark(nonFiniteHeights);
    std::string message;
    if (!sizeRemark.empty()) {
        message = "El fichero " + Quoted(fileName) + " " + sizeRemark;
        if (!heightsRemark.empty())
            message += ", y " + heightsRemark;
    } else if (!heightsRemark.empty()) {
        message = "En el fichero " + Quoted(fileName) + ", " + heightsRemark;
    } else {
        return {};
    }
    message += ".";
    if (nonFiniteHeights < kVertexCount && !sizeRemark.empty())
        message += "\nLa superficie se ha dibujado con los datos leídos.";
    return message;
}

std::string ViewerHelpText()
{
    return "Uso: hyt [OPCIÓN] [FICHERO.hyt]\n"
           "Representa en perspectiva una función z = f(x, y) dada por 10000 alturas sobre una\n"
           "rejilla de 100 x 100. La ventana ofrece cinco ejemplos y los ficheros .hyt de la\n"
           "carpeta en que se inicia. Con FICHERO.hyt, lo dibuja al abrirse y lista los de su\n"
           "carpeta. En la ventana, Ctrl+O abre otro fichero, Ctrl+F dibuja una fórmula\n"
           "propia, y se puede soltar sobre ella un fichero .hyt.\n"
           "\n"
           "  --help     muestra esta ayuda y termina\n"
           "  --version  muestra la versión y termina\n";
}

std::string ViewerUnknownArgumentMessage(const std::string& argument)
{
    return "hyt: argumento no reconocido " + Quoted(argument) +
           ". Pruebe «hyt --help» para ver las opciones.";
}

std::string NoDisplayMessage()
{
    return "hyt: no hay ninguna pantalla gráfica disponible en la que abrir la ventana.";
}

} // namespace hyt
