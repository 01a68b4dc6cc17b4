// CSurfaceDlg: controls in template order, the message table, the handlers.
#include "ui/SurfaceDlg.h"

#include <QCheckBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QShortcut>
#include <QWheelEvent>
#include <algorithm>
#include <system_error>

#include "platform/DialogUnits.h"
#include "platform/UiText.h"
#include "platform/ScrollBarControl.h"
#include "platform/SortedComboBox.h"
#include "platform/SystemMenu.h"
#include "render/SurfaceRenderer.h"
#include "scene/Examples.h"
#include "ui/AboutDlg.h"
#include "ui/InstructionsDlg.h"
#include "ui/MainIcon.h"
#include "ui/Resource.h"
#include "texts/Texts.h"
#include "view/ViewControls.h"

namespace hyt {

namespace {

constexpr int kClientWidth = DialogUnitsToPixelsX(529);  // 794
constexpr int kClientHeight = DialogUnitsToPixelsY(331); // 538
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
    // Our font runs a pixel wider than the template's on some texts: a
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

// A combo box at its template place: the closed box as high as the style
// makes it, the list dropped down within the template's height.
void PlaceComboBox(SortedComboBox* combo, const QRect& rect)
{
    const int closedHeight = combo->sizeHint().height();
    combo->setGeometry(rect.x(), rect.y(), rect.width(), closedHeight);
    combo->setMaxVisibleItems(std::max(1, (rect.height() - closedHeight) / kListItemHeight));
}

POINT CursorOf(const QMouseEvent* event)
{
    const QPoint global = event->globalPosition().toPoint();
    return POINT{global.x(), global.y()};
}

// The name as the user sees it in the list: bytes that are not UTF-8 show as
// replacement characters.
std::string DisplayName(const std::filesystem::path& path)
{
    return QString::fromStdString(path.filename().string()).toStdString();
}

} // namespace

CSurfaceDlg::CSurfaceDlg(ViewerSession& viewer, QWidget* parent)
    : QDialog(parent, Qt::Window), session(viewer),
      pictureView(reinterpret_cast<const uchar*>(viewer.Picture().Pixels()), Canvas::kShownWidth,
                  Canvas::kShownHeight, Canvas::kWidth * int(sizeof(Canvas::Pixel)),
                  QImage::Format_RGB32),
      icon(MakeMainIcon())
{
    setObjectName(QStringLiteral("IDD_MAIN"));
    setFont(DialogFont());
    setWindowTitle(UiText(MainCaption()));
    // Moves with no button held reach the window too, so that a release it
    // never saw ends the drag at the next move.
    setMouseTracking(true);
    KeepNormalSizeFixed();
    systemMenu = new SystemMenu(this);
    CreateControls();
    BindMessages();
    OnInitDialog();
}

CSurfaceDlg::~CSurfaceDlg() = default;

QRect CSurfaceDlg::PictureRect()
{
    return QRect(kPictureLeft, kPictureTop, Canvas::kShownWidth, Canvas::kShownHeight);
}

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

// The message table. Each entry binds one event of the window to its handler;
// events that no entry takes go on to QDialog.
//
//   #  event                                   handler
//   1  system-menu command (right click on the   OnSysCommand
//      window's surface, Alt+Space)
//   2  paint                                   OnPaint               (paintEvent)
//   3  query drag icon: the desktop draws the window icon itself
//   4  mouse move                              OnMouseMove           (mouseMoveEvent)
//   5  left button down                        OnLButtonDown         (mousePressEvent)
//   6  left button up, anywhere                OnLButtonUp           (mouseReleaseEvent)
//   7  IDC_ZOOM_BAR, IDC_DISTANCE_BAR codes     OnVScroll
//   8  IDC_ABOUT_BUTTON clicked                OnAboutButton
//   9  IDC_INSTRUCTIONS_BUTTON clicked         OnInstructionsButton
//  10  IDC_EXAMPLE_COMBO entry chosen          OnExampleSelChange
//  11  IDC_COLOR_CHECK clicked                 OnColorCheck
//  12  horizontal scroll: the window has no horizontal bar
//  13  IDC_FILE_COMBO entry chosen             OnFileSelChange
//      IDCANCEL clicked, Esc, close box        OnCancel              (keyPressEvent, QDialog)
//      Enter off the push buttons              OnOK                  (keyPressEvent)
//      F1, the help command                    OnInstructionsButton
//      wheel over the picture                  OnMouseWheel          (wheelEvent)
//      Ctrl+S, system-menu IDM_SAVE_IMAGE      OnSaveImage
void CSurfaceDlg::BindMessages()
{
    connect(systemMenu, &SystemMenu::Command, this,
            [this](unsigned command) { OnSysCommand(command, 0); });
    connect(zoomBar, &ScrollBarControl::Scrolled, this,
            [this](ScrollCode code, unsigned position) { OnVScroll(code, position, zoomBar); });
    connect(distanceBar, &ScrollBarControl::Scrolled, this,
            [this](ScrollCode code, unsigned position) { OnVScroll(code, position, distanceBar); });
    connect(aboutButton, &QPushButton::clicked, this, &CSurfaceDlg::OnAboutButton);
    connect(instructionsButton, &QPushButton::clicked, this, &CSurfaceDlg::OnInstructionsButton);
    connect(exampleCombo, &QComboBox::activated, this, &CSurfaceDlg::OnExampleSelChange);
    connect(colorCheck, &QCheckBox::clicked, this, &CSurfaceDlg::OnColorCheck);
    connect(fileCombo, &QComboBox::activated, this, &CSurfaceDlg::OnFileSelChange);
    connect(cancelButton, &QPushButton::clicked, this, &CSurfaceDlg::OnCancel);
    connect(new QShortcut(QKeySequence::HelpContents, this), &QShortcut::activated, this,
            &CSurfaceDlg::OnInstructionsButton);
    connect(new QShortcut(QKeySequence::Save, this), &QShortcut::activated, this,
            &CSurfaceDlg::OnSaveImage);
}

bool CSurfaceDlg::OnInitDialog()
{
    // The system menu: the closing separator and the About entry, and our
    // save entry in its own group just before them.
    const QString aboutText = UiText(AboutMenuText());
    if (!aboutText.isEmpty()) {
        QAction* closingSeparator = systemMenu->AppendSeparator();
        systemMenu->AppendMenu(IDM_ABOUT, aboutText);
        systemMenu->InsertSeparator(closingSeparator);
        systemMenu->InsertMenu(closingSeparator, IDM_SAVE_IMAGE, UiText(SaveImageMenuText()))
            ->setEnabled(false);
    }

    setWindowIcon(icon);

    for (const ExampleSurface& example : kExamples)
        exampleCombo->AddString(
            QString::fromUtf8(example.label.data(), qsizetype(example.label.size())));
    exampleCombo->setCurrentIndex(-1);

    FillFileList();

    colorCheck->setChecked(true); // in step with colorMode = 1 at start

    cancelButton->setFocus();
    return true;
}

void CSurfaceDlg::FillFileList()
{
    // The current directory of the process, read once: a file made later is
    // listed at the next start.
    std::error_code error;
    const std::filesystem::path dir = std::filesystem::current_path(error);
    if (!error)
        dataFiles = ListDataFiles(dir);
    for (std::size_t i = 0; i < dataFiles.size(); ++i)
        fileCombo->AddString(QString::fromStdString(dataFiles[i].name), int(i));
    fileCombo->setCurrentIndex(-1);
}

int CSurfaceDlg::DoModal()
{
    return exec();
}

QImage CSurfaceDlg::Picture() const
{
    return hasPicture ? pictureView.copy() : QImage();
}

void CSurfaceDlg::ShowUpdate(const ViewUpdate& change)
{
    for (const Bar bar : {Bar::Distance, Bar::Zoom}) {
        const BarChange& barChange = change.Of(bar);
        if (barChange.range)
            BarControl(bar)->SetScrollRange(barChange.range->minPos, barChange.range->maxPos);
        if (barChange.position)
            BarControl(bar)->SetScrollPos(*barChange.position);
    }
    // Before the first example or file there is no surface and no camera:
    // the picture area stays blank.
    if (!change.redrawn)
        return;
    if (!hasPicture) {
        hasPicture = true;
        if (QAction* save = systemMenu->Action(IDM_SAVE_IMAGE))
            save->setEnabled(true);
    }
    update(PictureRect());
}

ScrollBarControl* CSurfaceDlg::BarControl(Bar bar) const
{
    return bar == Bar::Zoom ? zoomBar : distanceBar;
}

// --- 1: system menu --------------------------------------------------------

void CSurfaceDlg::ShowSystemMenu(const QPoint& globalPos)
{
    systemMenu->Popup(globalPos);
}

void CSurfaceDlg::OnSysCommand(unsigned command, long long /*parameter*/)
{
    const unsigned id = command & 0xFFF0u;
    if (id == IDM_ABOUT) {
        CAboutDlg about(this);
        about.DoModal();
        return;
    }
    if (id == IDM_SAVE_IMAGE) {
        OnSaveImage();
        return;
    }
    if (id == SC_MAXIMIZE) // the fixed size would forbid it
        setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    DefaultSysCommand(this, command);
}

void CSurfaceDlg::KeepNormalSizeFixed()
{
    // Not resizable by dragging; maximised, the window grows while the
    // controls and the picture keep their places.
    if (windowState() & (Qt::WindowMaximized | Qt::WindowFullScreen)) {
        setMinimumSize(kClientWidth, kClientHeight);
        setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    } else {
        setFixedSize(kClientWidth, kClientHeight);
    }
}

void CSurfaceDlg::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::WindowStateChange)
        KeepNormalSizeFixed();
    QDialog::changeEvent(event);
}

void CSurfaceDlg::contextMenuEvent(QContextMenuEvent* event)
{
    // Only the window's own surface (the picture area included) opens the
    // menu, not its controls.
    if (event->reason() == QContextMenuEvent::Keyboard || !childAt(event->pos())) {
        ShowSystemMenu(event->globalPos());
        event->accept();
    } else {
        event->ignore();
    }
}

// --- 2: painting -----------------------------------------------------------

void CSurfaceDlg::paintEvent(QPaintEvent* event)
{
    OnPaint(event);
}

void CSurfaceDlg::OnPaint(QPaintEvent* /*event*/)
{
    // The last picture again on every expose: it survives covering windows,
    // the modal windows, minimising and restoring.
    if (!hasPicture)
        return;
    QPainter painter(this);
    painter.drawImage(QPoint(kPictureLeft, kPictureTop), pictureView);
}

// --- 4, 5, 6: the drag -----------------------------------------------------

void CSurfaceDlg::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        OnLButtonDown(event);
    else
        QDialog::mousePressEvent(event);
}

void CSurfaceDlg::mouseMoveEvent(QMouseEvent* event)
{
    OnMouseMove(event);
}

void CSurfaceDlg::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        OnLButtonUp(event);
    else
        QDialog::mouseReleaseEvent(event);
}

void CSurfaceDlg::OnLButtonDown(QMouseEvent* event)
{
    // The window keeps the mouse from this press to the release, wherever
    // the release happens.
    session.BeginDrag(CursorOf(event));
    QDialog::mousePressEvent(event);
}

void CSurfaceDlg::OnMouseMove(QMouseEvent* event)
{
    if (!(event->buttons() & Qt::LeftButton)) {
        // A release we never saw (the mouse was taken away): the drag is over,
        // and a move with the button up never turns the view.
        if (session.Dragging())
            session.EndDrag();
    } else {
        ShowUpdate(session.DragTo(CursorOf(event)));
    }
    QDialog::mouseMoveEvent(event);
}

void CSurfaceDlg::OnLButtonUp(QMouseEvent* event)
{
    session.EndDrag();
    QDialog::mouseReleaseEvent(event);
}

// --- 7: the bars -----------------------------------------------------------

void CSurfaceDlg::OnVScroll(unsigned code, unsigned position, ScrollBarControl* bar)
{
    if (bar != zoomBar && bar != distanceBar)
        return;
    // Every bar message redraws, even one that changed nothing.
    ShowUpdate(session.BarMessage(bar == zoomBar ? Bar::Zoom : Bar::Distance, ScrollCode(code),
                                  position));
}

void CSurfaceDlg::wheelEvent(QWheelEvent* event)
{
    if (PictureRect().contains(event->position().toPoint()))
        OnMouseWheel(event);
    else
        QDialog::wheelEvent(event);
}

void CSurfaceDlg::OnMouseWheel(QWheelEvent* event)
{
    // The wheel over the picture steps the "Z" bar: up enlarges.
    wheelRemainder += event->angleDelta().y();
    while (wheelRemainder >= kWheelNotch) {
        wheelRemainder -= kWheelNotch;
        OnVScroll(SB_LINEUP, unsigned(zoomBar->value()), zoomBar);
    }
    while (wheelRemainder <= -kWheelNotch) {
        wheelRemainder += kWheelNotch;
        OnVScroll(SB_LINEDOWN, unsigned(zoomBar->value()), zoomBar);
    }
    event->accept();
}

// --- 8, 9: the modal windows -----------------------------------------------

void CSurfaceDlg::OnAboutButton()
{
    CAboutDlg about(this);
    about.DoModal();
}

void CSurfaceDlg::OnInstructionsButton()
{
    CInstructionsDlg instructions(this);
    instructions.DoModal();
}

// --- 10, 11, 13: the sources and the colour switch -------------------------

void CSurfaceDlg::OnExampleSelChange(int index)
{
    if (index < 0)
        return;
    const QByteArray label = exampleCombo->itemText(index).toUtf8();
    ShowUpdate(
        session.ChooseExample(std::string_view(label.constData(), std::size_t(label.size()))));
}

void CSurfaceDlg::OnColorCheck()
{
    // The check box ticks itself; the picture changes at the next redraw.
    session.ToggleColor();
}

void CSurfaceDlg::OnFileSelChange(int index)
{
    const QVariant entry = fileCombo->itemData(index);
    if (!entry.isValid() || entry.toInt() < 0 || std::size_t(entry.toInt()) >= dataFiles.size())
        return;
    const std::filesystem::path& path = dataFiles[std::size_t(entry.toInt())].path;

    const FileOutcome outcome = session.ChooseFile(path);
    const DataFileResult& result = outcome.file;
    if (!result.Readable()) {
        // The scene and the picture are as they were; so is the list's choice.
        fileCombo->setCurrentIndex(shownFileIndex);
        QMessageBox::warning(this, UiText(MainCaption()),
                             UiText(FileUnreadableMessage(DisplayName(path), result)));
        return;
    }
    shownFileIndex = index;
    ShowUpdate(outcome.view);
    if (result.SizeMismatch()) {
        QMessageBox::warning(this, UiText(MainCaption()),
                             UiText(FileSizeMessage(DisplayName(path), result)));
    }
}

// --- saving the picture ----------------------------------------------------

bool CSurfaceDlg::SavePicture(const QString& fileName) const
{
    return hasPicture && pictureView.save(fileName, "PNG");
}

void CSurfaceDlg::OnSaveImage()
{
    if (!hasPicture) {
        QMessageBox::information(this, UiText(MainCaption()), UiText(NothingToSaveMessage()));
        return;
    }
    QString fileName =
        QFileDialog::getSaveFileName(this, UiText(SaveImageCaption()), QStringLiteral("hyt.png"),
                                     UiText(SaveImageFilter()));
    if (fileName.isEmpty())
        return;
    if (QFileInfo(fileName).suffix().isEmpty())
        fileName += QStringLiteral(".png");
    if (!SavePicture(fileName)) {
        QMessageBox::warning(
            this, UiText(MainCaption()),
            UiText(SaveImageFailedMessage(QDir::toNativeSeparators(fileName).toStdString())));
    }
}

// --- OK and Cancel ---------------------------------------------------------

void CSurfaceDlg::keyPressEvent(QKeyEvent* event)
{
    const bool plain =
        event->modifiers() == Qt::NoModifier || event->modifiers() == Qt::KeypadModifier;
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && plain) {
        // Enter on a push button clicks it; anywhere else it is OK.
        if (auto* button = qobject_cast<QPushButton*>(focusWidget()))
            button->click();
        else
            OnOK();
        return;
    }
    if (event->key() == Qt::Key_Escape && plain) {
        OnCancel();
        return;
    }
    if (event->key() == Qt::Key_Space && event->modifiers() == Qt::AltModifier) {
        ShowSystemMenu(mapToGlobal(QPoint(0, 0)));
        return;
    }
    QDialog::keyPressEvent(event);
}

void CSurfaceDlg::OnOK()
{
    accept();
}

void CSurfaceDlg::OnCancel()
{
    reject();
}

} // namespace hyt
