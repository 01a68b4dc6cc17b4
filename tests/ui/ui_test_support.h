// Helpers of the window tests: closing modal windows, looking at the picture
// area, and a scratch current directory with data files in it.
#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QWidget>
#include <functional>

class QComboBox;

namespace hyt {
class CSurfaceDlg;
}

// Runs action on the next modal window other than except, as soon as it is
// shown. The action runs inside that window's own event loop.
void OnNextModal(std::function<void(QWidget*)> action, QWidget* except = nullptr);

// The control of dialog whose object name is id; the test ends without one.
template <typename T> T* Control(const QWidget& dialog, const char* id)
{
    T* control = dialog.findChild<T*>(QString::fromLatin1(id));
    if (!control)
        qFatal("no control %s", id);
    return control;
}

// The texts of a list's entries, in order.
QStringList Entries(const QComboBox* combo);

// Shows dialog and makes it the active window, as a click on it would.
void ShowActive(QWidget& dialog);

// What the window shows in its picture area, as painted now.
QImage ShownPicture(hyt::CSurfaceDlg& dialog);

// True if every pixel of image has the colour rgb.
bool IsUniform(const QImage& image, QRgb rgb);

// A fresh directory that is the process's current directory while the
// object lives.
class ScratchDirectory {
  public:
    ScratchDirectory();
    ~ScratchDirectory();
    QString Path(const QString& name) const;
    // Writes bytes into the file name of this directory.
    void Write(const QString& name, const QByteArray& bytes) const;

  private:
    QTemporaryDir dir;
    QString previous;
};

// count little-endian doubles, value i being first + i.
QByteArray DataFileBytes(int count, double first);

int RunDialogsTests(int argc, char** argv);
int RunMainWindowTests(int argc, char** argv);
int RunWindowEdgesTests(int argc, char** argv);
int RunFormulaDialogTests(int argc, char** argv);
int RunOpenSurfaceTests(int argc, char** argv);
