// One output of hyt-render, written so that nothing is destroyed on the way:
// - "-" is standard output;
// - an existing target that is not a regular file (a device, a FIFO, a
//   terminal, an open file reached through /proc such as /dev/stdout) is
//   opened and written through, never replaced;
// - otherwise the name's symlinks are followed and the file they lead to is
//   written beside itself under a temporary name and renamed over the old one
//   only when complete, keeping the old file's permission bits and, where the
//   process may set it, its owner and group.
// Every step returns 0 or an errno value; the caller words it.
#pragma once

#include <cstddef>
#include <optional>
#include <string>

#include <sys/types.h>

namespace hyt {

// The name that stands for standard output.
inline constexpr const char* kStandardOutputName = "-";

// What two names share when they lead to one file. A file still to be made
// is known by its folder and its name there.
struct FileIdentity {
    dev_t device = 0;
    ino_t inode = 0;
    std::string newName; // empty for an existing file

    bool operator==(const FileIdentity&) const = default;
};

// The file a name leads to now (symlinks followed), if it exists.
std::optional<FileIdentity> ExistingFileIdentity(const std::string& path);
std::optional<FileIdentity> StandardOutputIdentity();

// Writes all of data to fd, again after an interruption; 0 or the errno.
int WriteAll(int fd, const char* data, std::size_t size);

class OutputFile {
  public:
    // Looks at the target only; nothing is made or opened yet.
    explicit OutputFile(std::string name);
    ~OutputFile(); // closes what it opened and removes an uncommitted temporary
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    const std::string& Name() const { return name; }
    // Where the output would land; nothing when that cannot be known yet
    // (then Open reports why).
    const std::optional<FileIdentity>& Identity() const { return identity; }
    // A replaced or new file is written in full before anything is visible;
    // the others are seen as they are written.
    bool Staged() const { return mode == Mode::Replace; }

    int Open();
    int Write(const char* data, std::size_t size);
    // A staged file: on disk and closed, still under its temporary name. Any
    // other: closed (standard output stays open).
    int Finish();
    const std::string& TemporaryPath() const { return temporary; }
    // A staged file takes the target's place.
    int Commit();

  private:
    enum class Mode { StandardOutput, Through, Replace };

    void Resolve();
    int CloseDescriptor();

    std::string name;   // as given
    std::string target; // the file written or replaced, symlinks followed
    Mode mode = Mode::Replace;
    int resolveError = 0;
    bool appendThrough = false; // an open regular file reached through /proc
    std::optional<FileIdentity> identity;
    bool replacesExisting = false;
    mode_t existingMode = 0;
    uid_t existingOwner = 0;
    gid_t existingGroup = 0;
    int fd = -1;
    std::string temporary;
};

} // namespace hyt
