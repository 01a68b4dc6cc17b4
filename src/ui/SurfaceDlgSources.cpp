// CSurfaceDlg's handlers of the surfaces from beyond the two lists: a data
// file named at start, dropped on the window or chosen with "Abrir
// fichero...", the file list read again as it drops down, and the user's
// formula. A file goes through the file list's own handler, so every way of
// opening one draws and tells the same.
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QMimeData>
#include <QShortcut>
#include <QTimer>

#include "formula/FormulaSource.h"
#include "platform/SortedComboBox.h"
#include "platform/SystemMenu.h"
#include "platform/UiText.h"
#include "texts/SourceTexts.h"
#include "texts/Texts.h"
#include "ui/DataFileList.h"
#include "ui/FormulaDlg.h"
#include "ui/Resource.h"
#include "ui/SpanishFileList.h"
#include "ui/SurfaceDlg.h"

namespace hyt {

namespace {

// The bytes of a local file name, as the file system has them.
std::filesystem::path LocalPath(const QString& fileName)
{
    return std::filesystem::path(QFile::encodeName(fileName).toStdString());
}

bool IsDataFileName(const QString& fileName)
{
    return QFileInfo(fileName).suffix().compare(QStringLiteral("hyt"), Qt::CaseInsensitive) == 0;
}

} // namespace

void CSurfaceDlg::BindSourceMessages()
{
    connect(new QShortcut(QKeySequence::Open, this), &QShortcut::activated, this,
            &CSurfaceDlg::OnOpenFile);
    connect(new QShortcut(QKeySequence::Find, this), &QShortcut::activated, this,
            &CSurfaceDlg::OnFormula);
    connect(fileCombo, &SortedComboBox::DroppingDown, this, &CSurfaceDlg::OnFileListDropDown);
    setAcceptDrops(true);
}

void CSurfaceDlg::InsertSourceMenuEntries(QAction* before)
{
    systemMenu->InsertMenu(before, IDM_OPEN_FILE, UiText(OpenFileMenuText()));
    systemMenu->InsertMenu(before, IDM_FORMULA, UiText(FormulaMenuText()));
}

// --- A data file from anywhere ---------------------------------------------

void CSurfaceDlg::OpenDataFile(const std::filesystem::path& path)
{
    const std::filesystem::path folder = path.parent_path();
    fileList->Fill(folder.empty() ? std::filesystem::path(".") : folder);
    if (const int index = fileList->IndexOf(path); index >= 0) {
        fileCombo->setCurrentIndex(index);
        OnFileSelChange(index);
        return;
    }
    // Not a data file of its folder (gone, a folder, another name): told
    // about as the list would, or drawn if it reads after all.
    const std::string name = DataFileList::DisplayName(path);
    const FileOutcome outcome = session.ChooseFile(path);
    if (!outcome.file.Readable()) {
        ShowWarning(FileUnreadableMessage(name, outcome.file));
        return;
    }
    ShowUpdate(outcome.view);
    if (const std::string message = FileLoadedMessage(name, outcome.file, outcome.nonFiniteHeights);
        !message.empty())
        ShowWarning(message);
}

void CSurfaceDlg::OpenDataFileAtStart(const std::filesystem::path& path)
{
    QTimer::singleShot(0, this, [this, path] { OpenDataFile(path); });
}

void CSurfaceDlg::OnOpenFile()
{
    // Where the file list looks: the folder of the last file opened.
    QFileDialog chooser(this, UiText(OpenFileCaption()),
                        QFile::decodeName(QByteArray::fromStdString(fileList->Folder().string())),
                        UiText(OpenFileFilter()));
    chooser.setAcceptMode(QFileDialog::AcceptOpen);
    ShowFileListInSpanish(chooser);
    chooser.setFileMode(QFileDialog::ExistingFile);
    // x.HYT is a data file as much as x.hyt.
    chooser.setFilter(chooser.filter() & ~QDir::CaseSensitive);
    if (chooser.exec() != QDialog::Accepted || chooser.selectedFiles().isEmpty())
        return;
    OpenDataFile(LocalPath(chooser.selectedFiles().constFirst()));
}

void CSurfaceDlg::OnFileListDropDown()
{
    fileList->Reread();
}

void CSurfaceDlg::dragEnterEvent(QDragEnterEvent* event)
{
    // Anything is taken, so that a drop of something else can be answered.
    event->acceptProposedAction();
}

void CSurfaceDlg::dropEvent(QDropEvent* event)
{
    event->acceptProposedAction();
    const QList<QUrl> urls = event->mimeData()->urls();
    // Answered once the drop is over, so that the source of the drag is not
    // kept waiting by a message.
    QTimer::singleShot(0, this, [this, urls] { OnDropFiles(urls); });
}

void CSurfaceDlg::OnDropFiles(const QList<QUrl>& urls)
{
    if (urls.size() != 1 || !urls.front().isLocalFile() ||
        !IsDataFileName(urls.front().toLocalFile())) {
        QMessageBox::information(this, UiText(MainCaption()), UiText(DropOnlyDataFileMessage()));
        return;
    }
    OpenDataFile(LocalPath(urls.front().toLocalFile()));
}

// --- The user's formula ----------------------------------------------------

void CSurfaceDlg::OnFormula()
{
    int nonFinite = 0;
    CFormulaDlg dialog(
        formulaEntries,
        [this, &nonFinite](const std::string& formula, FormulaRange x, FormulaRange y) {
            const FormulaChoice choice = ChooseFormula(session, formula, x, y);
            if (choice.Ok()) {
                nonFinite = choice.formula.nonFinite;
                ShowUpdate(choice.view);
            }
            return choice.formula.error;
        },
        this);
    if (dialog.DoModal() != QDialog::Accepted)
        return;
    if (const std::string message = FormulaLoadedMessage(nonFinite); !message.empty())
        ShowWarning(message);
}

} // namespace hyt
