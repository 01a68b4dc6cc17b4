// SortedComboBox: a combo box that keeps its entries in Spanish alphabetical
// order without regard to case (accents sort with their letters, ñ after n),
// whatever the order in which they are added. Its list drops below the box.
// The wheel moves through it only while it has the focus. The editable form
// takes typed text into its edit field and nothing more: no completion, no
// new entry, and no choice of an entry by typing its name.
#pragma once

#include <QCollator>
#include <QComboBox>
#include <QList>
#include <QVariant>

namespace hyt {

enum class ComboEdit { None, Editable };

struct ComboEntry {
    QString text;
    QVariant data;
};

class SortedComboBox : public QComboBox {
    Q_OBJECT

  public:
    explicit SortedComboBox(ComboEdit edit, QWidget* parent = nullptr);

    // Inserts text at its sorted place, after any entry that compares equal,
    // and returns its index.
    int AddString(const QString& text, const QVariant& itemData = QVariant());

    // Adds many entries with one sort and one insertion, so that a folder of
    // thousands of files fills the list at once. Entries that compare equal
    // keep the order in which they came, after those already listed. No
    // entry is current afterwards.
    void AddStrings(QList<ComboEntry> entries);

    // Negative, zero or positive as a sorts before, with or after b.
    int Compare(const QString& a, const QString& b) const;

    // Emits DroppingDown, then drops the list down: what it shows may be
    // brought up to date first.
    void showPopup() override;

  signals:
    void DroppingDown();

  protected:
    void wheelEvent(QWheelEvent* event) override;

  private:
    QCollator collator;
};

} // namespace hyt
