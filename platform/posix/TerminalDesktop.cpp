#include "platform/posix/TerminalDesktop.h"

#include <dirent.h>
#include <limits.h>
#include <stdlib.h>
#include <sys/stat.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <filesystem>
#include <istream>
#include <limits>
#include <memory>
#include <optional>
#include <ostream>
#include <system_error>

#include "platform/File.h"
#include "platform/Selection.h"
#include "platform/posix/Modules.h"

namespace fs = std::filesystem;

namespace {

constexpr char kQuote = '"';
// The longest line read: more is never a selection or an answer, and is
// passed over unread rather than held.
constexpr std::size_t kLongestLine = 32767;
constexpr char kUnlisted[] = "  (the folder cannot be listed)\n";
constexpr char kNothingAnswered[] =
    "standard input ended before the first answer: nothing was asked and nothing converted";

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

bool MatchesAnyFilter(const std::string& name, const COpenFileDialogRequest& request) {
    return request.filters.empty() ||
           std::any_of(request.filters.begin(), request.filters.end(),
                       [&](const auto& filter) { return MatchesFilter(name, filter.second); });
}

std::string CurrentFolder() {
    std::error_code error;
    const fs::path folder = fs::current_path(error);
    return error ? std::string(".") : folder.string();
}

// The folder a typed name lives in, resolved to one canonical spelling so
// that names in one folder can be told apart from names in several.
bool ResolveFolder(const std::string& name, std::string& folder) {
    const std::size_t slash = name.rfind('/');
    const std::string part =
        slash == std::string::npos ? "." : (slash == 0 ? "/" : name.substr(0, slash));
    std::unique_ptr<char, decltype(&free)> real(realpath(part.c_str(), nullptr), &free);
    if (!real) {
        return false;
    }
    folder = real.get();
    return true;
}

bool IsFolder(const std::string& name) {
    std::error_code error;
    return fs::is_directory(name, error);
}

}  // namespace

CTerminalDesktop::CTerminalDesktop(std::istream& in, std::ostream& out, std::ostream& err,
                                   bool typedEcho)
    : m_in(in), m_out(out), m_err(err), m_typedEcho(typedEcho) {}

std::vector<std::string> CTerminalDesktop::SplitSelectionLine(std::string_view line) {
    std::vector<std::string> names;
    std::string name;
    bool quoted = false;
    for (std::size_t i = 0; i < line.size(); ++i) {
        const char c = line[i];
        if (c == kQuote && quoted && i + 1 < line.size() && line[i + 1] == kQuote) {
            name += kQuote;
            ++i;
        } else if (c == kQuote) {
            quoted = !quoted;
        } else if (!quoted && IsBlank(c)) {
            if (!name.empty()) {
                names.push_back(std::move(name));
                name.clear();
            }
        } else {
            name += c;
        }
    }
    if (!name.empty()) {
        names.push_back(std::move(name));
    }
    return names;
}

std::string CTerminalDesktop::ShowName(std::string_view name) {
    std::string shown;
    for (const char c : EscapeName(name)) {
        shown += c;
        if (c == kQuote) {
            shown += kQuote;
        }
    }
    const bool needsQuotes = name.find_first_of(" \t\"") != std::string_view::npos;
    return needsQuotes ? kQuote + shown + kQuote : shown;
}

std::string CTerminalDesktop::ShowText(const CMessageText& text) {
    return text.before + EscapeName(text.name) + text.after;
}

CTerminalDesktop::ELineRead CTerminalDesktop::ReadLine(std::string& line) {
    line.resize(kLongestLine + 2);
    m_in.getline(&line[0], static_cast<std::streamsize>(line.size()));
    const auto got = static_cast<std::size_t>(m_in.gcount());
    ELineRead read = ELineRead::kLine;
    if (got == 0 && m_in.eof()) {
        read = ELineRead::kEnd;
    } else if (m_in.fail() && !m_in.eof()) {
        // Longer than any line the dialogue takes: the rest is passed over.
        m_in.clear();
        m_in.ignore(std::numeric_limits<std::streamsize>::max(), '\n');
        read = ELineRead::kTooLong;
    }
    // What getline counted holds the line's end, where it had one.
    line.resize(std::min(got, kLongestLine + 1));
    if (!line.empty() && !m_in.eof() && read == ELineRead::kLine) {
        line.pop_back();
    }
    // The output's last line ends as every other, where no terminal ended it.
    if (!m_typedEcho || read == ELineRead::kEnd) {
        m_out << '\n';
    }
    if (read == ELineRead::kEnd && !m_readBefore && !m_typedEcho) {
        m_err << kErrorLinePrefix << kNothingAnswered << std::endl;
    }
    m_readBefore = true;
    if (!line.empty() && line.back() == '\r') {
        line.pop_back();
    }
    return read;
}

void CTerminalDesktop::ShowFolder(const COpenFileDialogRequest& request) {
    m_out << '\n' << request.title << '\n';
    for (const auto& filter : request.filters) {
        m_out << "Files of type: " << filter.first << '\n';
    }
    m_out << "Folder: " << ShowName(CurrentFolder()) << '\n';
    std::vector<std::string> folders;
    std::vector<std::string> names;
    // Not std::filesystem's iterator: it ends the process when memory runs
    // out, where this ends the pick.
    const std::unique_ptr<DIR, int (*)(DIR*)> listing(opendir("."), &closedir);
    errno = 0;
    for (const dirent* entry; listing && (entry = readdir(listing.get())) != nullptr; errno = 0) {
        const std::string name = entry->d_name;
        struct stat status {};
        // Hidden here are what a leading '.' hides in a folder listing.
        if (fstatat(dirfd(listing.get()), entry->d_name, &status, 0) == 0 &&
            S_ISDIR(status.st_mode)) {
            if (name.front() != '.') {
                folders.push_back(name);
            }
        } else if (MatchesAnyFilter(name, request)) {
            names.push_back(name);
        }
    }
    // readdir tells its end from a failure by errno alone.
    const bool error = !listing || errno != 0;
    std::sort(folders.begin(), folders.end());
    std::sort(names.begin(), names.end());
    // Folders first, each ending in the '/' that marks it; typed, it opens.
    for (const std::string& folder : folders) {
        m_out << "  " << ShowName(folder + '/') << '\n';
    }
    for (const std::string& name : names) {
        m_out << "  " << ShowName(name) << '\n';
    }
    if (error) {
        m_out << kUnlisted;
    } else if (names.empty()) {
        m_out << "  (no matching files)\n";
    }
    const std::string confirm = request.okCaption.empty() ? "OK" : request.okCaption;
    const std::string cancel = request.cancelCaption.empty() ? "Cancel" : request.cancelCaption;
    m_out << "Type the file names to " << confirm << " (\"quoted\" if they hold blanks), a folder "
          << "to open it, or nothing to " << cancel << ".\n> " << std::flush;
}

EPickOutcome CTerminalDesktop::ShowOpenFileDialog(const COpenFileDialogRequest& request,
                                                  std::vector<char>& selection) {
    for (;;) {
        ShowFolder(request);
        std::string line;
        switch (ReadLine(line)) {
            case ELineRead::kEnd:
                return EPickOutcome::kCancelled;
            case ELineRead::kTooLong:
                return EPickOutcome::kBufferTooSmall;
            case ELineRead::kLine:
                break;
        }
        const std::vector<std::string> typed = SplitSelectionLine(line);
        if (typed.empty()) {
            return EPickOutcome::kCancelled;
        }
        if (typed.size() == 1 && IsFolder(typed.front())) {
            if (!SetWorkingFolder(typed.front())) {
                m_out << kFolderClosedMessage << ShowName(typed.front()) << '\n';
            }
            continue;
        }
        std::vector<std::string> paths;
        for (const std::string& name : typed) {
            std::string folder;
            const std::string base = name.substr(name.rfind('/') + 1);
            // A zero character ends a name in the system's calls and in the
            // selection buffer alike: such a name would be taken for another.
            if (base.empty() || base == "." || base == ".." ||
                name.find('\0') != std::string::npos) {
                m_out << ShowName(name) << " is not a file name.\n";
                break;
            }
            if (!ResolveFolder(name, folder)) {
                m_out << "The folder of " << ShowName(name) << " cannot be found.\n";
                break;
            }
            paths.push_back(folder == "/" ? folder + base : folder + '/' + base);
        }
        if (paths.size() < typed.size()) {
            continue;
        }
        CMessageText problem("");
        if (const std::optional<EPickOutcome> outcome = FinishPick(paths, selection, problem)) {
            return *outcome;
        }
        m_out << ShowText(problem) << '\n';
    }
}

int CTerminalDesktop::ShowMessageBox(const CMessageText& text, const std::string& caption,
                                     unsigned style) {
    m_out << '\n' << caption << '\n' << ShowText(text) << '\n';
    if ((style & kMbButtonMask) != kMbYesNo) {
        m_out << std::flush;
        return kIdOk;
    }
    m_out << "[Yes/No] " << std::flush;
    std::string answer;
    if (ReadLine(answer) != ELineRead::kLine) {
        return kIdNo;
    }
    const std::size_t first = answer.find_first_not_of(" \t");
    answer = first == std::string::npos ? "" : answer.substr(first);
    answer.erase(answer.find_last_not_of(" \t") + 1);
    std::transform(answer.begin(), answer.end(), answer.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return answer == "y" || answer == "yes" ? kIdYes : kIdNo;
}

std::string CTerminalDesktop::FindAssociatedProgram(const std::string& file) {
    return FindDefaultApplication(file);
}

void CTerminalDesktop::StartProgram(const std::string& program,
                                    const std::vector<std::string>& files) {
    LaunchApplication(program, files);
}
