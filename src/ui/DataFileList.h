// DataFileList: the entries of the file list IDC_FILE_COMBO. It lists the
// data files of one directory, in the list's order, and remembers for each
// entry the file it came from, so that an entry whose name is not valid UTF-8
// still opens its own file. It also keeps the list in step with what loading
// an entry found (the file on screen, and files that have gone) and with the
// directory itself, read again whenever the list drops down.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "scene/DataFile.h"

namespace hyt {

class SortedComboBox;

class DataFileList {
  public:
    explicit DataFileList(SortedComboBox* list);

    // Lists the data files of dir instead of what was listed: one sort, one
    // fill. No entry is current.
    void Fill(const std::filesystem::path& dir);

    // Reads the directory again: files made since appear, files gone leave.
    // The current entry stays current while its file is still listed, and
    // the edit field keeps its text.
    void Reread();

    // The directory listed.
    const std::filesystem::path& Folder() const { return dir; }

    // The list entry of the file at path, or -1: an entry whose file has the
    // same name in the directory listed.
    int IndexOf(const std::filesystem::path& path) const;

    // The file behind the list entry at index, or null.
    const DataFileEntry* EntryAt(int index) const;

    // The file of the entry at index is now on screen.
    void Shown(int index);

    // Loading the entry at index failed with result; the picture did not
    // change. An entry whose file is no longer a data file (gone, or now a
    // folder) leaves the list and the entry of the file on screen becomes
    // current again; any other stays current, so that the keys move on from
    // it.
    void Failed(int index, const DataFileResult& result);

    // The name of a file as the user reads it: bytes that are not UTF-8
    // show as replacement characters.
    static std::string DisplayName(const std::filesystem::path& path);

  private:
    SortedComboBox* combo;
    void Show(std::vector<DataFileEntry> listed);

    std::filesystem::path dir;        // the directory listed
    std::vector<DataFileEntry> files; // an entry's data is its index here
    int shownFile = -1;               // index into files of the file on screen
};

} // namespace hyt
