// The main window where it meets the user's keys, files and language: each
// test is named for the fault it keeps away.
#include <QAbstractItemView>
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFileDialog>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QTreeView>
#include <QWheelEvent>
#include <algorithm>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <functional>
#include <limits>
#include <memory>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/ScrollBarControl.h"
#include "platform/SortedComboBox.h"
#include "ui/SurfaceDlg.h"
#include "ui_test_support.h"
#include "view/ViewerSession.h"

using namespace hyt;

namespace {

SortedComboBox* FileCombo(const CSurfaceDlg& d)
{
    return Control<SortedComboBox>(d, "IDC_FILE_COMBO");
}
SortedComboBox* ExampleCombo(const CSurfaceDlg& d)
{
    return Control<SortedComboBox>(d, "IDC_EXAMPLE_COMBO");
}

void ChooseMandelbrot(CSurfaceDlg& dialog)
{
    SortedComboBox* examples = ExampleCombo(dialog);
    const int index = examples->findText(QStringLiteral("Mandelbrot"));
    examples->setCurrentIndex(index);
    emit examples->activated(index);
}

// The text of the next message box, which is then closed.
void CatchMessage(QString& text, QWidget* except = nullptr)
{
    OnNextModal(
        [&text](QWidget* modal) {
            if (auto* box = qobject_cast<QMessageBox*>(modal))
                text = box->text();
            modal->close();
        },
        except);
}

// Closes every modal window that opens while it lives, and counts them.
class ModalCloser {
  public:
    ModalCloser()
    {
        timer.setInterval(5);
        QObject::connect(&timer, &QTimer::timeout, &timer, [this] {
            if (QWidget* modal = QApplication::activeModalWidget(); modal && modal->isVisible()) {
                ++closed;
                modal->close();
            }
        });
        timer.start();
    }
    int closed = 0;

  private:
    QTimer timer;
};

QByteArray FileBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QByteArray InfiniteAt(QByteArray bytes, int index)
{
    const double inf = std::numeric_limits<double>::infinity();
    std::memcpy(bytes.data() + 8 * index, &inf, sizeof inf);
    return bytes;
}

} // namespace

class WindowEdgesTest : public QObject {
    Q_OBJECT

  private:
    std::unique_ptr<ScratchDirectory> directory;
    std::unique_ptr<ViewerSession> session;

  private slots:
    void init();
    void cleanup();

    void altSpacePressesTheFocusedControl_data();
    void altSpacePressesTheFocusedControl();
    void qtDialogsSpeakEnglish();
    void fileListSpeaksEnglish();
    void exampleListOpensAboveItsBox();
    void accentedNamesSortAfterZ();
    void nameNotInUtf8OpensAnotherFile();
    void wheelOverAListWithoutFocusLoadsFiles();
    void downBringsBackTheSameFailedFile_data();
    void downBringsBackTheSameFailedFile();
    void barsBeforeTheFirstSourceShowAThumb();
    void nonFiniteHeightsGoUnmentioned_data();
    void nonFiniteHeightsGoUnmentioned();
    void failedSaveCutsTheOldFileSilently_data();
    void failedSaveCutsTheOldFileSilently();
    void addedSuffixReplacesAFileUnasked();
};

void WindowEdgesTest::init()
{
    directory = std::make_unique<ScratchDirectory>();
    session = std::make_unique<ViewerSession>();
}

void WindowEdgesTest::cleanup()
{
    session.reset();
    directory.reset();
}

void WindowEdgesTest::altSpacePressesTheFocusedControl_data()
{
    QTest::addColumn<QString>("focus");
    QTest::newRow("Cerrar would end the program") << "IDCANCEL";
    QTest::newRow("Sobre hyt would open the About box") << "IDC_ABOUT_BUTTON";
    QTest::newRow("Color would flip the colour switch") << "IDC_COLOR_CHECK";
}

void WindowEdgesTest::altSpacePressesTheFocusedControl()
{
    QFETCH(QString, focus);
    CSurfaceDlg dialog(*session);
    ShowActive(dialog);
    QWidget* control = Control<QWidget>(dialog, qPrintable(focus));
    control->setFocus();
    ModalCloser closer;

    QTest::keyClick(control, Qt::Key_Space, Qt::AltModifier);

    QMenu* menu = dialog.findChild<QMenu*>();
    QTRY_VERIFY(menu->isVisible());
    QCOMPARE(menu->pos(), dialog.mapToGlobal(QPoint(0, 0)));
    menu->close();
    QTest::qWait(50);
    QCOMPARE(closer.closed, 0);
    QVERIFY(dialog.isVisible());
    QVERIFY(Control<QCheckBox>(dialog, "IDC_COLOR_CHECK")->isChecked());
    QCOMPARE(session->Scene().colorMode, 1);
}

void WindowEdgesTest::qtDialogsSpeakEnglish()
{
    CSurfaceDlg dialog(*session);
    ShowActive(dialog);
    QStringList messageButtons;
    OnNextModal([&messageButtons](QWidget* modal) {
        for (const QPushButton* button : modal->findChildren<QPushButton*>())
            messageButtons << button->text();
        modal->close();
    });
    dialog.OnSaveImage(); // no picture yet: a message
    QCOMPARE(messageButtons.join(u'|').remove(u'&'), QStringLiteral("Aceptar"));

    ChooseMandelbrot(dialog);
    QStringList fileDialogTexts;
    OnNextModal([&fileDialogTexts](QWidget* modal) {
        QVERIFY(qobject_cast<QFileDialog*>(modal));
        for (const QPushButton* button : modal->findChildren<QPushButton*>())
            fileDialogTexts << button->text();
        for (const QLabel* label : modal->findChildren<QLabel*>())
            fileDialogTexts << label->text();
        qobject_cast<QDialog*>(modal)->reject();
    });
    dialog.OnSaveImage();
    const QString shown = fileDialogTexts.join(u'|').remove(u'&');
    for (const char* text : {"Guardar", "Cancelar", "Ver en:", "Nombre de fichero:"})
        QVERIFY2(shown.contains(QString::fromUtf8(text)), qPrintable(shown));
}

// Qt's own list names a folder's kind in English, and writes dates and sizes
// in the system's language; the test runs with no Spanish locale set.
void WindowEdgesTest::fileListSpeaksEnglish()
{
    directory->Write(QStringLiteral("a.hyt"), DataFileBytes(10000, 0.0));
    QVERIFY(QDir(directory->Path(QString())).mkdir(QStringLiteral("sub")));
    CSurfaceDlg dialog(*session);
    ShowActive(dialog);
    QMap<QString, QStringList> shown; // by name: size, kind, date
    OnNextModal([&shown](QWidget* modal) {
        auto* list = modal->findChild<QTreeView*>(QStringLiteral("treeView"));
        QVERIFY(list);
        const QAbstractItemModel* model = list->model();
        // The folder is read in the background.
        QTRY_COMPARE(model->rowCount(list->rootIndex()), 2);
        for (int row = 0; row < 2; ++row) {
            QStringList columns;
            for (int column = 1; column <= 3; ++column)
                columns << model->index(row, column, list->rootIndex()).data().toString();
            shown[model->index(row, 0, list->rootIndex()).data().toString()] = columns;
        }
        qobject_cast<QDialog*>(modal)->reject();
    });
    dialog.OnOpenFile();

    QCOMPARE(shown.value(QStringLiteral("sub")).value(1), QStringLiteral("Carpeta"));
    const QStringList file = shown.value(QStringLiteral("a.hyt"));
    QCOMPARE(file.value(0), QStringLiteral("78,13 KiB"));
    const QLocale spanish(QLocale::Spanish, QLocale::Spain);
    const QDateTime written = QFileInfo(directory->Path(QStringLiteral("a.hyt"))).lastModified();
    QCOMPARE(file.value(2), spanish.toString(written, QLocale::ShortFormat));
}

void WindowEdgesTest::exampleListOpensAboveItsBox()
{
    directory->Write(QStringLiteral("a.hyt"), DataFileBytes(10000, 0.0));
    CSurfaceDlg dialog(*session);
    ShowActive(dialog);
    SortedComboBox* examples = ExampleCombo(dialog);
    examples->setCurrentIndex(examples->count() - 1); // the last entry, the worst case

    examples->showPopup();
    QWidget* popup = examples->view()->window();
    QTRY_VERIFY(popup->isVisible());
    const int boxBottom = examples->mapToGlobal(QPoint(0, examples->height())).y();
    QVERIFY2(popup->geometry().top() >= boxBottom - 1, "the list covers its own box");
    QVERIFY(popup->geometry().top() >= dialog.mapToGlobal(QPoint(0, 0)).y());
    examples->hidePopup();
    // Rows as high as those of the file list.
    QCOMPARE(examples->view()->sizeHintForRow(0), FileCombo(dialog)->view()->sizeHintForRow(0));
}

void WindowEdgesTest::accentedNamesSortAfterZ()
{
    const QStringList names{"Zeta", "ñu", "beta", "árbol", "Ábaco", "nube", "Oso"};
    for (int i = 0; i < names.size(); ++i)
        directory->Write(names[i] + QStringLiteral(".hyt"), DataFileBytes(10000, 100.0 * i));
    CSurfaceDlg dialog(*session);
    QCOMPARE(Entries(FileCombo(dialog)),
             (QStringList{"Ábaco", "árbol", "beta", "nube", "ñu", "Oso", "Zeta"}));
    // Each entry still opens its own file.
    for (int i = 0; i < names.size(); ++i) {
        const int index = FileCombo(dialog)->findText(names[i]);
        FileCombo(dialog)->setCurrentIndex(index);
        emit FileCombo(dialog)->activated(index);
        QCOMPARE(session->Scene().heights[0], 100.0 * i);
    }
}

void WindowEdgesTest::nameNotInUtf8OpensAnotherFile()
{
    // Latin-1 bytes of "añejo" and "año": not UTF-8, the same once shown.
    const QByteArray first = DataFileBytes(10000, 11.0);
    const QByteArray second = DataFileBytes(10000, 22.0);
    for (const auto& [name, bytes] : {std::pair{"a\xf1"
                                                "ejo.hyt",
                                                first},
                                      std::pair{"a\xf1o.hyt", second}}) {
        const int fd = ::open(name, O_WRONLY | O_CREAT | O_TRUNC, 0644);
        QVERIFY(fd >= 0);
        QCOMPARE(::write(fd, bytes.constData(), std::size_t(bytes.size())), ssize_t(bytes.size()));
        ::close(fd);
    }
    CSurfaceDlg dialog(*session);
    SortedComboBox* files = FileCombo(dialog);
    QCOMPARE(files->count(), 2);
    QList<double> opened;
    for (int index = 0; index < files->count(); ++index) {
        files->setCurrentIndex(index);
        emit files->activated(index);
        QVERIFY(session->HasSource());
        opened << session->Scene().heights[0];
    }
    std::sort(opened.begin(), opened.end());
    QCOMPARE(opened, (QList<double>{11.0, 22.0}));
}

void WindowEdgesTest::wheelOverAListWithoutFocusLoadsFiles()
{
    for (const char* name : {"a.hyt", "b.hyt", "c.hyt"})
        directory->Write(QString::fromLatin1(name), DataFileBytes(10000, double(name[0])));
    CSurfaceDlg dialog(*session);
    ShowActive(dialog);
    SortedComboBox* files = FileCombo(dialog);
    auto wheel = [files](int delta) {
        const QPointF at(files->rect().center());
        QWheelEvent event(at, files->mapToGlobal(at), {}, QPoint(0, delta), Qt::NoButton, {},
                          Qt::NoScrollPhase, false);
        QApplication::sendEvent(files, &event);
    };
    // The wheel never gives a list the focus...
    QVERIFY((files->focusPolicy() & Qt::WheelFocus) != Qt::WheelFocus);
    // ...and without it, five notches choose nothing.
    for (int i = 0; i < 5; ++i)
        wheel(-120);
    QVERIFY(!session->HasSource());
    QCOMPARE(files->currentIndex(), -1);

    // With the focus, the wheel moves through the list and loads.
    files->setFocus();
    QTRY_VERIFY(files->hasFocus());
    files->setCurrentIndex(0);
    wheel(-120);
    QCOMPARE(files->currentIndex(), 1);
    QCOMPARE(session->Scene().heights[0], double('b'));
}

void WindowEdgesTest::downBringsBackTheSameFailedFile_data()
{
    QTest::addColumn<QString>("breakage");
    QTest::addColumn<QStringList>("entriesAfter");
    QTest::newRow("deleted: it leaves the list") << "delete" << QStringList{"a", "c"};
    QTest::newRow("now a folder: it leaves the list") << "folder" << QStringList{"a", "c"};
    QTest::newRow("a link to itself: it stays") << "loop" << QStringList{"a", "b", "c"};
}

void WindowEdgesTest::downBringsBackTheSameFailedFile()
{
    QFETCH(QString, breakage);
    QFETCH(QStringList, entriesAfter);
    for (const char* name : {"a.hyt", "b.hyt", "c.hyt"})
        directory->Write(QString::fromLatin1(name), DataFileBytes(10000, double(name[0])));
    CSurfaceDlg dialog(*session);
    ShowActive(dialog);
    SortedComboBox* files = FileCombo(dialog);
    files->setFocus();
    QTest::keyClick(files, Qt::Key_Down);
    QCOMPARE(session->Scene().heights[0], double('a'));
    const QImage picture = dialog.Picture();

    const QString b = directory->Path(QStringLiteral("b.hyt"));
    QVERIFY(QFile::remove(b));
    if (breakage == u"folder")
        QVERIFY(QDir().mkdir(b));
    else if (breakage == u"loop")
        QVERIFY(::symlink("b.hyt", "b.hyt") == 0);
    QString message;
    CatchMessage(message);
    QTest::keyClick(files, Qt::Key_Down);
    QVERIFY2(message.contains(QStringLiteral("«b.hyt»")), qPrintable(message));
    QCOMPARE(session->Scene().heights[0], double('a'));
    QCOMPARE(dialog.Picture(), picture);
    QCOMPARE(Entries(files), entriesAfter);

    QTest::keyClick(files, Qt::Key_Down);
    QCOMPARE(session->Scene().heights[0], double('c'));
    QCOMPARE(files->currentText(), QStringLiteral("c"));
}

void WindowEdgesTest::barsBeforeTheFirstSourceShowAThumb()
{
    CSurfaceDlg dialog(*session);
    ShowActive(dialog);
    for (const char* id : {"IDC_ZOOM_BAR", "IDC_DISTANCE_BAR"}) {
        auto* bar = Control<ScrollBarControl>(dialog, id);
        QCOMPARE(bar->minimum(), 0);
        QCOMPARE(bar->maximum(), 0);
        QTest::mouseClick(bar, Qt::LeftButton, {}, QPoint(bar->width() / 2, 3)); // top arrow
        QTest::mouseClick(bar, Qt::LeftButton, {}, QPoint(bar->width() / 2, bar->height() - 3));
        QCOMPARE(bar->value(), 0);
        QCOMPARE(bar->maximum(), 0);
    }
    QVERIFY(!dialog.HasPicture());
}

void WindowEdgesTest::nonFiniteHeightsGoUnmentioned_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QStringList>("said");
    const QByteArray whole = DataFileBytes(10000, 1.0);
    QTest::newRow("three infinite heights")
        << InfiniteAt(InfiniteAt(InfiniteAt(whole, 0), 5000), 9999)
        << QStringList{"3 de sus 10000 alturas no son números finitos"};
    QByteArray nan(80000, '\xff'); // every record a NaN
    QTest::newRow("no finite height") << nan << QStringList{"no se puede dibujar nada"};
    // The last whole record of a short file fills the rest of the grid.
    QTest::newRow("short, last record infinite: one message")
        << InfiniteAt(DataFileBytes(20, 1.0), 19)
        << QStringList{"160 bytes", "80000", "9981 de sus 10000 alturas no son números finitos"};
}

void WindowEdgesTest::nonFiniteHeightsGoUnmentioned()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QStringList, said);
    directory->Write(QStringLiteral("odd.hyt"), bytes);
    CSurfaceDlg dialog(*session);
    QStringList messages;
    bool drawnFirst = false;
    std::function<void(QWidget*)> collect = [&](QWidget* modal) {
        messages << qobject_cast<QMessageBox*>(modal)->text();
        drawnFirst = dialog.HasPicture();
        modal->close();
    };
    OnNextModal(collect);
    SortedComboBox* files = FileCombo(dialog);
    files->setCurrentIndex(0);
    emit files->activated(0);
    QTest::qWait(50); // a second message would be open by now
    QCOMPARE(messages.size(), 1);
    QVERIFY(drawnFirst);
    for (const QString& part : said)
        QVERIFY2(messages[0].contains(part), qPrintable(messages[0]));
    QVERIFY(messages[0].contains(QStringLiteral("«odd.hyt»")));
}

void WindowEdgesTest::failedSaveCutsTheOldFileSilently_data()
{
    QTest::addColumn<QString>("target"); // relative: in the scratch folder
    QTest::addColumn<QString>("reason");
    QTest::addColumn<bool>("fileSizeLimit");
    QTest::newRow("the disk fills midway") << "vista.png"
                                           << "demasiado grande" << true;
    QTest::newRow("a folder that is not there") << "no/vista.png"
                                                << "la carpeta no existe" << false;
    if (QFileInfo(QStringLiteral("/dev/full")).exists())
        QTest::newRow("/dev/full") << "/dev/full"
                                   << "no queda espacio" << false;
}

void WindowEdgesTest::failedSaveCutsTheOldFileSilently()
{
    QFETCH(QString, target);
    QFETCH(QString, reason);
    QFETCH(bool, fileSizeLimit);
    const QString path = QDir::isAbsolutePath(target) ? target : directory->Path(target);
    const QByteArray old(20000, 'x');
    if (fileSizeLimit)
        directory->Write(target, old);
    CSurfaceDlg dialog(*session);
    ShowActive(dialog);
    ChooseMandelbrot(dialog);

    QString message;
    OnNextModal([&](QWidget* modal) {
        auto* chooser = qobject_cast<QFileDialog*>(modal);
        QVERIFY(chooser);
        chooser->selectFile(path);
        // Then "replace?" when there is a file: yes.
        OnNextModal(
            [&](QWidget* next) {
                auto* box = qobject_cast<QMessageBox*>(next);
                if (box && box->button(QMessageBox::Yes)) {
                    CatchMessage(message, box);
                    box->button(QMessageBox::Yes)->click();
                } else {
                    message = box ? box->text() : QString();
                    next->close();
                }
            },
            chooser);
        QMetaObject::invokeMethod(chooser, "accept");
    });
    // Writes past 4096 bytes of a file fail, as on a full disk.
    struct sigaction ignoreAction {};
    struct sigaction previousAction {};
    ignoreAction.sa_handler = SIG_IGN;
    rlimit previousLimit{};
    if (fileSizeLimit) {
        ::sigaction(SIGXFSZ, &ignoreAction, &previousAction);
        ::getrlimit(RLIMIT_FSIZE, &previousLimit);
        rlimit small = previousLimit;
        small.rlim_cur = 4096;
        ::setrlimit(RLIMIT_FSIZE, &small);
    }
    dialog.OnSaveImage();
    if (fileSizeLimit) {
        ::setrlimit(RLIMIT_FSIZE, &previousLimit);
        ::sigaction(SIGXFSZ, &previousAction, nullptr);
    }

    QVERIFY2(message.contains(QStringLiteral("«") + QDir::toNativeSeparators(path) +
                              QStringLiteral("»")),
             qPrintable(message));
    QVERIFY2(message.contains(reason), qPrintable(message));
    if (fileSizeLimit) {
        QCOMPARE(FileBytes(path), old);
        QCOMPARE(QDir(directory->Path(QString())).entryList(QDir::Files), QStringList{target});
    }
    if (target.startsWith(u'/')) {
        struct stat device {};
        QVERIFY(::stat("/dev/full", &device) == 0 && S_ISCHR(device.st_mode));
    }
}

void WindowEdgesTest::addedSuffixReplacesAFileUnasked()
{
    directory->Write(QStringLiteral("vista.png"), QByteArray("old picture"));
    CSurfaceDlg dialog(*session);
    ShowActive(dialog);
    ChooseMandelbrot(dialog);
    QString question;
    OnNextModal([&](QWidget* modal) {
        auto* chooser = qobject_cast<QFileDialog*>(modal);
        QVERIFY(chooser);
        chooser->selectFile(directory->Path(QStringLiteral("vista")));
        OnNextModal(
            [&question](QWidget* next) {
                auto* box = qobject_cast<QMessageBox*>(next);
                question = box ? box->text() : QString();
                if (box)
                    box->button(QMessageBox::No)->click();
                else
                    next->close();
            },
            chooser);
        QMetaObject::invokeMethod(chooser, "accept");
    });
    dialog.OnSaveImage();
    QVERIFY2(question.contains(QStringLiteral("vista.png»")), qPrintable(question));
    QCOMPARE(FileBytes(directory->Path(QStringLiteral("vista.png"))), QByteArray("old picture"));
}

int RunWindowEdgesTests(int argc, char** argv)
{
    WindowEdgesTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "window_edges_test.moc"
