#include <dlfcn.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <iostream>
#include <system_error>
#include <thread>

#include "platform/Desktop.h"
#include "platform/posix/TerminalDesktop.h"

extern char** environ;

namespace fs = std::filesystem;

namespace {

constexpr char kNoDialogs[] = "cannot show the dialogs: ";
constexpr char kNoDialogsSummary[] = "Quintar Puzzle Convertor cannot show its dialogs";
constexpr char kNotifier[] = "notify-send";
constexpr char kNowhere[] = "/dev/null";
// Long enough for a notifier that answers; one that hangs is left to end on
// its own, and reaped by init once this process ends.
constexpr auto kNotifierPatience = std::chrono::seconds(1);
constexpr auto kPollInterval = std::chrono::milliseconds(10);

// Without GTK and GIO at configure time the build has no modules, and no
// start lacks them.
constexpr bool kModulesBuilt = QUINTAR_MODULES_BUILT;
// Linux's name for the running program's file.
constexpr char kProgramLink[] = "/proc/self/exe";
// Relative to the program's folder: the build tree keeps the modules beside
// the program, an installation in its library folder.
constexpr const char* kModuleFolders[] = {".", QUINTAR_MODULE_FOLDER};
// The variables that name a display, in the order GDK tries them.
constexpr const char* kDisplayVariables[] = {"WAYLAND_DISPLAY", "DISPLAY"};

// A signal caught by this does nothing, and unlike an ignored one is the
// default again in every program this process starts.
void PassOver(int) {}

// The display variables that are set, as the user would write them.
std::string DescribeDisplay() {
    std::string shown;
    for (const char* variable : kDisplayVariables) {
        const char* value = std::getenv(variable);
        if (value != nullptr && *value != '\0') {
            shown += (shown.empty() ? "" : " ") + std::string(variable) + '=' + value;
        }
    }
    return shown;
}

// The entry point `entry` of the module `name`, from the first of the
// program's folders that holds it; null, with `problem` saying why (the
// loader's own words, which name the path or the library it could not
// find), where the module is missing, does not load or has no such entry.
// Nothing is said where the build has no modules.
void* LoadEntry(const char* name, const char* entry, std::string& problem) {
    if (!kModulesBuilt) {
        return nullptr;
    }
    std::error_code error;
    const fs::path program = fs::read_symlink(kProgramLink, error);
    if (error || !program.is_absolute()) {
        problem = std::string("cannot read ") + kProgramLink + " to find " + name;
        return nullptr;
    }
    std::string folders;
    for (const char* folder : kModuleFolders) {
        const std::string module = (program.parent_path() / folder / name).lexically_normal();
        if (!fs::exists(module, error)) {
            folders += (folders.empty() ? "" : " or ") + fs::path(module).parent_path().string();
            continue;
        }
        // Never unloaded: GTK cannot be, and what a module made may outlive any owner.
        void* const handle = dlopen(module.c_str(), RTLD_NOW | RTLD_LOCAL);
        void* const found = handle != nullptr ? dlsym(handle, entry) : nullptr;
        if (found == nullptr) {
            const char* reason = dlerror();
            problem = reason != nullptr ? reason : "no entry point " + std::string(entry);
            // A library the module needs is named alone: the module is named too.
            if (problem.compare(0, module.size(), module) != 0) {
                problem = module + ": " + problem;
            }
        }
        return found;
    }
    problem = std::string("no ") + name + " in " + folders;
    return nullptr;
}

// Shows `summary` and `body` as a desktop notification through notify-send,
// where it is installed; silent where it is not or fails. It gets none of
// this process's standard streams (whoever reads this process's output must
// not wait for its end), and nothing waits on it for long.
void ShowNotification(const std::string& summary, const std::string& body) {
    posix_spawn_file_actions_t actions;
    if (posix_spawn_file_actions_init(&actions) != 0) {
        return;
    }
    bool ready = true;
    for (const int stream : {STDIN_FILENO, STDOUT_FILENO, STDERR_FILENO}) {
        ready =
            ready && posix_spawn_file_actions_addopen(&actions, stream, kNowhere, O_RDWR, 0) == 0;
    }
    // No shell: the texts are arguments as they stand, never options.
    std::string notifier = kNotifier;
    std::string endOfOptions = "--";
    std::string summaryArgument = summary;
    std::string bodyArgument = body;
    char* const arguments[] = {notifier.data(), endOfOptions.data(), summaryArgument.data(),
                               bodyArgument.data(), nullptr};
    pid_t child = 0;
    if (ready && posix_spawnp(&child, kNotifier, &actions, nullptr, arguments, environ) == 0) {
        const auto deadline = std::chrono::steady_clock::now() + kNotifierPatience;
        while (waitpid(child, nullptr, WNOHANG) == 0 &&
               std::chrono::steady_clock::now() < deadline) {
            std::this_thread::sleep_for(kPollInterval);
        }
    }
    posix_spawn_file_actions_destroy(&actions);
}

}  // namespace

CDescriptorInput::int_type CDescriptorInput::underflow() {
    for (;;) {
        const ssize_t got = read(m_fd, m_buffer, sizeof m_buffer);
        if (got > 0) {
            setg(m_buffer, m_buffer, m_buffer + got);
            return traits_type::to_int_type(m_buffer[0]);
        }
        if (got < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            pollfd ready{m_fd, POLLIN, 0};
            poll(&ready, 1, -1);
        } else if (got == 0 || errno != EINTR) {
            return traits_type::eof();
        }
    }
}

const CProgramServices& GetProgramServices() {
    static const CProgramServices services{
        [](const std::vector<std::string>& paths, std::vector<char>& selection,
           CMessageText& problem) { return FinishPick(paths, selection, problem); },
        MatchesFilter, ShowText, FindInstaller, StartInstaller};
    return services;
}

void* FindLauncherEntry(const char* name) {
    std::string problem;
    return LoadEntry(QUINTAR_LAUNCHER_MODULE_NAME, name, problem);
}

void PrepareProcess() {
    // A file-size limit or a closed pipe must fail the write, reported to the
    // user, rather than end the process with a half-written database.
    signal(SIGXFSZ, PassOver);
    signal(SIGPIPE, PassOver);
    // The time zone is read now, while descriptors are free: a conversion
    // that found none to read it with would stamp its database in UTC.
    tzset();
}

std::unique_ptr<CDesktop> ChooseDesktop() {
    const bool terminal = isatty(STDIN_FILENO) != 0;
    // GTK and its libraries are loaded only where a display may open: they
    // would add some 70 libraries and 11 MB to every terminal run.
    if (!DescribeDisplay().empty()) {
        std::string problem;
        const auto open = reinterpret_cast<decltype(&QuintarOpenDesktop)>(
            LoadEntry(QUINTAR_GTK_MODULE_NAME, "QuintarOpenDesktop", problem));
        if (open != nullptr) {
            if (std::unique_ptr<CDesktop> desktop{open(GetProgramServices())}) {
                return desktop;
            }
            problem = "no display opens (" + DescribeDisplay() + ")";
        }
        // Started from a menu, the terminal dialogue would read the end of
        // its input at once: the user would see nothing happen, and not why.
        if (!problem.empty()) {
            std::cerr << kErrorLinePrefix << kNoDialogs << problem << std::endl;
            if (!terminal) {
                ShowNotification(kNoDialogsSummary, problem);
            }
        }
    }
    static CDescriptorInput input(STDIN_FILENO);
    static std::istream in(&input);
    return std::make_unique<CTerminalDesktop>(in, std::cout, std::cerr, terminal);
}
