#include "ui/PictureFile.h"

#include <QBuffer>
#include <QFile>
#include <QSaveFile>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace hyt {

namespace {

// The errno of the call that just failed; some failures (a file Qt found
// not writable, say) come without one.
int LastError()
{
    return errno != 0 ? errno : EIO;
}

// Writes through to what is there. Opening does not wait for a reader of a
// FIFO: without one it fails at once.
int WriteThrough(const QByteArray& bytes, const QByteArray& path)
{
    const int fd = ::open(path.constData(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return errno;
    int error = 0;
    if (const int flags = ::fcntl(fd, F_GETFL);
        flags < 0 || ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) < 0)
        error = errno;
    for (qsizetype done = 0; error == 0 && done < bytes.size();) {
        const ssize_t n = ::write(fd, bytes.constData() + done, std::size_t(bytes.size() - done));
        if (n < 0 && errno != EINTR)
            error = errno;
        else if (n > 0)
            done += n;
    }
    if (::close(fd) != 0 && error == 0 && errno != EINTR)
        error = errno;
    return error;
}

} // namespace

PictureSaveResult SavePictureFile(const QImage& picture, const QString& fileName)
{
    PictureSaveResult result;
    QByteArray png;
    {
        QBuffer buffer(&png);
        if (!buffer.open(QIODevice::WriteOnly) || !picture.save(&buffer, "PNG")) {
            result.encodingFailed = true;
            return result;
        }
    }

    const QByteArray path = QFile::encodeName(fileName);
    struct stat target {};
    if (::stat(path.constData(), &target) == 0 && !S_ISREG(target.st_mode)) {
        // Replacing a device or a FIFO by a regular file would destroy it.
        result.error = WriteThrough(png, path);
        result.saved = result.error == 0;
        return result;
    }
    result.oldFileKept = S_ISREG(target.st_mode);

    // Unbuffered, so that errno belongs to the write that failed.
    QSaveFile file(fileName);
    errno = 0;
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        result.error = LastError();
        return result;
    }
    errno = 0;
    if (file.write(png) != png.size()) {
        result.error = LastError();
        file.cancelWriting();
        return result;
    }
    errno = 0;
    if (!file.commit()) {
        result.error = LastError();
        return result;
    }
    result.saved = true;
    return result;
}

} // namespace hyt
