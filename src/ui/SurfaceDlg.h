// CSurfaceDlg (IDD_MAIN): the main window. It turns every user action into a
// call of the core and shows the core's picture at (120, 41); it draws
// nothing of the surface itself. The message table is in the constructor
// (connections) and in the event overrides below, each calling one On...
// handler.
#pragma once

#include <QDialog>
#include <QIcon>
#include <QImage>

#include <QList>
#include <QUrl>
#include <filesystem>
#include <memory>
#include <string>

#include "ui/FormulaDlg.h"
#include "ui/PictureFile.h"
#include "view/ViewerSession.h"

class QCheckBox;
class QLabel;
class QPushButton;

namespace hyt {

class DataFileList;
class ScrollBarControl;
class SortedComboBox;
class SystemMenu;

class CSurfaceDlg : public QDialog {
    Q_OBJECT

  public:
    // session must outlive the window. The file list is built from the
    // process's current directory.
    explicit CSurfaceDlg(ViewerSession& viewer, QWidget* parent = nullptr);
    ~CSurfaceDlg() override;

    // The picture area in client coordinates.
    static constexpr int kPictureLeft = 120;
    static constexpr int kPictureTop = 41;
    static QRect PictureRect();

    // Runs the window modally; OK and Cancel both end it.
    int DoModal();

    // The last picture drawn (673 x 496), or a null image before the first.
    QImage Picture() const;
    bool HasPicture() const { return hasPicture; }

    // Handlers of the message table.
    bool OnInitDialog();
    void OnSysCommand(unsigned command, long long parameter);
    void OnPaint(QPaintEvent* event);
    void OnMouseMove(QMouseEvent* event);
    void OnLButtonDown(QMouseEvent* event);
    void OnLButtonUp(QMouseEvent* event);
    void OnVScroll(unsigned code, unsigned position, ScrollBarControl* bar);
    void OnAboutButton();
    void OnInstructionsButton();
    void OnExampleSelChange(int index);
    void OnColorCheck();
    void OnFileSelChange(int index);
    void OnMouseWheel(QWheelEvent* event);
    void OnSaveImage();
    void OnOK();
    void OnCancel();
    // The surfaces from beyond the lists (SurfaceDlgSources.cpp).
    void OnOpenFile();
    void OnFormula();
    void OnFileListDropDown();
    void OnDropFiles(const QList<QUrl>& urls);

    // Draws the data file at path as if it had been chosen from the file
    // list, which then lists the file's folder; a file that cannot be read
    // is told about as there. AtStart: once the window runs, so that a
    // message shows over it.
    void OpenDataFile(const std::filesystem::path& path);
    void OpenDataFileAtStart(const std::filesystem::path& path);

    // Writes the last picture as PNG; not saved if there is none.
    PictureSaveResult SavePicture(const QString& fileName) const;

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void changeEvent(QEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

  private:
    void CreateControls();
    void BindMessages();
    void FillFileList();
    void BindSourceMessages();
    void InsertSourceMenuEntries(QAction* before);
    void ShowUpdate(const ViewUpdate& change);
    void ShowWarning(const std::string& message);
    ScrollBarControl* BarControl(Bar bar) const;
    void ShowSystemMenu(const QPoint& globalPos);
    void KeepNormalSizeFixed();

    ViewerSession& session;
    QImage pictureView; // over the session's picture, no copy
    bool hasPicture = false;

    std::unique_ptr<DataFileList> fileList; // what each file-list entry came from

    QIcon icon;
    bool iconGiven = false; // to the window, after its first paint
    SystemMenu* systemMenu = nullptr;

    // Controls, in template order.
    QPushButton* cancelButton = nullptr;
    ScrollBarControl* zoomBar = nullptr;
    ScrollBarControl* distanceBar = nullptr;
    QPushButton* aboutButton = nullptr;
    QPushButton* instructionsButton = nullptr;
    SortedComboBox* exampleCombo = nullptr;
    QCheckBox* colorCheck = nullptr;
    SortedComboBox* fileCombo = nullptr;

    int wheelRemainder = 0; // wheel angle not yet turned into "Z" line steps

    FormulaEntries formulaEntries; // what the formula dialog shows when it opens
};

} // namespace hyt
