// Surfaces from beyond the two lists: a file named at start, dropped or
// chosen with Ctrl+O, the file list read again as it drops down, and the
// formula through Ctrl+F. Each file is drawn and told about as one chosen
// from the list.
#include <QAction>
#include <QDir>
#include <QDropEvent>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QMimeData>
#include <QPushButton>
#include <QTest>
#include <QUrl>
#include <memory>

#include "platform/SortedComboBox.h"
#include "ui/SurfaceDlg.h"
#include "ui_test_support.h"
#include "view/ViewerSession.h"

using namespace hyt;

namespace {

SortedComboBox* FileList(const QWidget& dialog)
{
    return Control<SortedComboBox>(dialog, "IDC_FILE_COMBO");
}

// Drops what mime holds on the middle of the picture.
void Drop(CSurfaceDlg& dialog, QMimeData* mime)
{
    const QPointF at = CSurfaceDlg::PictureRect().center();
    QDragEnterEvent enter(at.toPoint(), Qt::CopyAction, mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&dialog, &enter);
    QVERIFY(enter.isAccepted());
    QDropEvent drop(at, Qt::CopyAction, mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&dialog, &drop);
}

QMimeData* Files(const QStringList& paths)
{
    auto* mime = new QMimeData;
    QList<QUrl> urls;
    for (const QString& path : paths)
        urls << QUrl::fromLocalFile(path);
    mime->setUrls(urls);
    return mime;
}

// Closes the next message box and keeps its text. Lives until the box has
// been shown.
struct NextMessage {
    QString text;
    NextMessage()
    {
        OnNextModal([this](QWidget* modal) {
            auto* box = qobject_cast<QMessageBox*>(modal);
            text = box ? box->text() : QStringLiteral("(not a message box)");
            modal->close();
        });
    }
};

} // namespace

class OpenSurfaceTest : public QObject {
    Q_OBJECT

  private:
    std::unique_ptr<ScratchDirectory> directory;
    std::unique_ptr<ViewerSession> session;

  private slots:
    void init()
    {
        directory = std::make_unique<ScratchDirectory>();
        session = std::make_unique<ViewerSession>();
        // The folder the window starts in, and another one.
        directory->Write(QStringLiteral("here.hyt"), DataFileBytes(10000, 0.0));
        QDir().mkdir(QStringLiteral("datos"));
        directory->Write(QStringLiteral("datos/b.hyt"), DataFileBytes(10000, 5.0));
        directory->Write(QStringLiteral("datos/A.HYT"), DataFileBytes(10000, 9.0));
        directory->Write(QStringLiteral("datos/notas.txt"), "no");
    }
    void cleanup()
    {
        session.reset();
        directory.reset();
    }

    void aFileNamedAtStartIsDrawnAndItsFolderListed();
    void aFileNamedAtStartThatCannotBeReadIsToldAndTheWindowStays();
    void aDroppedDataFileIsOpenedAndAnythingElseAnswered();
    void ctrlOOpensAFileFromAnotherFolder();
    void theFileListIsReadAgainWhenItDropsDown();
    void ctrlFDrawsTheFormulaAndTellsOfHeightsNotDrawn();
};

void OpenSurfaceTest::aFileNamedAtStartIsDrawnAndItsFolderListed()
{
    CSurfaceDlg dialog(*session);
    QCOMPARE(Entries(FileList(dialog)), QStringList{QStringLiteral("here")});
    dialog.OpenDataFileAtStart(directory->Path(QStringLiteral("datos/b.hyt")).toStdString());
    dialog.show();
    QTRY_VERIFY(dialog.HasPicture());
    QCOMPARE(session->Scene().heights[0], 5.0);
    QCOMPARE(Entries(FileList(dialog)), (QStringList{QStringLiteral("A"), QStringLiteral("b")}));
    QCOMPARE(FileList(dialog)->currentText(), QStringLiteral("b"));

    // The list now opens that folder's files.
    const int other = FileList(dialog)->findText(QStringLiteral("A"));
    FileList(dialog)->setCurrentIndex(other);
    emit FileList(dialog)->activated(other);
    QCOMPARE(session->Scene().heights[0], 9.0);
}

void OpenSurfaceTest::aFileNamedAtStartThatCannotBeReadIsToldAndTheWindowStays()
{
    QDir().mkdir(QStringLiteral("datos/carpeta.hyt"));
    for (const char* name : {"datos/nada.hyt", "datos/carpeta.hyt"}) {
        CSurfaceDlg dialog(*session);
        NextMessage message;
        dialog.OpenDataFileAtStart(directory->Path(QString::fromLatin1(name)).toStdString());
        dialog.show();
        QTRY_VERIFY(!message.text.isEmpty());
        const QString shown = QString::fromLatin1(name).mid(6);
        QVERIFY2(message.text.contains(QString::fromUtf8("«") + shown + QString::fromUtf8("»")),
                 qPrintable(message.text));
        QVERIFY2(message.text.contains(QStringLiteral("no existe")) ||
                     message.text.contains(QStringLiteral("es una carpeta")),
                 qPrintable(message.text));
        QVERIFY(dialog.isVisible());
        QVERIFY(!dialog.HasPicture());
        QVERIFY(!session->HasSource());
        QCOMPARE(Entries(FileList(dialog)),
                 (QStringList{QStringLiteral("A"), QStringLiteral("b")}));
        QCOMPARE(FileList(dialog)->currentIndex(), -1);
    }
}

void OpenSurfaceTest::aDroppedDataFileIsOpenedAndAnythingElseAnswered()
{
    CSurfaceDlg dialog(*session);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));

    const QStringList refused[] = {
        {directory->Path(QStringLiteral("datos/notas.txt"))},
        {directory->Path(QStringLiteral("datos/b.hyt")),
         directory->Path(QStringLiteral("here.hyt"))},
    };
    for (const QStringList& paths : refused) {
        NextMessage message;
        std::unique_ptr<QMimeData> mime(Files(paths));
        Drop(dialog, mime.get());
        QTRY_VERIFY(!message.text.isEmpty());
        QVERIFY2(message.text.contains(QStringLiteral(".hyt")), qPrintable(message.text));
        QVERIFY(!session->HasSource());
    }
    auto text = std::make_unique<QMimeData>();
    text->setText(QStringLiteral("sin(x)"));
    NextMessage message;
    Drop(dialog, text.get());
    QTRY_VERIFY(!message.text.isEmpty());
    QVERIFY(!session->HasSource());

    // Its extension in any case.
    std::unique_ptr<QMimeData> mime(Files({directory->Path(QStringLiteral("datos/A.HYT"))}));
    Drop(dialog, mime.get());
    QTRY_VERIFY(dialog.HasPicture());
    QCOMPARE(session->Scene().heights[0], 9.0);
    QCOMPARE(FileList(dialog)->currentText(), QStringLiteral("A"));
    QCOMPARE(FileList(dialog)->count(), 2);
}

void OpenSurfaceTest::ctrlOOpensAFileFromAnotherFolder()
{
    CSurfaceDlg dialog(*session);
    ShowActive(dialog);

    // In the system menu, with the window's other entries, above About.
    const QList<QAction*> actions = dialog.findChild<QMenu*>()->actions();
    QStringList texts;
    for (const QAction* action : actions)
        texts << action->text().section(u'\t', 0, 0);
    const qsizetype open = texts.indexOf(QStringLiteral("A&brir fichero..."));
    QVERIFY(open >= 0);
    QCOMPARE(texts[open + 1], QStringLiteral("&Fórmula..."));
    QVERIFY(open < texts.indexOf(QStringLiteral("&Acerca de hyt...")));

    QString caption;
    OnNextModal([&](QWidget* modal) {
        auto* files = qobject_cast<QFileDialog*>(modal);
        QVERIFY(files);
        caption = files->windowTitle();
        files->selectFile(directory->Path(QStringLiteral("datos/A.HYT")));
        QMetaObject::invokeMethod(files, "accept");
    });
    QTest::keyClick(&dialog, Qt::Key_O, Qt::ControlModifier);
    QCOMPARE(caption, QStringLiteral("Abrir fichero de datos"));
    QTRY_VERIFY(dialog.HasPicture());
    QCOMPARE(session->Scene().heights[0], 9.0);
    QCOMPARE(Entries(FileList(dialog)), (QStringList{QStringLiteral("A"), QStringLiteral("b")}));
    QCOMPARE(FileList(dialog)->currentText(), QStringLiteral("A"));

    // Cancelled, it changes nothing.
    OnNextModal([](QWidget* modal) { qobject_cast<QDialog*>(modal)->reject(); });
    actions[open]->trigger();
    QCOMPARE(session->Scene().heights[0], 9.0);
}

void OpenSurfaceTest::theFileListIsReadAgainWhenItDropsDown()
{
    directory->Write(QStringLiteral("otro.hyt"), DataFileBytes(10000, 2.0));
    CSurfaceDlg dialog(*session);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    SortedComboBox* list = FileList(dialog);
    const int here = list->findText(QStringLiteral("here"));
    list->setCurrentIndex(here);
    emit list->activated(here);
    QCOMPARE(session->Scene().heights[0], 0.0);

    // Saved since the start: listed at the next drop-down; the choice stays.
    directory->Write(QStringLiteral("nuevo.hyt"), DataFileBytes(10000, 4.0));
    QFile::remove(directory->Path(QStringLiteral("otro.hyt")));
    list->showPopup();
    QCOMPARE(Entries(list), (QStringList{QStringLiteral("here"), QStringLiteral("nuevo")}));
    QCOMPARE(list->currentText(), QStringLiteral("here"));
    list->hidePopup();
    const int added = list->findText(QStringLiteral("nuevo"));
    list->setCurrentIndex(added);
    emit list->activated(added);
    QCOMPARE(session->Scene().heights[0], 4.0);

    // The chosen file deleted: it goes, and nothing is chosen.
    QFile::remove(directory->Path(QStringLiteral("nuevo.hyt")));
    list->showPopup();
    QCOMPARE(Entries(list), QStringList{QStringLiteral("here")});
    QCOMPARE(list->currentIndex(), -1);
    list->hidePopup();
    QCOMPARE(session->Scene().heights[0], 4.0); // the picture stays
}

void OpenSurfaceTest::ctrlFDrawsTheFormulaAndTellsOfHeightsNotDrawn()
{
    CSurfaceDlg dialog(*session);
    ShowActive(dialog);

    QString message;
    bool drawnFirst = false;
    OnNextModal([&](QWidget* formula) {
        QCOMPARE(formula->objectName(), QStringLiteral("IDD_FORMULA"));
        formula->findChild<QLineEdit*>(QStringLiteral("IDC_FORMULA_EDIT"))
            ->setText(QStringLiteral("ln(x)"));
        OnNextModal(
            [&](QWidget* modal) {
                drawnFirst = dialog.HasPicture();
                message = qobject_cast<QMessageBox*>(modal)->text();
                modal->close();
            },
            formula);
        QTest::mouseClick(formula->findChild<QPushButton*>(QStringLiteral("IDOK")), Qt::LeftButton);
    });
    QTest::keyClick(&dialog, Qt::Key_F, Qt::ControlModifier);
    QTRY_VERIFY(!message.isEmpty());
    QVERIFY(drawnFirst);
    QVERIFY2(message.contains(QStringLiteral("5000 de sus 10000")), qPrintable(message));
    QCOMPARE(session->Scene().zoomLevel, 25.0);

    // Opened again from the menu, it shows the last formula; cancelled, it
    // leaves the picture.
    const QImage picture = dialog.Picture();
    QString shown;
    OnNextModal([&](QWidget* formula) {
        shown = formula->findChild<QLineEdit*>(QStringLiteral("IDC_FORMULA_EDIT"))->text();
        qobject_cast<QDialog*>(formula)->reject();
    });
    for (QAction* action : dialog.findChild<QMenu*>()->actions())
        if (action->text().startsWith(QStringLiteral("&Fórmula")))
            action->trigger();
    QCOMPARE(shown, QStringLiteral("ln(x)"));
    QCOMPARE(dialog.Picture(), picture);
}

int RunOpenSurfaceTests(int argc, char** argv)
{
    OpenSurfaceTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "open_surface_test.moc"
