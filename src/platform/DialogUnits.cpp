#include "platform/DialogUnits.h"

namespace hyt {

static_assert(DialogUnitsToPixelsX(529) == 794 && DialogUnitsToPixelsY(331) == 538,
              "the main window's client area must be 794 x 538 pixels");

QFont DialogFont()
{
    QFont font(QStringLiteral("Liberation Sans"));
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(11);
    font.setWeight(QFont::Normal);
    font.setItalic(false);
    return font;
}

} // namespace hyt
