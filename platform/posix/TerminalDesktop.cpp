#include "platform/posix/TerminalDesktop.h"

#include <fnmatch.h>
#include <limits.h>
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <istream>
#include <memory>
#include <ostream>
#include <system_error>

#include "platform/SelectionBuffer.h"
#include "platform/posix/DesktopModule.h"
#include "platform/posix/SelectionLine.h"

namespace fs = std::filesystem;

namespace {

std::string Lowered(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

// Patterns match without regard to case, as they do in the Windows dialog.
bool MatchesAnyFilter(const std::string& name, const COpenFileDialogRequest& request) {
    if (request.filters.empty()) {
        return true;
    }
    return std::any_of(request.filters.begin(), request.filters.end(), [&](const auto& filter) {
        return fnmatch(Lowered(filter.second).c_str(), Lowered(name).c_str(), FNM_PERIOD) == 0;
    });
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

CTerminalDesktop::CTerminalDesktop(std::istream& in, std::ostream& out) : m_in(in), m_out(out) {}

bool CTerminalDesktop::ReadLine(std::string& line) {
    if (!std::getline(m_in, line)) {
        return false;
    }
    if (!line.empty() && line.back() == '\r') {
        line.pop_back();
    }
    return true;
}

void CTerminalDesktop::ShowFolder(const COpenFileDialogRequest& request) {
    m_out << '\n' << request.title << '\n';
    for (const auto& filter : request.filters) {
        m_out << "Files of type: " << filter.first << '\n';
    }
    m_out << "Folder: " << CurrentFolder() << '\n';
    std::vector<std::string> names;
    std::error_code error;
    for (fs::directory_iterator entry(".", error), end; !error && entry != end;
         entry.increment(error)) {
        const std::string name = entry->path().filename().string();
        std::error_code typeError;
        if (!entry->is_directory(typeError) && MatchesAnyFilter(name, request)) {
            names.push_back(name);
        }
    }
    std::sort(names.begin(), names.end());
    for (const std::string& name : names) {
        m_out << "  " << name << '\n';
    }
    if (names.empty()) {
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
        if (!ReadLine(line)) {
            m_out << '\n';
            return EPickOutcome::kCancelled;
        }
        const std::vector<std::string> typed = SplitSelectionLine(line);
        if (typed.empty()) {
            return EPickOutcome::kCancelled;
        }
        if (typed.size() == 1 && IsFolder(typed.front())) {
            if (chdir(typed.front().c_str()) != 0) {
                m_out << "The folder " << typed.front() << " cannot be opened.\n";
            }
            continue;
        }
        std::string folder;
        std::vector<std::string> names;
        bool valid = true;
        for (const std::string& name : typed) {
            std::string nameFolder;
            const std::string base = name.substr(name.rfind('/') + 1);
            // A zero character ends a name in the system's calls and in the
            // selection buffer alike: such a name would be taken for another.
            if (base.empty() || base == "." || base == ".." ||
                name.find('\0') != std::string::npos) {
                m_out << name << " is not a file name.\n";
                valid = false;
            } else if (!ResolveFolder(name, nameFolder)) {
                m_out << "The folder of " << name << " cannot be found.\n";
                valid = false;
            } else if (!folder.empty() && nameFolder != folder) {
                m_out << "All files must be in one folder.\n";
                valid = false;
            }
            if (!valid) {
                break;
            }
            folder = nameFolder;
            names.push_back(base);
        }
        if (!valid) {
            continue;
        }
        if (!PackSelection(folder, names, selection)) {
            return EPickOutcome::kBufferTooSmall;
        }
        if (chdir(folder.c_str()) != 0) {
            m_out << "The folder " << folder << " cannot be opened.\n";
            continue;
        }
        return EPickOutcome::kConfirmed;
    }
}

int CTerminalDesktop::ShowMessageBox(const std::string& text, const std::string& caption,
                                     unsigned style) {
    m_out << '\n' << caption << '\n' << text << '\n';
    if ((style & kMbButtonMask) != kMbYesNo) {
        m_out << std::flush;
        return kIdOk;
    }
    m_out << "[Yes/No] " << std::flush;
    std::string answer;
    if (!ReadLine(answer)) {
        m_out << '\n';
        return kIdNo;
    }
    const std::size_t first = answer.find_first_not_of(" \t");
    answer = first == std::string::npos ? "" : Lowered(answer.substr(first));
    answer.erase(answer.find_last_not_of(" \t") + 1);
    return answer == "y" || answer == "yes" ? kIdYes : kIdNo;
}

std::string CTerminalDesktop::FindAssociatedProgram(const std::string& file) {
    const CDesktopServices* module = LoadDesktopModule();
    return module != nullptr ? module->FindDefaultApplication(file) : std::string();
}

void CTerminalDesktop::StartProgram(const std::string& program,
                                    const std::vector<std::string>& files) {
    if (const CDesktopServices* module = LoadDesktopModule()) {
        module->LaunchApplication(program, files);
    }
}
