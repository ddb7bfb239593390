#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Desktop.h"
#include "platform/File.h"

// What every desktop's open-file dialog shares: the selection buffer, the end
// of a confirmed pick, and which files a filter shows.

// Why a picker stays open after a confirmed pick: the user picks again.
constexpr char kSeveralFoldersMessage[] = "All files must be in one folder.";
constexpr char kFolderClosedMessage[] = "The folder cannot be opened:\n";

// The selection buffer holds one full path, or a folder followed by names,
// each ending in a zero character, the last followed by a second zero. Its
// capacity counts characters as the wide dialog does (CountCharacters).

// Writes `names` in `folder` into `buffer`, whose size is its capacity; it
// grows where their bytes need more room. False, with the buffer untouched,
// when they do not fit.
bool PackSelection(const std::string& folder, const std::vector<std::string>& names,
                   std::vector<char>& buffer);

// The full paths a buffer holds, in order; nothing is read past its end.
std::vector<std::string> UnpackSelection(const std::vector<char>& buffer);

// Makes `folder` the working folder; false where it cannot.
using FolderSetter = std::function<bool(const std::string& folder)>;

// Ends a pick of the full paths `paths` that the user confirmed: they must
// name files of one folder and fit `selection`, and `setFolder` makes that
// folder the working folder, where the run opens the bare names. Empty when
// the picker must stay open, with `problem` telling the user why (or empty
// when there is nothing to say) and `selection` untouched.
std::optional<EPickOutcome> FinishPick(const std::vector<std::string>& paths,
                                       std::vector<char>& selection, CMessageText& problem,
                                       const FolderSetter& setFolder = SetWorkingFolder);

// Whether a dialog filtering by `patterns` shows the file `name`: patterns
// are separated by ';', '*' and '?' are wildcards, letters match without
// regard to case as they do on Windows, and a leading '.' (a hidden file
// here) is matched by no wildcard.
bool MatchesFilter(std::string_view name, std::string_view patterns);

// `name`, a name as the system spells it, as every desktop shows it in a
// listing or a message: each byte that starts no well-formed UTF-8
// character, and each byte of a control character or of a line or paragraph
// separator, as \xHH. A name thus never works the terminal, and never adds
// a line that could pass for the program's own words.
std::string EscapeName(std::string_view name);
