#include "platform/SortedComboBox.h"

#include <QLineEdit>
#include <QProxyStyle>
#include <QStandardItemModel>
#include <QWheelEvent>
#include <algorithm>
#include <vector>

namespace hyt {

namespace {

// Fusion opens a list without edit field over its own box, with menu-like
// rows; every list of ours drops below its box with the rows of a list.
class DropDownBelowStyle : public QProxyStyle {
  public:
    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* returnData) const override
    {
        if (hint == SH_ComboBox_Popup)
            return 0;
        return QProxyStyle::styleHint(hint, option, widget, returnData);
    }
};

} // namespace

SortedComboBox::SortedComboBox(ComboEdit edit, QWidget* parent)
    : QComboBox(parent), collator(QLocale(QLocale::Spanish, QLocale::Spain))
{
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    auto* style = new DropDownBelowStyle;
    style->setParent(this);
    setStyle(style);
    // A wheel turned over the box must not take the focus, or it would then
    // move through the list (see wheelEvent).
    setFocusPolicy(Qt::StrongFocus);
    if (edit == ComboEdit::Editable) {
        setEditable(true);
        setInsertPolicy(QComboBox::NoInsert);
        setCompleter(nullptr);
        // QComboBox selects the entry whose text equals the edit field when
        // editing finishes (Enter, or the focus leaving). Typing must never
        // choose an entry: only a choice from the list does.
        disconnect(lineEdit(), &QLineEdit::editingFinished, this, nullptr);
        disconnect(lineEdit(), &QLineEdit::returnPressed, this, nullptr);
    }
}

int SortedComboBox::Compare(const QString& a, const QString& b) const
{
    return collator.compare(a, b);
}

void SortedComboBox::showPopup()
{
    emit DroppingDown();
    QComboBox::showPopup();
}

int SortedComboBox::AddString(const QString& text, const QVariant& itemData)
{
    int index = 0;
    while (index < count() && Compare(itemText(index), text) <= 0)
        ++index;
    insertItem(index, text, itemData);
    return index;
}

void SortedComboBox::AddStrings(QList<ComboEntry> entries)
{
    // Those already listed first, so that equal texts keep their order.
    for (int i = count() - 1; i >= 0; --i)
        entries.prepend({itemText(i), itemData(i)});

    // One sort key per entry instead of one collation per comparison.
    struct Keyed {
        QCollatorSortKey key;
        qsizetype entry;
    };
    std::vector<Keyed> keyed;
    keyed.reserve(std::size_t(entries.size()));
    for (qsizetype i = 0; i < entries.size(); ++i)
        keyed.push_back({collator.sortKey(entries[i].text), i});
    std::stable_sort(keyed.begin(), keyed.end(),
                     [](const Keyed& a, const Keyed& b) { return a.key.compare(b.key) < 0; });

    QList<QStandardItem*> items;
    items.reserve(entries.size());
    for (const Keyed& k : keyed) {
        auto* item = new QStandardItem(entries[k.entry].text);
        item->setData(entries[k.entry].data, Qt::UserRole);
        items.append(item);
    }
    clear();
    qobject_cast<QStandardItemModel*>(model())->invisibleRootItem()->appendRows(items);
    setCurrentIndex(-1);
}

void SortedComboBox::wheelEvent(QWheelEvent* event)
{
    // Only a list the user is working in answers the wheel; otherwise the
    // wheel passing over it would choose entries, each one a new source.
    if (!hasFocus()) {
        event->ignore();
        return;
    }
    QComboBox::wheelEvent(event);
}

} // namespace hyt
