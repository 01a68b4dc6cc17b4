#include "ui/DataFileList.h"

#include <QString>
#include <cerrno>

#include "platform/SortedComboBox.h"

namespace hyt {

namespace {

// The path no longer names a data file: nothing is left to list.
bool IsGone(const DataFileResult& result)
{
    if (result.status == DataFileStatus::NotRegular)
        return true;
    return result.status == DataFileStatus::OpenFailed &&
           (result.error == ENOENT || result.error == ENOTDIR);
}

} // namespace

DataFileList::DataFileList(SortedComboBox* list) : combo(list) {}

void DataFileList::Fill(const std::filesystem::path& folder)
{
    dir = folder;
    Show(ListDataFiles(dir));
    combo->setCurrentIndex(-1);
}

void DataFileList::Reread()
{
    const DataFileEntry* current = EntryAt(combo->currentIndex());
    const std::filesystem::path chosen = current ? current->path : std::filesystem::path();
    const QString typed = combo->currentText();
    Show(ListDataFiles(dir));
    combo->setCurrentIndex(chosen.empty() ? -1 : IndexOf(chosen));
    if (combo->isEditable())
        combo->setEditText(typed);
}

int DataFileList::IndexOf(const std::filesystem::path& path) const
{
    for (std::size_t i = 0; i < files.size(); ++i) {
        if (files[i].path.filename() == path.filename())
            return combo->findData(int(i));
    }
    return -1;
}

void DataFileList::Show(std::vector<DataFileEntry> listed)
{
    // The file on screen keeps its mark if it is listed again.
    const std::filesystem::path shown = shownFile >= 0 && std::size_t(shownFile) < files.size()
                                            ? files[std::size_t(shownFile)].path
                                            : std::filesystem::path();
    files = std::move(listed);
    shownFile = -1;
    QList<ComboEntry> entries;
    entries.reserve(qsizetype(files.size()));
    for (std::size_t i = 0; i < files.size(); ++i) {
        entries.append({QString::fromStdString(files[i].name), int(i)});
        if (!shown.empty() && files[i].path == shown)
            shownFile = int(i);
    }
    combo->clear();
    combo->AddStrings(std::move(entries));
}

const DataFileEntry* DataFileList::EntryAt(int index) const
{
    const QVariant file = combo->itemData(index);
    if (!file.isValid() || file.toInt() < 0 || std::size_t(file.toInt()) >= files.size())
        return nullptr;
    return &files[std::size_t(file.toInt())];
}

void DataFileList::Shown(int index)
{
    if (const QVariant file = combo->itemData(index); file.isValid())
        shownFile = file.toInt();
}

void DataFileList::Failed(int index, const DataFileResult& result)
{
    if (!IsGone(result))
        return;
    combo->removeItem(index);
    combo->setCurrentIndex(shownFile < 0 ? -1 : combo->findData(shownFile));
}

std::string DataFileList::DisplayName(const std::filesystem::path& path)
{
    return QString::fromStdString(path.filename().string()).toStdString();
}

} // namespace hyt
