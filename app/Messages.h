#pragma once

// Every text the user sees; the names and paths they refer to follow them.

constexpr char kApplicationTitle[] = "Quintar Puzzle Convertor";

constexpr char kPuzzleFilterName[] = "Across Lite (*.puz)";
constexpr char kPuzzlePattern[] = "*.puz";
constexpr char kConvertCaption[] = "Convert";
constexpr char kExitCaption[] = "Exit";

constexpr char kTooManyFilesMessage[] =
    "Conversion failed. Too many files are selected. Please select less files and try again.";
constexpr char kCouldNotOpenMessage[] =
    "Conversion failed. Could not open following puzzle file:\n";
constexpr char kCouldNotReadMessage[] =
    "Conversion failed. Could not read following puzzle file:\n";
constexpr char kTooLargeMessage[] = "Conversion failed. The following puzzle file is too large:\n";
constexpr char kCouldNotCreateMessage[] = "Conversion failed. Could not create file:\n";
constexpr char kCouldNotWriteMessage[] = "Conversion failed. Could not write file:\n";

constexpr char kOverwriteQuestionStart[] = "The following file already exists:\n";
constexpr char kOverwriteQuestionEnd[] = "\nDo you wish to overwrite it?";

constexpr char kInstallQuestion[] =
    "Conversion successful. Converted puzzle(s) are stored in the same folder(s) with "
    "original files. Do you want them to be installed to the handheld on the next HotSync "
    "operation?";
