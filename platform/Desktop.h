#pragma once

#include <string>
#include <utility>
#include <vector>

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
