// Every sentence a user reads, in Spanish, as UTF-8: the window's labels,
// captions and messages, and the reasons that the window and hyt-render give
// for a failure. The core reports outcomes and errno values; this module alone
// turns them into words, so both programs say the same thing the same way.
#pragma once

#include <string>

#include "scene/DataFile.h"

namespace hyt {

// --- The main window --------------------------------------------------------
std::string MainCaption();
std::string CloseButtonText();
std::string AboutButtonText();
std::string InstructionsButtonText();
std::string ExampleListLabel();
std::string FileListLabel();
std::string ColorCheckText();
std::string BarLettersText(); // "Z" under the zoom bar, "P" under the distance bar

// The system menu: the window commands, then ours.
std::string RestoreMenuText();
std::string MoveMenuText();
std::string SizeMenuText();
std::string MinimizeMenuText();
std::string MaximizeMenuText();
std::string CloseMenuText();
std::string AboutMenuText();     // IDS_ABOUT_MENU
std::string SaveImageMenuText(); // the system-menu entry that saves the picture

// --- About and instructions -------------------------------------------------
std::string AboutCaption();
std::string AboutTitleText();
std::string AboutMakerText(); // three lines naming the maker, an empty line, the licence line
std::string OkButtonText();
std::string InstructionsCaption();
// Built anew from its fourteen pieces every time; the last piece ends with
// our web address.
std::string BuildInstructionsText();
std::string ProgramWebAddress();

// --- Reasons ----------------------------------------------------------------

// What the program was doing when the system said no: the same errno reads
// differently for a file being read and one being written.
enum class FileAccess { Read, Write };

// A short reason for an errno value ("no existe", "no queda espacio en el
// disco"); never empty, never in another language.
std::string SystemErrorReason(int error, FileAccess access);

// A short reason for a data file that could not be read; empty for a readable
// one.
std::string DataFileFailureReason(const DataFileResult& result);

// For a readable data file whose size is not 80000, a short remark such as
// "tiene 8000 bytes y se esperaban 80000"; otherwise empty.
std::string DataFileSizeRemark(const DataFileResult& result);

// For heights of which count are not finite numbers: how many, or that
// nothing can be drawn when none is finite; empty when count is 0.
std::string NonFiniteHeightsRemark(int count);

// --- The window's messages (fileName as shown to the user) ------------------
std::string FileUnreadableMessage(const std::string& fileName, const DataFileResult& result);
std::string FileSizeMessage(const std::string& fileName, const DataFileResult& result);
// After a readable file is drawn: its size if it is not 80000 bytes and how
// many heights are not finite numbers, in one message; empty when there is
// nothing to say.
std::string FileLoadedMessage(const std::string& fileName, const DataFileResult& result,
                              int nonFiniteHeights);
std::string NothingToSaveMessage();
std::string SaveImageCaption();
std::string SaveImageFilter();
// reason: why the picture could not be saved; oldFileKept: a file was there
// and is still as it was.
std::string SaveImageFailedMessage(const std::string& fileName, const std::string& reason,
                                   bool oldFileKept);
std::string PngEncodingFailedReason();
std::string ReplaceFileQuestion(const std::string& fileName);

// The kind of an entry in the file dialogs' list, where Qt has only English
// words: a folder, a drive, a link whose target is gone, anything else that
// is not a file (a file's kind is the name of its type).
enum class EntryKind { Folder, Drive, Link, Other };
std::string EntryKindText(EntryKind kind);

// --- hyt's command line -----------------------------------------------------
std::string ViewerHelpText();
// For an argument hyt does not understand: the message, and where to look.
std::string ViewerUnknownArgumentMessage(const std::string& argument);
// No window can be opened: there is no display to open it on.
std::string NoDisplayMessage();

} // namespace hyt
