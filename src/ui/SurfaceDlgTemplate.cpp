// CSurfaceDlg's template IDD_MAIN: the controls, each at its place in dialog
// units, in template order, which is also the tab order.
#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <algorithm>

#include "platform/DialogUnits.h"
#include "platform/ScrollBarControl.h"
#include "platform/SortedComboBox.h"
#include "platform/UiText.h"
#include "texts/Texts.h"
#include "ui/Resource.h"
#include "ui/SurfaceDlg.h"

namespace hyt {

namespace {

constexpr int kListItemHeight = DialogUnitsToPixelsY(8); // one line of a dropped-down list

void SetControlId(QWidget* control, const char* name, int id)
{
    control->setObjectName(QString::fromLatin1(name));
    control->setProperty("controlId", id);
}

QLabel* StaticText(QWidget* parent, const QString& text, const QRect& rect)
{
    auto* label = new QLabel(text, parent);
    label->setTextFormat(Qt::PlainText);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    // Some texts run a pixel wider than their layout rectangle in our font: a
    // static text never cuts its own text (none has a neighbour that close).
    label->setGeometry(rect.x(), rect.y(), std::max(rect.width(), label->sizeHint().width()),
                       rect.height());
    // Static texts belong to the dialog's surface: a press on one starts a
    // drag, as anywhere else on the window.
    label->setAttribute(Qt::WA_TransparentForMouseEvents);
    return label;
}

QPushButton* PushButton(QWidget* parent, const QString& text, const QRect& rect)
{
    auto* button = new QPushButton(text, parent);
    // Enter belongs to the dialog, not to a default button (see keyPressEvent).
    button->setAutoDefault(false);
    button->setGeometry(rect);
    return button;
}

// A combo box at its layout place: the closed box as high as the style
// makes it, the list dropped down within the layout's height.
void PlaceComboBox(SortedComboBox* combo, const QRect& rect)
{
    const int closedHeight = combo->sizeHint().height();
    combo->setGeometry(rect.x(), rect.y(), rect.width(), closedHeight);
    combo->setMaxVisibleItems(std::max(1, (rect.height() - closedHeight) / kListItemHeight));
}

} // namespace

void CSurfaceDlg::CreateControls()
{
    // Template order, which is also the tab order: "Cerrar", "Sobre hyt",
    // "Instrucciones", the example list, "Color", the file list. The bars and
    // the static texts take no focus.
    cancelButton = PushButton(this, UiText(CloseButtonText()), DialogRect(7, 310, 66, 14));
    SetControlId(cancelButton, "IDCANCEL", IDCANCEL);

    zoomBar = new ScrollBarControl(this);
    zoomBar->setGeometry(DialogRect(21, 91, 15, 141));
    SetControlId(zoomBar, "IDC_ZOOM_BAR", IDC_ZOOM_BAR);

    distanceBar = new ScrollBarControl(this);
    distanceBar->setGeometry(DialogRect(43, 91, 15, 141));
    SetControlId(distanceBar, "IDC_DISTANCE_BAR", IDC_DISTANCE_BAR);

    // Z under the zoom bar, P under the distance bar.
    StaticText(this, UiText(BarLettersText()), DialogRect(26, 235, 30, 13));

    aboutButton = PushButton(this, UiText(AboutButtonText()), DialogRect(7, 291, 66, 15));
    SetControlId(aboutButton, "IDC_ABOUT_BUTTON", IDC_ABOUT_BUTTON);

    instructionsButton =
        PushButton(this, UiText(InstructionsButtonText()), DialogRect(7, 273, 66, 14));
    SetControlId(instructionsButton, "IDC_INSTRUCTIONS_BUTTON", IDC_INSTRUCTIONS_BUTTON);

    exampleCombo = new SortedComboBox(ComboEdit::None, this);
    PlaceComboBox(exampleCombo, DialogRect(301, 7, 157, 70));
    SetControlId(exampleCombo, "IDC_EXAMPLE_COMBO", IDC_EXAMPLE_COMBO);

    StaticText(this, UiText(ExampleListLabel()), DialogRect(241, 9, 56, 8));

    colorCheck = new QCheckBox(UiText(ColorCheckText()), this);
    colorCheck->setGeometry(DialogRect(7, 256, 32, 10));
    SetControlId(colorCheck, "IDC_COLOR_CHECK", IDC_COLOR_CHECK);

    fileCombo = new SortedComboBox(ComboEdit::Editable, this);
    PlaceComboBox(fileCombo, DialogRect(67, 7, 157, 46));
    SetControlId(fileCombo, "IDC_FILE_COMBO", IDC_FILE_COMBO);

    StaticText(this, UiText(FileListLabel()), DialogRect(21, 9, 41, 8));
}

} // namespace hyt
