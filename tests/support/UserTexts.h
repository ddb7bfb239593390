#pragma once

#include <string>

// Every text the user sees, as the tests expect it: written out here, not
// taken from the program, so that a slip in the program's own texts fails.
namespace UserTexts {

inline const std::string kTitle = "Quintar Puzzle Convertor";
inline const std::string kFilter = "Across Lite (*.puz)";
inline const std::string kConvert = "Convert";
inline const std::string kExit = "Exit";

inline const std::string kTooManyFiles =
    "Conversion failed. Too many files are selected. Please select less files and try again.";
inline const std::string kCouldNotOpen =
    "Conversion failed. Could not open following puzzle file:\n";
inline const std::string kCouldNotRead =
    "Conversion failed. Could not read following puzzle file:\n";
inline const std::string kTooLarge = "Conversion failed. The following puzzle file is too large:\n";
inline const std::string kCouldNotCreate = "Conversion failed. Could not create file:\n";
inline const std::string kCouldNotWrite = "Conversion failed. Could not write file:\n";
inline const std::string kInstallQuestion =
    "Conversion successful. Converted puzzle(s) are stored in the same folder(s) with original "
    "files. Do you want them to be installed to the handheld on the next HotSync operation?";

inline std::string OverwriteQuestion(const std::string& path) {
    return "The following file already exists:\n" + path + "\nDo you wish to overwrite it?";
}

// The pickers' own, where a pick cannot be taken as it stands.
inline const std::string kSeveralFolders = "All files must be in one folder.";
inline const std::string kFolderClosed = "The folder cannot be opened:\n";

}  // namespace UserTexts
