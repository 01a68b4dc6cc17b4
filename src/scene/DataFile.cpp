// Contents: reading the bytes (POSIX, at most 80000 of them) - the 8-byte
// buffer that turns bytes into heights - the file source - failure texts -
// the listing of a directory.
#include "scene/DataFile.h"

#include <algorithm>
#include <bit>
#include <cerrno>
#include <cmath>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace hyt {

namespace {

constexpr std::size_t kRecordSize = 8;

// The first bytes of a data file (at most 80000) and what happened while
// reading them. bytes is only meaningful when the result is readable.
struct RawDataFile {
    DataFileResult result;
    std::vector<unsigned char> bytes;
};

// Closes a descriptor on every way out.
class FileDescriptor {
  public:
    explicit FileDescriptor(int descriptor) : fd(descriptor) {}
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    ~FileDescriptor()
    {
        if (fd >= 0)
            ::close(fd);
    }
    int Get() const { return fd; }

  private:
    int fd;
};

DataFileResult NotRegularResult(const struct stat& info)
{
    DataFileResult result;
    result.status = DataFileStatus::NotRegular;
    // A directory gets its own text; EISDIR marks it.
    result.error = S_ISDIR(info.st_mode) ? EISDIR : 0;
    return result;
}

RawDataFile ReadRawDataFile(const std::filesystem::path& path)
{
    RawDataFile raw;
    DataFileResult& result = raw.result;

    // Look before opening: opening a device or a socket may have effects of
    // its own, and a non-regular file is never a data file.
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) {
        result.status = DataFileStatus::OpenFailed;
        result.error = errno;
        return raw;
    }
    if (!S_ISREG(info.st_mode))
        return {NotRegularResult(info), {}};

    // O_NONBLOCK: should the name have become a FIFO since the look above,
    // the opening does not wait for a writer.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        result.status = DataFileStatus::OpenFailed;
        result.error = errno;
        return raw;
    }
    FileDescriptor file(fd);
    if (::fstat(fd, &info) != 0) {
        result.status = DataFileStatus::ReadFailed;
        result.error = errno;
        return raw;
    }
    if (!S_ISREG(info.st_mode))
        return {NotRegularResult(info), {}};

    raw.bytes.resize(kDataFileSize);
    std::size_t total = 0;
    while (total < kDataFileSize) {
        const ssize_t got = ::read(fd, raw.bytes.data() + total, kDataFileSize - total);
        if (got < 0) {
            if (errno == EINTR)
                continue;
            result.status = DataFileStatus::ReadFailed;
            result.error = errno;
            raw.bytes.clear();
            return raw;
        }
        if (got == 0)
            break;
        total += std::size_t(got);
    }
    raw.bytes.resize(total);

    // The end of the data decides the size: a file that shrank or grew since
    // fstat is reported as read.
    const auto statSize = info.st_size > 0 ? std::uintmax_t(info.st_size) : 0;
    result.size = total < kDataFileSize ? total : std::max<std::uintmax_t>(statSize, total);
    return raw;
}

double DecodeLittleEndian(const unsigned char* record)
{
    std::uint64_t bits = 0;
    for (std::size_t b = 0; b < kRecordSize; ++b)
        bits |= std::uint64_t(record[b]) << (8 * b);
    return std::bit_cast<double>(bits);
}

// Every cell is read through one 8-byte buffer that starts as eight zero
// bytes; a read finds what is left of the file, up to 8 bytes, and
// overwrites only that many leading bytes. So past the end the buffer keeps
// the last whole record, with a trailing fragment over its low-order bytes.
void FillHeights(const std::vector<unsigned char>& bytes, std::array<double, kVertexCount>& heights)
{
    unsigned char buffer[kRecordSize] = {};
    std::size_t offset = 0;
    for (int n = 0; n < kVertexCount; ++n) {
        const std::size_t count = std::min(kRecordSize, bytes.size() - offset);
        std::memcpy(buffer, bytes.data() + offset, count);
        offset += count;
        heights[n] = DecodeLittleEndian(buffer);
    }
}

// ASCII case folding only: names are bytes, not necessarily UTF-8.
unsigned char FoldCase(unsigned char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<unsigned char>(c - 'A' + 'a') : c;
}

int CompareFolded(const std::string& a, const std::string& b)
{
    const std::size_t common = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < common; ++i) {
        const unsigned char ca = FoldCase(static_cast<unsigned char>(a[i]));
        const unsigned char cb = FoldCase(static_cast<unsigned char>(b[i]));
        if (ca != cb)
            return ca < cb ? -1 : 1;
    }
    if (a.size() == b.size())
        return 0;
    return a.size() < b.size() ? -1 : 1;
}

bool HasDataFileExtension(const std::string& name)
{
    static constexpr char kExtension[] = ".hyt";
    constexpr std::size_t kLength = sizeof(kExtension) - 1;
    if (name.size() < kLength)
        return false;
    return CompareFolded(name.substr(name.size() - kLength), kExtension) == 0;
}

} // namespace

DataFileResult ReadDataFile(const std::filesystem::path& path,
                            std::array<double, kVertexCount>& heights)
{
    const RawDataFile raw = ReadRawDataFile(path);
    if (raw.result.Readable())
        FillHeights(raw.bytes, heights);
    return raw.result;
}

DataFileResult LoadDataFile(SceneState& scene, const std::filesystem::path& path, BarDisplay* bars)
{
    // Read first, so that a file that cannot be read changes nothing: not
    // the view, not zScale, not the heights.
    const RawDataFile raw = ReadRawDataFile(path);
    if (!raw.result.Readable())
        return raw.result;
    ResetView(scene, bars);
    scene.zScale = 1.0;
    FillHeights(raw.bytes, scene.heights);
    return raw.result;
}

int CountNonFinite(const std::array<double, kVertexCount>& heights)
{
    return int(std::count_if(heights.begin(), heights.end(),
                             [](double h) { return !std::isfinite(h); }));
}

std::vector<char> EncodeDataFile(const std::array<double, kVertexCount>& heights)
{
    std::vector<char> bytes;
    bytes.reserve(kDataFileSize);
    for (const double h : heights) {
        const auto bits = std::bit_cast<std::uint64_t>(h);
        for (int b = 0; b < 8; ++b)
            bytes.push_back(static_cast<char>(bits >> (8 * b)));
    }
    return bytes;
}

std::vector<DataFileEntry> ListDataFiles(const std::filesystem::path& dir)
{
    std::vector<DataFileEntry> entries;
    std::error_code error;
    std::filesystem::directory_iterator it(dir, error);
    if (error)
        return entries;
    // A failed step ends the walk with what was found so far.
    for (; it != std::filesystem::directory_iterator() && !error; it.increment(error)) {
        // is_regular_file follows a symbolic link to what it names.
        std::error_code typeError;
        if (!it->is_regular_file(typeError) || typeError)
            continue;
        const std::string name = it->path().filename().native();
        if (HasDataFileExtension(name))
            entries.push_back({name.substr(0, name.size() - 4), it->path()});
    }
    std::sort(entries.begin(), entries.end(), [](const DataFileEntry& a, const DataFileEntry& b) {
        if (const int folded = CompareFolded(a.name, b.name); folded != 0)
            return folded < 0;
        if (a.name != b.name)
            return a.name < b.name;
        return a.path.native() < b.path.native();
    });
    return entries;
}

} // namespace hyt
