// The main window: its opening state, the sources, the bars, the drag, the
// colour switch, the modal windows, the system menu, the ways out and the
// file messages.
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFileDialog>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QStyle>
#include <QTest>
#include <QWheelEvent>
#include <cmath>
#include <memory>

#include "platform/ScrollBarControl.h"
#include "platform/SortedComboBox.h"
#include "platform/SystemMenu.h"
#include "scene/Examples.h"
#include "ui/SurfaceDlg.h"
#include "ui_test_support.h"
#include "view/ViewControls.h"
#include "view/ViewerSession.h"

using namespace hyt;

namespace {

const char* const kMandelbrot = "Mandelbrot";

ScrollBarControl* ZoomBar(const CSurfaceDlg& d)
{
    return Control<ScrollBarControl>(d, "IDC_ZOOM_BAR");
}
ScrollBarControl* DistanceBar(const CSurfaceDlg& d)
{
    return Control<ScrollBarControl>(d, "IDC_DISTANCE_BAR");
}
SortedComboBox* ExampleCombo(const CSurfaceDlg& d)
{
    return Control<SortedComboBox>(d, "IDC_EXAMPLE_COMBO");
}
SortedComboBox* FileCombo(const CSurfaceDlg& d)
{
    return Control<SortedComboBox>(d, "IDC_FILE_COMBO");
}

// Chooses an entry of a list as the user does: it becomes current, then the
// list reports the choice.
void Choose(SortedComboBox* combo, const QString& text)
{
    const int index = combo->findText(text, Qt::MatchExactly);
    QVERIFY2(index >= 0, qPrintable(text));
    combo->setCurrentIndex(index);
    emit combo->activated(index);
}

QAction* MenuEntry(QMenu* menu, const QString& text)
{
    for (QAction* action : menu->actions())
        if (action->text() == text || action->text().startsWith(text + u'\t'))
            return action;
    return nullptr;
}

bool Near(const Vec3& a, const Vec3& b, double tolerance)
{
    return std::fabs(a.x - b.x) <= tolerance && std::fabs(a.y - b.y) <= tolerance &&
           std::fabs(a.z - b.z) <= tolerance;
}

QByteArray Heights(const SceneState& scene)
{
    return QByteArray(reinterpret_cast<const char*>(scene.heights.data()),
                      qsizetype(sizeof scene.heights));
}

} // namespace

class MainWindowTest : public QObject {
    Q_OBJECT

  private:
    std::unique_ptr<ScratchDirectory> emptyDirectory;
    std::unique_ptr<ViewerSession> session;
    SceneState* scene = nullptr;

  private slots:
    void init();
    void cleanup();

    void opensWithListsTickAndNoPicture();
    void takesItsIconOnceShown();
    void textsFitAndTabOrderIsTheTemplates();
    void choosingASourceResetsTheBarsAndDraws_data();
    void choosingASourceResetsTheBarsAndDraws();
    void everyBarMessageRedraws_data();
    void everyBarMessageRedraws();
    void barArrowClickStepsTheZoom();
    void wheelOverThePictureStepsTheZoomBar();
    void dragTurnsTheEyeAndEndsOnReleaseAnywhere();
    void moveWithoutTheButtonNeverTurns();
    void colourSwitchWaitsForTheNextRedraw();
    void modalWindowsOpenAndThePictureSurvives_data();
    void modalWindowsOpenAndThePictureSurvives();
    void enterOnAPushButtonClicksIt();
    void systemMenuEndsWithAboutAndOpensOnTheSurface();
    void windowCommandsKeepTheirEffect();
    void everyWayOutEndsTheWindow_data();
    void everyWayOutEndsTheWindow();
    void fileListShowsTheDataFilesSorted_data();
    void fileListShowsTheDataFilesSorted();
    void unreadableFileLeavesSceneAndPicture_data();
    void unreadableFileLeavesSceneAndPicture();
    void fileOfTheWrongSizeIsDrawnThenReported();
    void savesThePictureAsPng();
    void saveWithoutPictureSaysSo();
};

void MainWindowTest::init()
{
    emptyDirectory = std::make_unique<ScratchDirectory>();
    session = std::make_unique<ViewerSession>();
    scene = &session->Scene();
}

void MainWindowTest::cleanup()
{
    scene = nullptr;
    session.reset();
    emptyDirectory.reset();
}

void MainWindowTest::opensWithListsTickAndNoPicture()
{
    CSurfaceDlg dialog(*session);
    QCOMPARE(dialog.windowTitle(),
             QString::fromUtf8("Hyt: representación tridimensional de funciones de dos variables"));
    QCOMPARE(dialog.size(), QSize(794, 538));
    QCOMPARE(Entries(ExampleCombo(dialog)),
             (QStringList{"Mandelbrot", "sin(pi()+sqrt(x*x+y*y))/(sqrt(x*x+y*y)+1)",
                          "sin(sqrt(x*x+y*y))", "sin(x)*sin(y)", "sin(y)*x"}));
    QCOMPARE(ExampleCombo(dialog)->currentIndex(), -1);
    QCOMPARE(FileCombo(dialog)->count(), 0);
    QCOMPARE(FileCombo(dialog)->currentText(), QString());
    QVERIFY(Control<QCheckBox>(dialog, "IDC_COLOR_CHECK")->isChecked());
    QCOMPARE(scene->colorMode, 1);
    QCOMPARE(scene->zoomLevel, 20.0); // nothing reset yet

    QVERIFY(!dialog.HasPicture());
    QVERIFY(IsUniform(ShownPicture(dialog), dialog.palette().color(QPalette::Window).rgb()));

    // The bars work before any source without a picture or a fault.
    emit ZoomBar(dialog)->Scrolled(SB_LINEUP, 0);
    emit DistanceBar(dialog)->Scrolled(SB_LINEDOWN, 0);
    QVERIFY(!dialog.HasPicture());
    QVERIFY(std::isfinite(scene->eye.x) && std::isfinite(scene->zoomLevel));
}

// The icon comes after the first paint, for the window and the windows
// opened after it.
void MainWindowTest::takesItsIconOnceShown()
{
    CSurfaceDlg dialog(*session);
    QVERIFY(!dialog.testAttribute(Qt::WA_SetWindowIcon));
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    QTRY_VERIFY(dialog.testAttribute(Qt::WA_SetWindowIcon));
    QVERIFY(dialog.windowIcon().availableSizes().contains(QSize(32, 32)));
    QVERIFY(!QApplication::windowIcon().isNull());
}

void MainWindowTest::textsFitAndTabOrderIsTheTemplates()
{
    CSurfaceDlg dialog(*session);
    for (const QLabel* label : dialog.findChildren<QLabel*>()) {
        QVERIFY2(label->sizeHint().width() <= label->width(), qPrintable(label->text()));
        for (const QWidget* other : dialog.findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
            QVERIFY2(other == label || other->isWindow() ||
                         !other->geometry().intersects(label->geometry()),
                     qPrintable(label->text()));
    }
    const QCheckBox* check = Control<QCheckBox>(dialog, "IDC_COLOR_CHECK");
    const int checkNeeds = check->style()->pixelMetric(QStyle::PM_IndicatorWidth) +
                           check->style()->pixelMetric(QStyle::PM_CheckBoxLabelSpacing) +
                           check->fontMetrics().horizontalAdvance(check->text());
    QVERIFY(checkNeeds <= check->width());
    for (const QPushButton* button : dialog.findChildren<QPushButton*>())
        QVERIFY2(button->fontMetrics().horizontalAdvance(button->text()) + 8 <= button->width(),
                 qPrintable(button->text()));
    // No control reaches into the picture area.
    for (const QWidget* child : dialog.findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        if (!child->isWindow())
            QVERIFY2(!child->geometry().intersects(CSurfaceDlg::PictureRect()),
                     qPrintable(child->objectName()));

    ShowActive(dialog);
    QCOMPARE(dialog.focusWidget()->objectName(), QStringLiteral("IDCANCEL"));
    QStringList order;
    for (int i = 0; i < 6; ++i) {
        order << QApplication::focusWidget()->objectName();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    }
    QCOMPARE(order, (QStringList{"IDCANCEL", "IDC_ABOUT_BUTTON", "IDC_INSTRUCTIONS_BUTTON",
                                 "IDC_EXAMPLE_COMBO", "IDC_COLOR_CHECK", "IDC_FILE_COMBO"}));
}

void MainWindowTest::choosingASourceResetsTheBarsAndDraws_data()
{
    QTest::addColumn<QString>("example"); // empty: the data file surface.hyt
    for (const ExampleSurface& example : kExamples)
        QTest::newRow(example.label.data()) << QString::fromLatin1(example.label.data());
    QTest::newRow("data file") << QString();
}

void MainWindowTest::choosingASourceResetsTheBarsAndDraws()
{
    QFETCH(QString, example);
    emptyDirectory->Write(QStringLiteral("surface.hyt"), DataFileBytes(10000, -5000.0));
    CSurfaceDlg dialog(*session);
    // A view far from the reset one, to be put back.
    ZoomBar(dialog)->SetScrollPos(3);
    scene->zoomLevel = 47.0;

    if (example.isEmpty())
        Choose(FileCombo(dialog), QStringLiteral("surface"));
    else
        Choose(ExampleCombo(dialog), example);

    QCOMPARE(DistanceBar(dialog)->minimum(), 30);
    QCOMPARE(DistanceBar(dialog)->maximum(), 300);
    QCOMPARE(DistanceBar(dialog)->value(), 299);
    QCOMPARE(ZoomBar(dialog)->minimum(), 0);
    QCOMPARE(ZoomBar(dialog)->maximum(), 50);
    QCOMPARE(ZoomBar(dialog)->value(), 25);
    QCOMPARE(scene->zoomLevel, 25.0);

    QVERIFY(dialog.HasPicture());
    const QImage picture = dialog.Picture();
    QCOMPARE(picture.size(), QSize(673, 496));
    QVERIFY(!IsUniform(picture, picture.pixel(0, 0))); // a surface, not a blank
    QCOMPARE(ShownPicture(dialog), picture);
    // The window paints its own background beside the picture: the column
    // right of it and the row below it.
    const QRect shown = CSurfaceDlg::PictureRect();
    const QRgb window = dialog.palette().color(QPalette::Window).rgb();
    for (const QRect& beside : {QRect(shown.right() + 1, shown.top(), 1, shown.height()),
                                QRect(shown.left(), shown.bottom() + 1, shown.width(), 1)})
        QVERIFY(
            IsUniform(dialog.grab(beside).toImage().convertToFormat(QImage::Format_RGB32), window));
}

void MainWindowTest::everyBarMessageRedraws_data()
{
    QTest::addColumn<bool>("zoomBar");
    QTest::addColumn<unsigned>("code");
    QTest::addColumn<unsigned>("position");
    QTest::addColumn<double>("zoomLevel");
    QTest::addColumn<double>("distance");
    QTest::addColumn<int>("barPosition");
    const double reset = std::sqrt(197.0 * 197.0 + 194.0 * 194.0 + 115.0 * 115.0);
    // From the reset view: zoom 25 (bar 25), distance 299.449... (bar 299).
    QTest::newRow("Z line up") << true << unsigned(SB_LINEUP) << 0u << 26.0 << reset << 24;
    QTest::newRow("Z line down") << true << unsigned(SB_LINEDOWN) << 0u << 24.0 << reset << 26;
    QTest::newRow("Z thumb track") << true << unsigned(SB_THUMBTRACK) << 10u << 40.0 << reset << 10;
    QTest::newRow("Z thumb position")
        << true << unsigned(SB_THUMBPOSITION) << 30u << 20.0 << reset << 30;
    for (ScrollCode code : {SB_PAGEUP, SB_PAGEDOWN, SB_TOP, SB_BOTTOM, SB_ENDSCROLL}) {
        QTest::addRow("Z code %u changes nothing", unsigned(code))
            << true << unsigned(code) << 7u << 25.0 << reset << 25;
        QTest::addRow("P code %u changes nothing", unsigned(code))
            << false << unsigned(code) << 70u << 25.0 << reset << 299;
    }
    QTest::newRow("P line up") << false << unsigned(SB_LINEUP) << 0u << 25.0 << reset - 2.0 << 297;
    QTest::newRow("P line down to the end")
        << false << unsigned(SB_LINEDOWN) << 0u << 25.0 << 300.0 << 300;
    QTest::newRow("P thumb track")
        << false << unsigned(SB_THUMBTRACK) << 100u << 25.0 << 100.0 << 100;
}

void MainWindowTest::everyBarMessageRedraws()
{
    QFETCH(bool, zoomBar);
    QFETCH(unsigned, code);
    QFETCH(unsigned, position);
    QFETCH(double, zoomLevel);
    QFETCH(double, distance);
    QFETCH(int, barPosition);
    CSurfaceDlg dialog(*session);
    Choose(ExampleCombo(dialog), QString::fromLatin1(kMandelbrot));
    // A redraw recomputes the height range; spoil it to see that one ran.
    scene->minHeight = std::nan("");

    ScrollBarControl* bar = zoomBar ? ZoomBar(dialog) : DistanceBar(dialog);
    emit bar->Scrolled(ScrollCode(code), position);

    QVERIFY2(!std::isnan(scene->minHeight), "the bar message did not redraw");
    QCOMPARE(scene->zoomLevel, zoomLevel);
    QVERIFY(std::fabs(Length(scene->eye) - distance) < 1e-9);
    QCOMPARE(bar->value(), barPosition);
    QCOMPARE(ShownPicture(dialog), dialog.Picture());
}

void MainWindowTest::barArrowClickStepsTheZoom()
{
    CSurfaceDlg dialog(*session);
    ShowActive(dialog);
    Choose(ExampleCombo(dialog), QString::fromLatin1(kMandelbrot));
    const QImage before = dialog.Picture();
    ScrollBarControl* bar = ZoomBar(dialog);
    QTest::mouseClick(bar, Qt::LeftButton, {}, QPoint(bar->width() / 2, 3)); // top arrow
    QCOMPARE(scene->zoomLevel, 26.0);
    QCOMPARE(bar->value(), 24);
    QVERIFY(dialog.Picture() != before); // a larger picture
}

void MainWindowTest::wheelOverThePictureStepsTheZoomBar()
{
    CSurfaceDlg dialog(*session);
    Choose(ExampleCombo(dialog), QString::fromLatin1(kMandelbrot));
    auto wheel = [&dialog](QPoint at, int delta) {
        QWheelEvent event(at, dialog.mapToGlobal(at), {}, QPoint(0, delta), Qt::NoButton, {},
                          Qt::NoScrollPhase, false);
        QApplication::sendEvent(&dialog, &event);
    };
    const QPoint inPicture = CSurfaceDlg::PictureRect().center();
    wheel(inPicture, 120); // up: enlarge
    QCOMPARE(scene->zoomLevel, 26.0);
    QCOMPARE(ZoomBar(dialog)->value(), 24);
    wheel(inPicture, -240);
    QCOMPARE(scene->zoomLevel, 24.0);
    QCOMPARE(ZoomBar(dialog)->value(), 26);
    wheel(QPoint(60, 100), 120); // left of the picture: no zoom
    QCOMPARE(scene->zoomLevel, 24.0);
}

void MainWindowTest::dragTurnsTheEyeAndEndsOnReleaseAnywhere()
{
    CSurfaceDlg dialog(*session);
    ShowActive(dialog);
    Choose(ExampleCombo(dialog), QString::fromLatin1(kMandelbrot));
    QWindow* window = dialog.windowHandle();
    const double distance = Length(scene->eye);

    // From the reset view, the cursor 10 pixels to the right.
    QTest::mousePress(window, Qt::LeftButton, {}, QPoint(400, 300));
    QCOMPARE(scene->dragging, 1);
    QTest::mouseMove(window, QPoint(410, 300));
    QVERIFY2(Near(scene->eye, Vec3{115.1872, -203.6507, 186.8911}, 1e-3), "turned the wrong way");
    QVERIFY(std::fabs(Length(scene->eye) - distance) < 1e-9);
    QCOMPARE(DistanceBar(dialog)->value(), 299); // a turn does not move the "P" bar
    QCOMPARE(ShownPicture(dialog), dialog.Picture());

    // Released far outside the window: the drag is over all the same.
    QTest::mouseMove(window, QPoint(900, 700));
    QTest::mouseRelease(window, Qt::LeftButton, {}, QPoint(900, 700));
    QCOMPARE(scene->dragging, 0);
    const Vec3 eye = scene->eye;
    const QImage picture = dialog.Picture();
    QTest::mouseMove(window, QPoint(300, 200));
    QTest::mouseMove(window, QPoint(350, 260));
    QVERIFY(Near(scene->eye, eye, 0.0));
    QCOMPARE(dialog.Picture(), picture);
}

void MainWindowTest::moveWithoutTheButtonNeverTurns()
{
    // A release the window never saw (the mouse was taken from it): the next
    // move, with the button up, ends the drag instead of turning the view.
    CSurfaceDlg dialog(*session);
    ShowActive(dialog);
    Choose(ExampleCombo(dialog), QString::fromLatin1(kMandelbrot));
    QTest::mousePress(dialog.windowHandle(), Qt::LeftButton, {}, QPoint(400, 300));
    const Vec3 eye = scene->eye;
    QMouseEvent move(QEvent::MouseMove, QPointF(450, 330), dialog.mapToGlobal(QPointF(450, 330)),
                     Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(&dialog, &move);
    QCOMPARE(scene->dragging, 0);
    QVERIFY(Near(scene->eye, eye, 0.0));
    QTest::mouseRelease(dialog.windowHandle(), Qt::LeftButton, {}, QPoint(450, 330));
}

void MainWindowTest::colourSwitchWaitsForTheNextRedraw()
{
    CSurfaceDlg dialog(*session);
    ShowActive(dialog);
    Choose(ExampleCombo(dialog), QString::fromLatin1(kMandelbrot));
    const QImage coloured = dialog.Picture();
    auto* check = Control<QCheckBox>(dialog, "IDC_COLOR_CHECK");

    QTest::mouseClick(check, Qt::LeftButton);
    QCOMPARE(scene->colorMode, 0);
    QVERIFY(!check->isChecked());
    QCOMPARE(dialog.Picture(), coloured);
    QCOMPARE(ShownPicture(dialog), coloured);

    emit ZoomBar(dialog)->Scrolled(SB_ENDSCROLL, 25); // any redraw
    const QImage plain = dialog.Picture();
    QVERIFY(plain != coloured);
    // Plain fill is red only: no blue-to-red colours remain.
    bool anyRed = false;
    for (int y = 0; y < plain.height(); ++y)
        for (int x = 0; x < plain.width(); ++x) {
            const QRgb p = plain.pixel(x, y);
            QVERIFY(qBlue(p) == 0 || p == qRgb(50, 50, 50));
            anyRed = anyRed || p == qRgb(255, 0, 0);
        }
    QVERIFY(anyRed);

    QTest::mouseClick(check, Qt::LeftButton);
    QCOMPARE(scene->colorMode, 1);
    QVERIFY(check->isChecked());
    Choose(ExampleCombo(dialog), QString::fromLatin1(kMandelbrot)); // the reset view again
    QCOMPARE(dialog.Picture(), coloured);
}

void MainWindowTest::modalWindowsOpenAndThePictureSurvives_data()
{
    QTest::addColumn<QString>("way");
    QTest::addColumn<QString>("caption");
    const QString about = QStringLiteral("Sobre Hyt");
    const QString instructions = QStringLiteral("INSTRUCCIONES");
    QTest::newRow("Sobre hyt") << "IDC_ABOUT_BUTTON" << about;
    QTest::newRow("system-menu entry") << "menu" << about;
    QTest::newRow("command 16") << "16" << about;
    QTest::newRow("command 31") << "31" << about;
    QTest::newRow("Instrucciones") << "IDC_INSTRUCTIONS_BUTTON" << instructions;
    QTest::newRow("F1") << "F1" << instructions;
}

void MainWindowTest::modalWindowsOpenAndThePictureSurvives()
{
    QFETCH(QString, way);
    QFETCH(QString, caption);
    CSurfaceDlg dialog(*session);
    ShowActive(dialog);
    Choose(ExampleCombo(dialog), QString::fromLatin1(kMandelbrot));
    const QImage picture = dialog.Picture();
    const Vec3 eye = scene->eye;

    QString shown;
    bool mainDisabled = false;
    OnNextModal([&](QWidget* modal) {
        shown = modal->windowTitle();
        mainDisabled = !dialog.isEnabled() || QApplication::activeModalWidget() != &dialog;
        QTest::keyClick(modal, Qt::Key_Escape);
    });
    if (way == u"menu")
        MenuEntry(dialog.findChild<QMenu*>(), QStringLiteral("&Acerca de hyt..."))->trigger();
    else if (way == u"F1")
        QTest::keyClick(&dialog, Qt::Key_F1);
    else if (way.startsWith(u"IDC_"))
        QTest::mouseClick(Control<QPushButton>(dialog, qPrintable(way)), Qt::LeftButton);
    else
        dialog.OnSysCommand(way.toUInt(), 0);

    QCOMPARE(shown, caption);
    QVERIFY(mainDisabled);
    QVERIFY(dialog.isVisible()); // closing it does not end the program
    QVERIFY(Near(scene->eye, eye, 0.0));
    QCOMPARE(ShownPicture(dialog), picture);
}

void MainWindowTest::enterOnAPushButtonClicksIt()
{
    CSurfaceDlg dialog(*session);
    ShowActive(dialog);
    auto* about = Control<QPushButton>(dialog, "IDC_ABOUT_BUTTON");
    about->setFocus();
    QString shown;
    OnNextModal([&](QWidget* modal) {
        shown = modal->windowTitle();
        modal->close();
    });
    QTest::keyClick(about, Qt::Key_Return);
    QCOMPARE(shown, QStringLiteral("Sobre Hyt"));
    QVERIFY(dialog.isVisible());
}

void MainWindowTest::systemMenuEndsWithAboutAndOpensOnTheSurface()
{
    CSurfaceDlg dialog(*session);
    ShowActive(dialog);
    QMenu* menu = dialog.findChild<QMenu*>();
    const QList<QAction*> actions = menu->actions();
    QVERIFY(actions.size() >= 4);
    QCOMPARE(actions.back()->text(), QStringLiteral("&Acerca de hyt..."));
    QVERIFY(actions[actions.size() - 2]->isSeparator());
    QAction* save = actions[actions.size() - 3];
    QVERIFY(save->text().startsWith(QStringLiteral("&Guardar imagen...")));
    QVERIFY(!save->isEnabled()); // no picture yet
    QVERIFY(MenuEntry(menu, QStringLiteral("&Cerrar")));
    Choose(ExampleCombo(dialog), QString::fromLatin1(kMandelbrot));
    QVERIFY(save->isEnabled());

    // A right click on a button is the button's; on the window's surface it
    // opens the menu.
    QTest::mouseClick(dialog.windowHandle(), Qt::RightButton, {},
                      Control<QPushButton>(dialog, "IDCANCEL")->geometry().center());
    QVERIFY(!menu->isVisible());
    QTest::mouseClick(dialog.windowHandle(), Qt::RightButton, {}, QPoint(400, 300));
    QTRY_VERIFY(menu->isVisible());
    menu->close();
    QCOMPARE(scene->dragging, 0);
}

void MainWindowTest::windowCommandsKeepTheirEffect()
{
    CSurfaceDlg dialog(*session);
    ShowActive(dialog);
    Choose(ExampleCombo(dialog), QString::fromLatin1(kMandelbrot));
    const QRect cancelPlace = Control<QPushButton>(dialog, "IDCANCEL")->geometry();

    dialog.OnSysCommand(SC_MAXIMIZE, 0);
    QTRY_VERIFY(dialog.isMaximized());
    // Grown or not, the controls and the picture keep their places.
    QCOMPARE(Control<QPushButton>(dialog, "IDCANCEL")->geometry(), cancelPlace);
    QCOMPARE(ShownPicture(dialog), dialog.Picture());

    dialog.OnSysCommand(SC_RESTORE, 0);
    QTRY_VERIFY(!dialog.isMaximized());
    QTRY_COMPARE(dialog.size(), QSize(794, 538));

    dialog.OnSysCommand(SC_MINIMIZE, 0);
    QTRY_VERIFY(dialog.isMinimized());
    dialog.OnSysCommand(SC_RESTORE, 0);
    QTRY_VERIFY(!dialog.isMinimized());
    QCOMPARE(ShownPicture(dialog), dialog.Picture());

    QVERIFY(QApplication::activeModalWidget() == nullptr); // none of them opened a window
    dialog.OnSysCommand(SC_CLOSE, 0);
    QVERIFY(!dialog.isVisible());
    QCOMPARE(dialog.result(), int(QDialog::Rejected));
}

void MainWindowTest::everyWayOutEndsTheWindow_data()
{
    QTest::addColumn<QString>("way");
    QTest::addColumn<int>("result");
    QTest::newRow("Cerrar") << "Cerrar" << int(QDialog::Rejected);
    QTest::newRow("Esc") << "Esc" << int(QDialog::Rejected);
    QTest::newRow("close box") << "close box" << int(QDialog::Rejected);
    QTest::newRow("system-menu Cerrar") << "menu" << int(QDialog::Rejected);
    QTest::newRow("Enter on Color") << "IDC_COLOR_CHECK" << int(QDialog::Accepted);
    QTest::newRow("Enter on the example list") << "IDC_EXAMPLE_COMBO" << int(QDialog::Accepted);
    QTest::newRow("Enter in the file list") << "IDC_FILE_COMBO" << int(QDialog::Accepted);
}

void MainWindowTest::everyWayOutEndsTheWindow()
{
    QFETCH(QString, way);
    QFETCH(int, result);
    CSurfaceDlg dialog(*session);
    OnNextModal([&](QWidget* modal) {
        if (way == u"Cerrar") {
            QTest::mouseClick(Control<QPushButton>(*modal, "IDCANCEL"), Qt::LeftButton);
        } else if (way == u"Esc") {
            QTest::keyClick(modal, Qt::Key_Escape);
        } else if (way == u"close box") {
            modal->close();
        } else if (way == u"menu") {
            MenuEntry(modal->findChild<QMenu*>(), QStringLiteral("&Cerrar"))->trigger();
        } else {
            QWidget* control = Control<QWidget>(*modal, qPrintable(way));
            control->setFocus();
            QTest::keyClick(control, Qt::Key_Return);
        }
    });
    dialog.DoModal();
    QVERIFY(!dialog.isVisible());
    QCOMPARE(dialog.result(), result);
}

void MainWindowTest::fileListShowsTheDataFilesSorted_data()
{
    QTest::addColumn<QStringList>("files");
    QTest::addColumn<QStringList>("entries");
    QTest::newRow("none") << QStringList{"notes.txt", "x.hyt.bak"} << QStringList{};
    QTest::newRow("b before a") << QStringList{"b.hyt", "a.hyt"} << QStringList{"a", "b"};
    QTest::newRow("any case, empty name")
        << QStringList{"C.HYT", "b.hyt", ".hyt", "A.Hyt"} << QStringList{"", "A", "b", "C"};
}

void MainWindowTest::fileListShowsTheDataFilesSorted()
{
    QFETCH(QStringList, files);
    QFETCH(QStringList, entries);
    for (int i = 0; i < files.size(); ++i)
        emptyDirectory->Write(files[i], DataFileBytes(10000, 100.0 * i));
    QDir().mkdir(QStringLiteral("folder.hyt")); // not a data file
    CSurfaceDlg dialog(*session);
    emptyDirectory->Write(QStringLiteral("later.hyt"), DataFileBytes(10000, 0.0));

    QCOMPARE(Entries(FileCombo(dialog)), entries);
    QCOMPARE(FileCombo(dialog)->currentIndex(), -1);

    // Each entry opens the file it came from.
    for (int i = 0; i < files.size(); ++i) {
        if (!files[i].endsWith(u".hyt", Qt::CaseInsensitive))
            continue;
        Choose(FileCombo(dialog), files[i].chopped(4));
        QCOMPARE(scene->heights[0], 100.0 * i);
        QCOMPARE(scene->heights[9999], 100.0 * i + 9999.0);
        QCOMPARE(scene->zScale, 1.0);
    }
}

void MainWindowTest::unreadableFileLeavesSceneAndPicture_data()
{
    QTest::addColumn<bool>("becomesFolder");
    QTest::addColumn<QString>("reason");
    QTest::newRow("deleted since the start") << false << "no existe";
    QTest::newRow("now a folder") << true << "es una carpeta";
}

void MainWindowTest::unreadableFileLeavesSceneAndPicture()
{
    QFETCH(bool, becomesFolder);
    QFETCH(QString, reason);
    emptyDirectory->Write(QStringLiteral("good.hyt"), DataFileBytes(10000, 1.0));
    emptyDirectory->Write(QStringLiteral("gone.hyt"), DataFileBytes(10000, 7.0));
    CSurfaceDlg dialog(*session);
    Choose(FileCombo(dialog), QStringLiteral("good"));
    emit ZoomBar(dialog)->Scrolled(SB_LINEUP, 0); // a view the reset would undo
    const QImage picture = dialog.Picture();
    const QByteArray heights = Heights(*scene);
    const double zoom = scene->zoomLevel;

    QFile::remove(emptyDirectory->Path(QStringLiteral("gone.hyt")));
    if (becomesFolder)
        QDir().mkdir(QStringLiteral("gone.hyt"));
    QString message;
    OnNextModal([&](QWidget* modal) {
        message = qobject_cast<QMessageBox*>(modal)->text();
        modal->close();
    });
    Choose(FileCombo(dialog), QStringLiteral("gone"));

    QVERIFY2(message.contains(QString::fromUtf8("«gone.hyt»")), qPrintable(message));
    QVERIFY2(message.contains(reason), qPrintable(message));
    QCOMPARE(Heights(*scene), heights);
    QCOMPARE(scene->zoomLevel, zoom);
    QCOMPARE(ZoomBar(dialog)->value(), 24);
    QCOMPARE(dialog.Picture(), picture);
    QCOMPARE(ShownPicture(dialog), picture);
    QCOMPARE(FileCombo(dialog)->currentText(), QStringLiteral("good"));
}

void MainWindowTest::fileOfTheWrongSizeIsDrawnThenReported()
{
    emptyDirectory->Write(QStringLiteral("short.hyt"), DataFileBytes(12, 3.0) + "abcd");
    CSurfaceDlg dialog(*session);
    QString message;
    bool drawnFirst = false;
    OnNextModal([&](QWidget* modal) {
        message = qobject_cast<QMessageBox*>(modal)->text();
        drawnFirst = dialog.HasPicture();
        modal->close();
    });
    Choose(FileCombo(dialog), QStringLiteral("short"));
    QVERIFY(drawnFirst);
    QVERIFY2(message.contains(QString::fromUtf8("«short.hyt»")), qPrintable(message));
    QVERIFY2(message.contains(QStringLiteral("100 bytes")), qPrintable(message));
    QVERIFY2(message.contains(QStringLiteral("80000")), qPrintable(message));
    QCOMPARE(scene->heights[0], 3.0);
    QCOMPARE(DistanceBar(dialog)->value(), 299);
}

void MainWindowTest::savesThePictureAsPng()
{
    CSurfaceDlg dialog(*session);
    ShowActive(dialog);
    Choose(ExampleCombo(dialog), QString::fromLatin1(kMandelbrot));
    const QString target = emptyDirectory->Path(QStringLiteral("vista"));
    OnNextModal([&](QWidget* modal) {
        auto* files = qobject_cast<QFileDialog*>(modal);
        QVERIFY(files);
        files->selectFile(target);
        QMetaObject::invokeMethod(files, "accept");
    });
    QTest::keyClick(&dialog, Qt::Key_S, Qt::ControlModifier);
    QImage saved(target + QStringLiteral(".png")); // the suffix is added
    QCOMPARE(saved.convertToFormat(QImage::Format_RGB32), dialog.Picture());

    // The system-menu entry saves too; cancelling the file dialog writes nothing.
    OnNextModal([](QWidget* modal) { qobject_cast<QDialog*>(modal)->reject(); });
    MenuEntry(dialog.findChild<QMenu*>(), QStringLiteral("&Guardar imagen..."))->trigger();
    QCOMPARE(QDir(emptyDirectory->Path(QString())).entryList({"*.png"}).size(), 1);
}

void MainWindowTest::saveWithoutPictureSaysSo()
{
    CSurfaceDlg dialog(*session);
    QString message;
    OnNextModal([&](QWidget* modal) {
        message = qobject_cast<QMessageBox*>(modal)->text();
        modal->close();
    });
    dialog.OnSaveImage();
    QVERIFY2(message.contains(QStringLiteral("imagen")), qPrintable(message));
}

int RunMainWindowTests(int argc, char** argv)
{
    MainWindowTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "main_window_test.moc"
