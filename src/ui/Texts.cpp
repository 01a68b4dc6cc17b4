#include "ui/Texts.h"

#include <array>

namespace hyt {

namespace {

// The maker: this project. The About box shows these three lines, and the
// instructions end with the address.
constexpr const char* kMakerName = "Hyt 1.0";
constexpr const char* kMakerTeam = "Equipo de desarrollo de Hyt";
constexpr const char* kMakerAddress = "https://hyt.example.org";

// The instructions, piece by piece, spelled as the users have always read
// them. The last piece is followed by the web address and a line feed.
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

} // namespace

QString MainCaption()
{
    return QString::fromUtf8("Hyt: representación tridimensional de funciones de dos variables");
}

QString AboutMenuText()
{
    return QStringLiteral("&Acerca de hyt...");
}

QString SaveImageMenuText()
{
    return QStringLiteral("&Guardar imagen...\tCtrl+S");
}

QString AboutCaption()
{
    return QStringLiteral("Sobre Hyt");
}

QString AboutTitleText()
{
    return QString::fromUtf8("Representación tridimensional de funciones de dos variables.");
}

QString AboutMakerText()
{
    return QString::fromUtf8(kMakerName) + u'\n' + QString::fromUtf8(kMakerTeam) + u'\n' +
           QString::fromUtf8(kMakerAddress) + u'\n' + u'\n' +
           QStringLiteral("PROGRAMA GRATUITO - FREE");
}

QString InstructionsCaption()
{
    return QStringLiteral("INSTRUCCIONES");
}

QString ProgramWebAddress()
{
    return QString::fromUtf8(kMakerAddress);
}

QString BuildInstructionsText()
{
    QString text;
    for (const char* piece : kInstructionPieces)
        text += QString::fromUtf8(piece);
    text += ProgramWebAddress();
    text += u'\n';
    return text;
}

} // namespace hyt
