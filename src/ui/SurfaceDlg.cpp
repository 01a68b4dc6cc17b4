// CSurfaceDlg: the message table and the handlers of the window itself, its
// bars, drag, lists and buttons. The controls are made in SurfaceDlgTemplate.cpp;
// the handlers that meet files are in SurfaceDlgFiles.cpp.
#include "ui/SurfaceDlg.h"

#include <QApplication>
#include <QCheckBox>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QPushButton>
#include <QShortcut>
#include <QTimer>
#include <QWheelEvent>

#include "platform/DialogUnits.h"
#include "platform/ScrollBarControl.h"
#include "platform/SortedComboBox.h"
#include "platform/SystemMenu.h"
#include "platform/UiText.h"
#include "scene/Examples.h"
#include "texts/Texts.h"
#include "ui/AboutDlg.h"
#include "ui/DataFileList.h"
#include "ui/InstructionsDlg.h"
#include "ui/MainIcon.h"
#include "ui/Resource.h"
#include "view/ViewControls.h"

namespace hyt {

namespace {

constexpr int kClientWidth = DialogUnitsToPixelsX(529);  // 794
constexpr int kClientHeight = DialogUnitsToPixelsY(331); // 538

POINT CursorOf(const QMouseEvent* event)
{
    const QPoint global = event->globalPosition().toPoint();
    return POINT{global.x(), global.y()};
}

} // namespace

CSurfaceDlg::CSurfaceDlg(ViewerSession& viewer, QWidget* parent)
    : QDialog(parent, Qt::Window), session(viewer),
      pictureView(reinterpret_cast<const uchar*>(viewer.Picture().Pixels()), Canvas::kShownWidth,
                  Canvas::kShownHeight, Canvas::kWidth * int(sizeof(Canvas::Pixel)),
                  QImage::Format_RGB32),
      icon(QApplication::windowIcon().isNull() ? MakeMainIcon() : QApplication::windowIcon())
{
    setObjectName(QStringLiteral("IDD_MAIN"));
    setFont(DialogFont());
    setWindowTitle(UiText(MainCaption()));
    // Moves with no button held reach the window too, so that a release it
    // never saw ends the drag at the next move.
    setMouseTracking(true);
    // OnPaint paints every pixel it is asked for, so that Qt need not fill
    // the picture with the background first at every step of a drag.
    setAttribute(Qt::WA_OpaquePaintEvent);
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

// The message table. Each entry binds one event of the window to its handler;
// events that no entry takes go on to QDialog.
//
//   event                                      handler
//   system-menu command (right click on the    OnSysCommand
//     window's surface, Alt+Space at its top-left)
//   paint                                      OnPaint               (paintEvent)
//   mouse move                                 OnMouseMove           (mouseMoveEvent)
//   left button down                           OnLButtonDown         (mousePressEvent)
//   left button up, anywhere                   OnLButtonUp           (mouseReleaseEvent)
//   IDC_ZOOM_BAR, IDC_DISTANCE_BAR codes        OnVScroll
//   IDC_ABOUT_BUTTON clicked                   OnAboutButton
//   IDC_INSTRUCTIONS_BUTTON clicked            OnInstructionsButton
//   IDC_EXAMPLE_COMBO entry chosen             OnExampleSelChange
//   IDC_COLOR_CHECK clicked                    OnColorCheck
//   IDC_FILE_COMBO entry chosen                OnFileSelChange
//   IDCANCEL clicked, Esc, close box           OnCancel              (keyPressEvent, QDialog)
//   Enter off the push buttons                 OnOK                  (keyPressEvent)
//   F1, the help command                       OnInstructionsButton
//   wheel over the picture                     OnMouseWheel          (wheelEvent)
//   Ctrl+S, system-menu IDM_SAVE_IMAGE         OnSaveImage
//   Ctrl+O, system-menu IDM_OPEN_FILE          OnOpenFile            (BindSourceMessages)
//   Ctrl+F, system-menu IDM_FORMULA            OnFormula             (BindSourceMessages)
//   IDC_FILE_COMBO about to drop down          OnFileListDropDown    (BindSourceMessages)
//   a drop on the window                       OnDropFiles           (dropEvent)
//
// The desktop draws the window's icon while it is dragged, and the window has
// no horizontal bar: neither needs an entry.
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
    // A shortcut comes before the focused control sees the key: no button
    // takes the Space, and the menu opens whatever has the focus.
    connect(new QShortcut(QKeySequence(Qt::ALT | Qt::Key_Space), this), &QShortcut::activated, this,
            [this] { ShowSystemMenu(mapToGlobal(QPoint(0, 0))); });
    BindSourceMessages();
}

bool CSurfaceDlg::OnInitDialog()
{
    // The system menu: the closing separator and the About entry, and our
    // own entries in a group just before them.
    const QString aboutText = UiText(AboutMenuText());
    if (!aboutText.isEmpty()) {
        QAction* closingSeparator = systemMenu->AppendSeparator();
        systemMenu->AppendMenu(IDM_ABOUT, aboutText);
        systemMenu->InsertSeparator(closingSeparator);
        InsertSourceMenuEntries(closingSeparator);
        systemMenu->InsertMenu(closingSeparator, IDM_SAVE_IMAGE, UiText(SaveImageMenuText()))
            ->setEnabled(false);
    }

    for (const ExampleSurface& example : kExamples)
        exampleCombo->AddString(
            QString::fromUtf8(example.label.data(), qsizetype(example.label.size())));
    exampleCombo->setCurrentIndex(-1);

    FillFileList();

    colorCheck->setChecked(true); // in step with colorMode = 1 at start

    cancelButton->setFocus();
    return true;
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

// --- The system menu -------------------------------------------------------

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
    if (id == IDM_OPEN_FILE || id == IDM_FORMULA) {
        id == IDM_OPEN_FILE ? OnOpenFile() : OnFormula();
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

// --- Painting --------------------------------------------------------------

void CSurfaceDlg::paintEvent(QPaintEvent* event)
{
    OnPaint(event);
    if (!iconGiven) {
        // The window's icon is painted at every size the desktop is given,
        // a tenth of the start-up: the window shows without it and takes it,
        // and the application with it, once it has been painted.
        iconGiven = true;
        QTimer::singleShot(0, this, [this] {
            setWindowIcon(icon);
            QApplication::setWindowIcon(icon);
        });
    }
}

void CSurfaceDlg::OnPaint(QPaintEvent* event)
{
    // The last picture again on every expose: it survives covering windows,
    // the modal windows, minimising and restoring. Around it, and in its
    // place before there is one, the window's own background.
    QPainter painter(this);
    const QRegion background = hasPicture ? event->region() - PictureRect() : event->region();
    for (const QRect& part : background)
        painter.fillRect(part, palette().brush(backgroundRole()));
    if (hasPicture)
        painter.drawImage(QPoint(kPictureLeft, kPictureTop), pictureView);
}

// --- The drag --------------------------------------------------------------

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

// --- The bars --------------------------------------------------------------

void CSurfaceDlg::OnVScroll(unsigned code, unsigned position, ScrollBarControl* bar)
{
    if (bar != zoomBar && bar != distanceBar)
        return;
    // Every bar message redraws, even one that changed nothing.
    ShowUpdate(
        session.BarMessage(bar == zoomBar ? Bar::Zoom : Bar::Distance, ScrollCode(code), position));
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

// --- The modal windows -----------------------------------------------------

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

// --- The sources and the colour switch -------------------------------------

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
