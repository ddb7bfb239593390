#include "platform/posix/Notification.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <thread>

extern char** environ;

namespace {

constexpr char kNotifier[] = "notify-send";
constexpr char kEndOfOptions[] = "--";
constexpr char kNowhere[] = "/dev/null";
// Long enough for a notifier that answers; one that hangs is left to end on
// its own, and reaped by init once this process ends.
constexpr auto kPatience = std::chrono::seconds(1);
constexpr auto kPollInterval = std::chrono::milliseconds(10);

// How the notifier is started, owned: none of this process's standard
// streams (whoever reads this process's output must not wait for the
// notifier's end), and none of the signals this process ignores.
class CSpawnSettings {
public:
    CSpawnSettings() {
        m_hasActions = posix_spawn_file_actions_init(&m_actions) == 0;
        m_hasAttributes = posix_spawnattr_init(&m_attributes) == 0;
    }
    ~CSpawnSettings() {
        if (m_hasActions) {
            posix_spawn_file_actions_destroy(&m_actions);
        }
        if (m_hasAttributes) {
            posix_spawnattr_destroy(&m_attributes);
        }
    }
    CSpawnSettings(const CSpawnSettings&) = delete;
    CSpawnSettings& operator=(const CSpawnSettings&) = delete;

    bool Prepare() {
        sigset_t defaults;
        sigemptyset(&defaults);
        sigaddset(&defaults, SIGPIPE);
        sigaddset(&defaults, SIGXFSZ);
        return m_hasActions && m_hasAttributes && OpenNowhere(STDIN_FILENO, O_RDONLY) &&
               OpenNowhere(STDOUT_FILENO, O_WRONLY) && OpenNowhere(STDERR_FILENO, O_WRONLY) &&
               posix_spawnattr_setsigdefault(&m_attributes, &defaults) == 0 &&
               posix_spawnattr_setflags(&m_attributes, POSIX_SPAWN_SETSIGDEF) == 0;
    }
    const posix_spawn_file_actions_t* GetActions() const { return &m_actions; }
    const posix_spawnattr_t* GetAttributes() const { return &m_attributes; }

private:
    bool OpenNowhere(int stream, int flags) {
        return posix_spawn_file_actions_addopen(&m_actions, stream, kNowhere, flags, 0) == 0;
    }

    posix_spawn_file_actions_t m_actions{};
    posix_spawnattr_t m_attributes{};
    bool m_hasActions = false;
    bool m_hasAttributes = false;
};

}  // namespace

void ShowNotification(const std::string& summary, const std::string& body) {
    CSpawnSettings settings;
    if (!settings.Prepare()) {
        return;
    }
    // No shell: the texts are arguments as they stand, never options.
    std::string notifier = kNotifier;
    std::string endOfOptions = kEndOfOptions;
    std::string summaryArgument = summary;
    std::string bodyArgument = body;
    char* const arguments[] = {notifier.data(), endOfOptions.data(), summaryArgument.data(),
                               bodyArgument.data(), nullptr};
    pid_t child = 0;
    if (posix_spawnp(&child, kNotifier, settings.GetActions(), settings.GetAttributes(), arguments,
                     environ) != 0) {
        return;
    }
    const auto deadline = std::chrono::steady_clock::now() + kPatience;
    while (waitpid(child, nullptr, WNOHANG) == 0 && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(kPollInterval);
    }
}
