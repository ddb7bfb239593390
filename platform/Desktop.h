#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/File.h"

// Message-box styles and results, with the values the Windows desktop uses.
constexpr unsigned kMbOk = 0x00;
constexpr unsigned kMbYesNo = 0x04;
constexpr unsigned kMbButtonMask = 0x0F;
constexpr unsigned kMbIconStop = 0x10;
constexpr unsigned kMbIconQuestion = 0x20;
constexpr unsigned kMbIconInformation = 0x40;
constexpr unsigned kMbIconMask = 0xF0;

constexpr int kIdOk = 1;
constexpr int kIdYes = 6;
constexpr int kIdNo = 7;

// Open-file dialog options, with the values the Windows desktop uses.
constexpr unsigned kOfnHideReadOnly = 0x00000004;
constexpr unsigned kOfnEnableHook = 0x00000020;
constexpr unsigned kOfnNoChangeDir = 0x00000008;
constexpr unsigned kOfnAllowMultiSelect = 0x00000200;
constexpr unsigned kOfnExplorer = 0x00080000;
constexpr unsigned kOfnEnableSizing = 0x00800000;

// A message's text: fixed words, and between them the name of a file or
// folder as the system spells it, which may hold anything a name may (a
// newline, an escape sequence, bytes that are no UTF-8, a run of hundreds of
// letters). A desktop shows the words as they stand and the name so that it
// cannot pass for words of the program's own, nor push them out of sight.
struct CMessageText {
    CMessageText(const char* words) : before(words) {}
    CMessageText(std::string words) : before(std::move(words)) {}
    CMessageText(std::string words, std::string named, std::string more = {})
        : before(std::move(words)), name(std::move(named)), after(std::move(more)) {}

    // The whole text, the name as it stands.
    std::string Join() const { return before + name + after; }
    bool IsEmpty() const { return before.empty() && name.empty() && after.empty(); }

    std::string before;
    std::string name;
    std::string after;
    // The name as the picker showed it, in UTF-8, where `name` lost
    // characters on the way (GetShownNames); empty when `name` shows it.
    std::string shownName;
};

struct COpenFileDialogRequest {
    std::string title;
    // Pairs of description and pattern, in order.
    std::vector<std::pair<std::string, std::string>> filters;
    unsigned flags = 0;
    // Icon resource for the dialog frame; 0 for none.
    unsigned iconResource = 0;
    // New captions of the OK and Cancel buttons; empty keeps the desktop's own.
    std::string okCaption;
    std::string cancelCaption;
};

enum class EPickOutcome {
    kConfirmed,       // the selection buffer holds the chosen files
    kCancelled,       // Cancel, the close box, or a failure of the dialog
    kBufferTooSmall,  // the chosen files do not fit the selection buffer
};

// What the desktop supplies to the program: its dialogs and its knowledge of
// other programs. Chosen when the program starts; tests script it.
class CDesktop {
public:
    virtual ~CDesktop() = default;

    // Shows the open-file dialog modally. On confirmation `selection` (whose
    // size is the buffer's capacity) holds either one full path, or a folder
    // followed by the selected names, each ending in a zero character, the
    // last followed by a second zero. A confirmed pick leaves the selection's
    // folder as the working folder.
    virtual EPickOutcome ShowOpenFileDialog(const COpenFileDialogRequest& request,
                                            std::vector<char>& selection) = 0;

    // The names of the last confirmed pick's files as the dialog showed them,
    // in UTF-8, one for each path of its selection and in the same order:
    // empty for one that the selection spells as shown. A selection in a
    // code page that cannot hold every name spells a name it cannot hold
    // with '?', so that two names may come out alike: only their place in
    // the selection tells them apart.
    virtual std::vector<std::string> GetShownNames() const { return {}; }

    // Shows `text` modally, with no owner window; returns kIdOk, kIdYes or kIdNo.
    virtual int ShowMessageBox(const CMessageText& text, const std::string& caption,
                               unsigned style) = 0;

    // The program the desktop opens `file` with; empty when there is none.
    virtual std::string FindAssociatedProgram(const std::string& file) = 0;

    // Starts `program` with `files` and does not wait for it; failures are silent.
    virtual void StartProgram(const std::string& program,
                              const std::vector<std::string>& files) = 0;
};

// Settles how the process meets the system before the run starts.
void PrepareProcess();

// The desktop this process can show its dialogs on. A start that cannot
// show the dialogs it was built for says why on standard error.
std::unique_ptr<CDesktop> ChooseDesktop();

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

// A message's text as every desktop shows it: the words as they stand, the
// name escaped.
std::string ShowText(const CMessageText& text);
