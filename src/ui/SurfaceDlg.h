// CSurfaceDlg (IDD_MAIN): the main window. It turns every user action into a
// call of the core and shows the core's picture at (120, 41); it draws
// nothing of the surface itself. The message table is in the constructor
// (connections) and in the event overrides below, each calling one On...
// handler.
#pragma once

#include <QDialog>
#include <QIcon>
#include <QImage>
#include <filesystem>
#include <memory>
#include <vector>

#include "render/Canvas.h"
#include "scene/DataFile.h"
#include "scene/SceneState.h"

class QCheckBox;
class QLabel;
class QPushButton;

namespace hyt {

class ScrollBarControl;
class SortedComboBox;
class SystemMenu;

class CSurfaceDlg : public QDialog, public BarDisplay {
    Q_OBJECT

  public:
    // scene must outlive the window. The file list is built from the
    // process's current directory.
    explicit CSurfaceDlg(SceneState& scene, QWidget* parent = nullptr);
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

    // BarDisplay: ResetView sets the two bars through these.
    void SetBarRange(Bar bar, int minPos, int maxPos) override;
    void SetBarPosition(Bar bar, int pos) override;

    // Writes the last picture as PNG; false if there is none or it failed.
    bool SavePicture(const QString& fileName) const;

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void changeEvent(QEvent* event) override;

  private:
    void CreateControls();
    void BindMessages();
    void FillFileList();
    void RedrawSurface();
    ScrollBarControl* BarControl(Bar bar) const;
    void ShowSystemMenu(const QPoint& globalPos);
    void KeepNormalSizeFixed();

    SceneState& scene;
    std::unique_ptr<Canvas> canvas;
    QImage pictureView; // over canvas's pixels, no copy
    bool hasPicture = false;
    bool hasSource = false; // an example or a file has been chosen

    std::vector<DataFileEntry> dataFiles; // what each file-list entry came from
    int shownFileIndex = -1;              // file-list entry of the last file loaded

    QIcon icon;
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
};

} // namespace hyt
