// make_icons: writes the viewer's icon, IDI_MAIN, as PNG files for the
// hicolor theme, drawn by the same code that gives the window its icon.
//
//   make_icons OUTDIR SIZE...   writes OUTDIR/hyt-SIZE.png for each SIZE
//
// It paints into a QImage only, so it needs no display and no application
// object.
#include <cstdio>
#include <cstdlib>
#include <string>

#include <QImage>
#include <QString>

#include "ui/MainIcon.h"

int main(int argc, char** argv)
{
    if (argc < 3) {
        std::fprintf(stderr, "uso: make_icons CARPETA TAMAÑO...\n");
        return 2;
    }
    const std::string outDir = argv[1];
    for (int i = 2; i < argc; ++i) {
        char* end = nullptr;
        const long size = std::strtol(argv[i], &end, 10);
        if (end == argv[i] || *end != '\0' || size < 1 || size > 1024) {
            std::fprintf(stderr, "make_icons: tamaño no válido: \"%s\"\n", argv[i]);
            return 2;
        }
        const std::string path = outDir + "/hyt-" + std::to_string(size) + ".png";
        const QImage icon = hyt::PaintMainIcon(int(size));
        if (icon.width() != size || icon.height() != size ||
            !icon.save(QString::fromStdString(path), "PNG")) {
            std::fprintf(stderr, "make_icons: no se puede escribir \"%s\"\n", path.c_str());
            return 1;
        }
    }
    return 0;
}
