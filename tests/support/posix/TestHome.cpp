// Every test process gets a home of its own, made before main and removed
// after it: GTK, GIO and the programs the tests start keep their settings,
// caches and recent files there, never in the home of whoever runs the tests.
#include <stdlib.h>
#include <sys/stat.h>

#include <filesystem>
#include <stdexcept>
#include <string>

namespace fs = std::filesystem;

namespace {

constexpr mode_t kPrivateFolder = 0700;

class CTestHome {
public:
    CTestHome() {
        std::string pattern = (fs::temp_directory_path() / "quintar-home-XXXXXX").string();
        if (mkdtemp(pattern.data()) == nullptr) {
            throw std::runtime_error("no home for the tests");
        }
        m_home = pattern;
        setenv("HOME", m_home.c_str(), 1);
        const std::pair<const char*, const char*> folders[] = {
            {"XDG_CONFIG_HOME", ".config"},     {"XDG_DATA_HOME", ".local/share"},
            {"XDG_STATE_HOME", ".local/state"}, {"XDG_CACHE_HOME", ".cache"},
            {"XDG_RUNTIME_DIR", "run"},
        };
        for (const auto& [variable, folder] : folders) {
            const fs::path path = m_home / folder;
            fs::create_directories(path);
            chmod(path.c_str(), kPrivateFolder);
            setenv(variable, path.c_str(), 1);
        }
    }
    ~CTestHome() {
        std::error_code error;
        fs::remove_all(m_home, error);
    }
    CTestHome(const CTestHome&) = delete;
    CTestHome& operator=(const CTestHome&) = delete;

private:
    fs::path m_home;
};

const CTestHome g_home;

}  // namespace
