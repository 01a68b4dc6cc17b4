#include "ui/SpanishFileList.h"

#include <QFileDialog>
#include <QFileSystemModel>
#include <QIdentityProxyModel>
#include <QLocale>

#include "platform/UiText.h"
#include "texts/Texts.h"

namespace hyt {

namespace {

// Between the dialog's views and its QFileSystemModel: the shown texts of the
// size, kind and date columns, written with the default locale, Spanish.
class SpanishFileListModel final : public QIdentityProxyModel {
  public:
    using QIdentityProxyModel::QIdentityProxyModel;

    QVariant data(const QModelIndex& index, int role) const override
    {
        const auto* files = qobject_cast<const QFileSystemModel*>(sourceModel());
        if (role != Qt::DisplayRole || files == nullptr || !index.isValid())
            return QIdentityProxyModel::data(index, role);
        const QModelIndex entry = mapToSource(index);
        const QFileInfo info = files->fileInfo(entry);
        switch (index.column()) {
        case kSizeColumn:
            return info.isFile() ? QLocale().formattedDataSize(info.size()) : QString();
        case kKindColumn:
            // A file's kind is its type's name, which Qt already gives in Spanish.
            if (info.isRoot())
                return UiText(EntryKindText(EntryKind::Drive));
            if (info.isFile())
                break;
            if (info.isDir())
                return UiText(EntryKindText(EntryKind::Folder));
            return UiText(EntryKindText(info.isSymLink() ? EntryKind::Link : EntryKind::Other));
        case kDateColumn:
            return QLocale().toString(files->lastModified(entry), QLocale::ShortFormat);
        default:
            break;
        }
        return QIdentityProxyModel::data(index, role);
    }

  private:
    // QFileSystemModel's columns after the name.
    static constexpr int kSizeColumn = 1;
    static constexpr int kKindColumn = 2;
    static constexpr int kDateColumn = 3;
};

} // namespace

void ShowFileListInSpanish(QFileDialog& chooser)
{
    // The dialog owns the model from here on.
    chooser.setProxyModel(new SpanishFileListModel(&chooser));
}

} // namespace hyt
