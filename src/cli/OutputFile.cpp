#include "cli/OutputFile.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <vector>

#include <fcntl.h>
#include <linux/magic.h>
#include <sys/stat.h>
#include <sys/vfs.h>
#include <unistd.h>

namespace hyt {

namespace {

// As many symlinks in a row as the kernel follows before it gives ELOOP.
constexpr int kMaxSymlinkHops = 40;

// The folder part of a path with its slash ("" for a bare name), so that
// folder + name is the path again.
std::string FolderOf(const std::string& path)
{
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

std::string NameIn(const std::string& path)
{
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string FolderToOpen(const std::string& folder)
{
    return folder.empty() ? std::string(".") : folder;
}

// The links in /proc (/proc/self/fd/1, which /dev/stdout leads to) stand for
// files that some process holds open: replacing the name they show would not
// reach what the holder writes to.
bool OnProcFileSystem(const std::string& folder)
{
    struct statfs info {};
    return ::statfs(FolderToOpen(folder).c_str(), &info) == 0 && info.f_type == PROC_SUPER_MAGIC;
}

// Returns 0 or the errno of the fault.
int ReadLink(const std::string& path, std::string& link)
{
    std::vector<char> buffer(PATH_MAX + 1);
    const ssize_t length = ::readlink(path.c_str(), buffer.data(), buffer.size());
    if (length < 0)
        return errno;
    if (std::size_t(length) >= buffer.size())
        return ENAMETOOLONG;
    link.assign(buffer.data(), std::size_t(length));
    return 0;
}

mode_t CurrentUmask()
{
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return mask;
}

} // namespace

std::optional<FileIdentity> ExistingFileIdentity(const std::string& path)
{
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0)
        return std::nullopt;
    return FileIdentity{info.st_dev, info.st_ino, {}};
}

std::optional<FileIdentity> StandardOutputIdentity()
{
    struct stat info {};
    if (::fstat(STDOUT_FILENO, &info) != 0)
        return std::nullopt;
    return FileIdentity{info.st_dev, info.st_ino, {}};
}

int WriteAll(int fd, const char* data, std::size_t size)
{
    for (std::size_t done = 0; done < size;) {
        const ssize_t put = ::write(fd, data + done, size - done);
        if (put < 0 && errno == EINTR)
            continue;
        if (put < 0)
            return errno;
        if (put == 0)
            return EIO;
        done += std::size_t(put);
    }
    return 0;
}

OutputFile::OutputFile(std::string givenName) : name(std::move(givenName))
{
    Resolve();
}

OutputFile::~OutputFile()
{
    CloseDescriptor();
    if (!temporary.empty())
        ::unlink(temporary.c_str());
}

void OutputFile::Resolve()
{
    if (name == kStandardOutputName) {
        mode = Mode::StandardOutput;
        identity = StandardOutputIdentity();
        return;
    }
    struct stat info {};
    if (::stat(name.c_str(), &info) == 0 && !S_ISREG(info.st_mode)) {
        mode = Mode::Through;
        target = name;
        identity = FileIdentity{info.st_dev, info.st_ino, {}};
        return;
    }
    // Follow the last part of the name from link to link: the file replaced
    // is the one at the end, and its temporary is made beside it.
    std::string path = name;
    for (int hop = 0; hop < kMaxSymlinkHops; ++hop) {
        if (::lstat(path.c_str(), &info) != 0) {
            if (errno != ENOENT) {
                resolveError = errno;
                return;
            }
            target = path;
            struct stat folder {};
            if (::stat(FolderToOpen(FolderOf(path)).c_str(), &folder) == 0)
                identity = FileIdentity{folder.st_dev, folder.st_ino, NameIn(path)};
            return;
        }
        if (!S_ISLNK(info.st_mode)) {
            target = path;
            identity = FileIdentity{info.st_dev, info.st_ino, {}};
            if (!S_ISREG(info.st_mode)) {
                mode = Mode::Through;
                return;
            }
            replacesExisting = true;
            existingMode = info.st_mode;
            existingOwner = info.st_uid;
            existingGroup = info.st_gid;
            return;
        }
        if (OnProcFileSystem(FolderOf(path))) {
            // Added to, never cut: the holder may have written there already.
            mode = Mode::Through;
            appendThrough = true;
            target = path;
            identity = ExistingFileIdentity(path);
            return;
        }
        std::string link;
        if (const int error = ReadLink(path, link); error != 0) {
            resolveError = error;
            return;
        }
        path = !link.empty() && link.front() == '/' ? link : FolderOf(path) + link;
    }
    resolveError = ELOOP;
}

int OutputFile::Open()
{
    if (resolveError != 0)
        return resolveError;
    switch (mode) {
    case Mode::StandardOutput:
        fd = STDOUT_FILENO;
        return 0;
    case Mode::Through:
        fd = ::open(target.c_str(),
                    O_WRONLY | O_NOCTTY | O_CLOEXEC | (appendThrough ? O_APPEND : 0));
        return fd < 0 ? errno : 0;
    case Mode::Replace:
        break;
    }
    std::string pattern = FolderOf(target) + ".hyt-render-XXXXXX";
    fd = ::mkostemp(pattern.data(), O_CLOEXEC);
    if (fd < 0)
        return errno;
    temporary = pattern;
    // mkstemp makes the file private: give it the old file's bits, or the
    // usual ones for a new file. The owner goes first, since changing it may
    // clear the set-id bits; they are kept only with the owner.
    mode_t bits = 0666 & ~CurrentUmask();
    if (replacesExisting) {
        bits = existingMode & 07777;
        if (::fchown(fd, existingOwner, existingGroup) != 0) {
            bits &= ~mode_t(S_ISUID | S_ISGID);
            (void)::fchown(fd, uid_t(-1), existingGroup);
        }
    }
    return ::fchmod(fd, bits) == 0 ? 0 : errno;
}

int OutputFile::Write(const char* data, std::size_t size)
{
    return WriteAll(fd, data, size);
}

int OutputFile::Finish()
{
    if (mode == Mode::Replace && ::fsync(fd) != 0) {
        const int error = errno;
        CloseDescriptor();
        return error;
    }
    return CloseDescriptor();
}

int OutputFile::CloseDescriptor()
{
    if (fd < 0 || mode == Mode::StandardOutput) {
        fd = -1;
        return 0;
    }
    const int result = ::close(fd);
    fd = -1;
    return result == 0 ? 0 : errno;
}

int OutputFile::Commit()
{
    if (mode != Mode::Replace || temporary.empty())
        return 0;
    if (::rename(temporary.c_str(), target.c_str()) != 0)
        return errno;
    temporary.clear();
    return 0;
}

} // namespace hyt
