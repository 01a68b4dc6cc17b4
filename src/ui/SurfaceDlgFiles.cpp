// CSurfaceDlg's handlers that meet files: the file list, a data file chosen
// from it, and the picture saved as PNG. Each failure is told in Spanish,
// naming the file, and changes nothing the user had.
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <system_error>

#include "platform/SortedComboBox.h"
#include "platform/UiText.h"
#include "texts/Texts.h"
#include "ui/DataFileList.h"
#include "ui/PictureFile.h"
#include "ui/SpanishFileList.h"
#include "ui/SurfaceDlg.h"

namespace hyt {

void CSurfaceDlg::FillFileList()
{
    // The current directory of the process, read once: a file made later is
    // listed at the next start.
    fileList = std::make_unique<DataFileList>(fileCombo);
    std::error_code error;
    const std::filesystem::path dir = std::filesystem::current_path(error);
    if (!error)
        fileList->Fill(dir);
}

void CSurfaceDlg::ShowWarning(const std::string& message)
{
    QMessageBox::warning(this, UiText(MainCaption()), UiText(message));
}

// --- A data file chosen ----------------------------------------------------

void CSurfaceDlg::OnFileSelChange(int index)
{
    const DataFileEntry* entry = fileList->EntryAt(index);
    if (!entry)
        return;
    const std::filesystem::path path = entry->path;
    const std::string name = DataFileList::DisplayName(path);

    const FileOutcome outcome = session.ChooseFile(path);
    if (!outcome.file.Readable()) {
        // The scene and the picture are as they were.
        fileList->Failed(index, outcome.file);
        ShowWarning(FileUnreadableMessage(name, outcome.file));
        return;
    }
    fileList->Shown(index);
    ShowUpdate(outcome.view);
    // Told once the picture is on its way, so that the user sees what it is
    // about.
    if (const std::string message = FileLoadedMessage(name, outcome.file, outcome.nonFiniteHeights);
        !message.empty())
        ShowWarning(message);
}

// --- saving the picture ----------------------------------------------------

PictureSaveResult CSurfaceDlg::SavePicture(const QString& fileName) const
{
    if (!hasPicture)
        return {};
    return SavePictureFile(pictureView, fileName);
}

void CSurfaceDlg::OnSaveImage()
{
    if (!hasPicture) {
        QMessageBox::information(this, UiText(MainCaption()), UiText(NothingToSaveMessage()));
        return;
    }
    QFileDialog chooser(this, UiText(SaveImageCaption()), QStringLiteral("hyt.png"),
                        UiText(SaveImageFilter()));
    chooser.setAcceptMode(QFileDialog::AcceptSave);
    ShowFileListInSpanish(chooser);
    // The question whether to replace a file is asked below, about the file
    // that will really be written.
    chooser.setOption(QFileDialog::DontConfirmOverwrite);
    if (chooser.exec() != QDialog::Accepted || chooser.selectedFiles().isEmpty())
        return;
    QString fileName = chooser.selectedFiles().constFirst();
    // A name without suffix becomes a .png, unless it names a file that is
    // there: that is what the user pointed at.
    if (QFileInfo(fileName).suffix().isEmpty() && !QFileInfo::exists(fileName))
        fileName += QStringLiteral(".png");
    const std::string shownName = QDir::toNativeSeparators(fileName).toStdString();
    if (QFileInfo::exists(fileName) &&
        QMessageBox::question(this, UiText(SaveImageCaption()),
                              UiText(ReplaceFileQuestion(shownName))) != QMessageBox::Yes)
        return;

    const PictureSaveResult result = SavePicture(fileName);
    if (result.saved)
        return;
    const std::string reason = result.encodingFailed
                                   ? PngEncodingFailedReason()
                                   : SystemErrorReason(result.error, FileAccess::Write);
    ShowWarning(SaveImageFailedMessage(shownName, reason, result.oldFileKept));
}

} // namespace hyt
