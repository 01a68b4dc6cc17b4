// CAboutDlg (IDD_ABOUT): names the program and its maker. "Aceptar", Enter,
// Esc and the close box end it.
#pragma once

#include <QDialog>

namespace hyt {

class CAboutDlg : public QDialog {
    Q_OBJECT

  public:
    // parent only places the box over the main window; it may be null.
    explicit CAboutDlg(QWidget* parent = nullptr);

    // Runs the box modally; the result means nothing.
    int DoModal();
};

} // namespace hyt
