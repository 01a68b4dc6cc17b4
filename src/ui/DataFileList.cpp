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

void DataFileList::Fill(const std::filesystem::path& dir)
{
    files = ListDataFiles(dir);
    QList<ComboEntry> entries;
    entries.reserve(qsizetype(files.size()));
    for (std::size_t i = 0; i < files.size(); ++i)
        entries.append({QString::fromStdString(files[i].name), int(i)});
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
