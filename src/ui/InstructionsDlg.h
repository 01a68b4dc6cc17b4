// CInstructionsDlg (IDD_INSTRUCTIONS): the fixed Spanish instructions, built
// anew each time the window opens. "Cerrar", Enter, Esc and the close box end it.
#pragma once

#include <QDialog>
#include <QString>

class QLabel;
class QPushButton;

namespace hyt {

class CInstructionsDlg : public QDialog {
    Q_OBJECT

  public:
    explicit CInstructionsDlg(QWidget* parent);

    // Fills the window (OnInitDialog), then runs it modally; the result
    // means nothing.
    int DoModal();

    // The text exchanged with IDC_INSTRUCTIONS_TEXT.
    QString instructionsText;

    void accept() override;

  private:
    // toControls: member into the static text; otherwise back into the member.
    enum class Exchange { ToControls, FromControls };
    void DoDataExchange(Exchange direction);
    bool OnInitDialog();

    QPushButton* closeButton;
    QLabel* textLabel;
};

} // namespace hyt
