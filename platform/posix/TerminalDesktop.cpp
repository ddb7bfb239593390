#include "platform/posix/TerminalDesktop.h"

#include <dirent.h>
#include <fcntl.h>
#include <stdlib.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <istream>
#include <limits>
#include <memory>
#include <ostream>
#include <set>
#include <thread>

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

// `path` in its one canonical spelling, so that names in one folder can be
// told apart from names in several; empty where it cannot be found.
std::string RealPath(const std::string& path) {
    const std::unique_ptr<char, decltype(&free)> real(realpath(path.c_str(), nullptr), &free);
    return real ? std::string(real.get()) : std::string();
}

bool IsFolder(const char* path) {
    struct stat status {};
    return stat(path, &status) == 0 && S_ISDIR(status.st_mode);
}

using Clock = std::chrono::steady_clock;

// J-Pilot's folder, in its home: $JPILOT_HOME, or $HOME when that is unset.
constexpr char kJPilotFolder[] = "/.jpilot";
constexpr char kJPilotHome[] = "JPILOT_HOME";
constexpr char kHome[] = "HOME";
// The files to install at the next sync, one path a line.
constexpr char kInstallList[] = "/jpilot.install";
// What a sync holds a lock on while it runs.
constexpr char kSyncLock[] = "/sync_pid";
// What begins a line of a file that goes to the memory card.
constexpr char kCardMark = '\001';
// J-Pilot reads the list with fgets into 1000 bytes: lines of 999
// characters at most, the newline included.
constexpr std::size_t kLongestPath = 998;
// How long a sync's lock is waited for. A sync that holds it longer is
// most likely waiting for the handheld, and reads the list only once it
// comes: the paths are added all the same.
constexpr auto kLockPatience = std::chrono::seconds(3);
constexpr auto kLockRetry = std::chrono::milliseconds(20);

// J-Pilot's folder, where it is set up; empty otherwise. A relative home is
// J-Pilot's own working folder's business, not known here.
std::string FindJPilotFolder() {
    const char* home = std::getenv(kJPilotHome);
    if (home == nullptr) {
        home = std::getenv(kHome);
    }
    if (home == nullptr) {
        return {};
    }
    const std::string folder = home + std::string(kJPilotFolder);
    struct stat status {};
    if (folder.front() != '/' || stat(folder.c_str(), &status) != 0 || !S_ISDIR(status.st_mode)) {
        return {};
    }
    return folder;
}

// Closes a descriptor when the scope ends.
struct CDescriptor {
    explicit CDescriptor(int opened) : fd(opened) {}
    ~CDescriptor() {
        if (fd >= 0) {
            close(fd);
        }
    }
    CDescriptor(const CDescriptor&) = delete;
    CDescriptor& operator=(const CDescriptor&) = delete;

    const int fd;
};

// Whether J-Pilot reads `path` back as the path it is.
bool IsReadable(const std::string& path) {
    return !path.empty() && path.front() == '/' && path.size() <= kLongestPath &&
           path.find_first_of(std::string_view("\n\0", 2)) == std::string::npos;
}

// Adds each of `files` that J-Pilot can read, once, to the end of its
// install list in `folder`, keeping what is there, in one write made
// durable. A sync rewrites the list as it ends: it is waited for.
void AppendToInstallList(const std::string& folder, const std::vector<std::string>& files) {
    constexpr int kFlags = O_RDWR | O_CREAT | O_CLOEXEC | O_NOCTTY;
    // J-Pilot's sync lock, held until the list is written: a POSIX write lock
    // on the whole of sync_pid, which J-Pilot takes by default, and the flock
    // some of its builds take instead. Each is waited for kLockPatience at
    // most; what was not had by then is done without. J-Pilot does not wait
    // for its lock: a sync started meanwhile fails to start. Closing the
    // file releases both.
    const CDescriptor lock(open((folder + kSyncLock).c_str(), kFlags, 0666));
    struct flock whole {};
    whole.l_type = F_WRLCK;
    whole.l_whence = SEEK_SET;
    bool posix = false;
    bool flocked = false;
    for (const auto deadline = Clock::now() + kLockPatience; lock.fd >= 0;) {
        posix = posix || fcntl(lock.fd, F_SETLK, &whole) == 0;
        flocked = flocked || flock(lock.fd, LOCK_EX | LOCK_NB) == 0;
        if ((posix && flocked) || Clock::now() >= deadline) {
            break;
        }
        std::this_thread::sleep_for(kLockRetry);
    }
    const CDescriptor list(open((folder + kInstallList).c_str(), kFlags | O_APPEND, 0666));
    struct stat opened {};
    // Another kind of file could hold the read up for ever.
    if (list.fd < 0 || fstat(list.fd, &opened) != 0 || !S_ISREG(opened.st_mode)) {
        return;
    }
    std::string listed;
    char buffer[4096];
    ssize_t got = 0;
    while ((got = read(list.fd, buffer, sizeof buffer)) > 0) {
        listed.append(buffer, static_cast<std::size_t>(got));
    }
    // Unread, a path on it could be added twice, and installed twice.
    if (got < 0) {
        return;
    }
    std::set<std::string_view> present;
    for (std::size_t start = 0; start < listed.size();) {
        const std::size_t end = std::min(listed.find('\n', start), listed.size());
        std::string_view line(listed.data() + start, end - start);
        if (!line.empty() && line.front() == kCardMark) {
            line.remove_prefix(1);
        }
        present.insert(line);
        start = end + 1;
    }
    std::string added = listed.empty() || listed.back() == '\n' ? "" : "\n";
    const std::size_t mended = added.size();
    for (const std::string& file : files) {
        if (IsReadable(file) && present.insert(file).second) {
            added += file + '\n';
        }
    }
    if (added.size() == mended) {
        return;
    }
    // One appending write, which a signal does not part on a local file; a
    // full disk's part of a line is taken back, so J-Pilot reads no half path.
    const ssize_t wrote = write(list.fd, added.data(), added.size());
    if (wrote >= 0 && static_cast<std::size_t>(wrote) < added.size()) {
        [[maybe_unused]] const int kept = ftruncate(list.fd, static_cast<off_t>(listed.size()));
    }
    fsync(list.fd);
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
    const std::string current = RealPath(".");
    m_out << "Folder: " << ShowName(current.empty() ? "." : current) << '\n';
    std::vector<std::string> folders;
    std::vector<std::string> names;
    // Read with readdir: libstdc++'s iterator ends the program where it
    // cannot allocate.
    const auto close = [](DIR* folder) { closedir(folder); };
    const std::unique_ptr<DIR, decltype(close)> listing(opendir("."), close);
    bool unlisted = !listing;
    while (listing) {
        errno = 0;
        const dirent* entry = readdir(listing.get());
        if (entry == nullptr) {
            unlisted = errno != 0;
            break;
        }
        const std::string name = entry->d_name;
        // Hidden here are what a leading '.' hides in a folder listing.
        if (IsFolder(entry->d_name)) {
            if (name.front() != '.') {
                folders.push_back(name);
            }
        } else if (MatchesAnyFilter(name, request)) {
            names.push_back(name);
        }
    }
    std::sort(folders.begin(), folders.end());
    std::sort(names.begin(), names.end());
    // Folders first, each ending in the '/' that marks it; typed, it opens.
    for (const std::string& folder : folders) {
        m_out << "  " << ShowName(folder + '/') << '\n';
    }
    for (const std::string& name : names) {
        m_out << "  " << ShowName(name) << '\n';
    }
    if (unlisted) {
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
        if (typed.size() == 1 && IsFolder(typed.front().c_str())) {
            if (!SetWorkingFolder(typed.front())) {
                m_out << kFolderClosedMessage << ShowName(typed.front()) << '\n';
            }
            continue;
        }
        std::vector<std::string> paths;
        for (const std::string& name : typed) {
            const std::string base = name.substr(name.rfind('/') + 1);
            // A zero character ends a name in the system's calls and in the
            // selection buffer alike: such a name would be taken for another.
            if (base.empty() || base == "." || base == ".." ||
                name.find('\0') != std::string::npos) {
                m_out << ShowName(name) << " is not a file name.\n";
                break;
            }
            const std::size_t slash = name.rfind('/');
            const std::string folder = RealPath(
                slash == std::string::npos ? "." : (slash == 0 ? "/" : name.substr(0, slash)));
            if (folder.empty()) {
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

std::string FindInstaller(const std::string&) {
    const auto find = reinterpret_cast<decltype(&QuintarFindApplication)>(
        FindLauncherEntry("QuintarFindApplication"));
    std::string installer;
    if (find != nullptr) {
        find(kDatabaseType, installer);
    }
    if (!installer.empty()) {
        return installer;
    }
    const std::string folder = FindJPilotFolder();
    return folder.empty() ? folder : folder + kInstallList;
}

void StartInstaller(const std::string& installer, const std::vector<std::string>& files) {
    const std::string folder = FindJPilotFolder();
    if (!folder.empty() && installer == folder + kInstallList) {
        AppendToInstallList(folder, files);
    } else if (const auto launch = reinterpret_cast<decltype(&QuintarLaunchApplication)>(
                   FindLauncherEntry("QuintarLaunchApplication"))) {
        launch(installer, files);
    }
}
