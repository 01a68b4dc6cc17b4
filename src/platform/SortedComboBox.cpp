#include "platform/SortedComboBox.h"

#include <QLineEdit>

namespace hyt {

SortedComboBox::SortedComboBox(ComboEdit edit, QWidget* parent) : QComboBox(parent)
{
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

int SortedComboBox::AddString(const QString& text, const QVariant& itemData)
{
    int index = 0;
    while (index < count() && QString::compare(itemText(index), text, Qt::CaseInsensitive) <= 0)
        ++index;
    insertItem(index, text, itemData);
    return index;
}

} // namespace hyt
