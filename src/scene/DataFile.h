// Data files: exactly 10000 little-endian IEEE-754 doubles, 80000 bytes, no
// header, row-major (record n is vertex n / 100, n % 100). The reader and the
// listing of the data files of a directory.
#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "scene/SceneState.h"

namespace hyt {

inline constexpr std::uintmax_t kDataFileSize = 80000;

enum class DataFileStatus {
    Ok,         // read; the size may still differ from 80000 (see size)
    OpenFailed, // could not be opened (missing, no permission, ...); see error
    NotRegular, // a directory, FIFO, device or other non-regular file
    ReadFailed, // opened, but a read failed; see error
};

struct DataFileResult {
    DataFileStatus status = DataFileStatus::Ok;
    int error = 0;           // errno of the failure, 0 if none
    std::uintmax_t size = 0; // the file's size in bytes when it could be examined

    bool Readable() const { return status == DataFileStatus::Ok; }
    bool SizeMismatch() const { return Readable() && size != kDataFileSize; }
};

// Reads a data file into heights through one 8-byte buffer that starts as
// eight zero bytes: a short file repeats its last whole record, and a
// trailing fragment replaces the low-order bytes of that record. Reads at
// most 80000 bytes. Only regular files are read; a FIFO never blocks. On any
// failure heights is left exactly as it was.
DataFileResult ReadDataFile(const std::filesystem::path& path,
                            std::array<double, kVertexCount>& heights);

// The file source: when the file can be read, resets the view, sets zScale to
// 1.0 and takes its heights. When it cannot, the scene is not touched.
DataFileResult LoadDataFile(SceneState& scene, const std::filesystem::path& path, BarDisplay* bars);

// How many heights are NaN or infinite: nothing can show them.
int CountNonFinite(const std::array<double, kVertexCount>& heights);

// The bytes of a data file holding heights: each a little-endian double.
std::vector<char> EncodeDataFile(const std::array<double, kVertexCount>& heights);

struct DataFileEntry {
    std::string name;           // the file name without its last four characters
    std::filesystem::path path; // the file it came from
};

// Every regular file of dir whose name ends in ".hyt" in any mix of case,
// sorted without regard to case (ties by byte order). Works for any path
// length and for names that are not valid UTF-8. An unreadable directory
// gives an empty list. Each path is dir / name, so listing the current
// directory as "." gives relative paths that open however deep it lies.
std::vector<DataFileEntry> ListDataFiles(const std::filesystem::path& dir);

} // namespace hyt
