// SortedComboBox: a combo box that keeps its entries sorted without regard to
// case, whatever the order in which they are added. The editable form takes
// typed text into its edit field and nothing more: no completion, no new
// entry, and no choice of an entry by typing its name.
#pragma once

#include <QComboBox>
#include <QVariant>

namespace hyt {

enum class ComboEdit { None, Editable };

class SortedComboBox : public QComboBox {
    Q_OBJECT

  public:
    explicit SortedComboBox(ComboEdit edit, QWidget* parent = nullptr);

    // Inserts text at its sorted place, after any entry that compares equal,
    // and returns its index.
    int AddString(const QString& text, const QVariant& itemData = QVariant());
};

} // namespace hyt
