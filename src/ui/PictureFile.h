// Saving the picture as PNG. A regular file is replaced only once the whole
// new picture is on the disk (through QSaveFile), so a failure at any point
// leaves the file that was there whole. A target that exists and is not a
// regular file (a device, a FIFO) is written through, a symbolic link is
// followed.
#pragma once

#include <QImage>
#include <QString>

namespace hyt {

struct PictureSaveResult {
    bool saved = false;
    int error = 0;               // errno of a failure the system reported
    bool encodingFailed = false; // the picture could not be made into PNG
    bool oldFileKept = false;    // a regular file was there: a failure left it whole
};

PictureSaveResult SavePictureFile(const QImage& picture, const QString& fileName);

} // namespace hyt
