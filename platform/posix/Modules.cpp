#include "platform/posix/Modules.h"

#include <dlfcn.h>

#include <filesystem>
#include <system_error>

namespace fs = std::filesystem;

namespace {

constexpr char kProgramLink[] = "/proc/self/exe";
// Relative to the program's folder: the build tree keeps the modules beside
// the program, an installation in its library folder.
constexpr const char* kModuleFolders[] = {".", QUINTAR_MODULE_FOLDER};

// The first of the program's folders that holds `name`; empty when none does.
fs::path FindModule(const char* name) {
    std::error_code error;
    const fs::path program = fs::read_symlink(kProgramLink, error);
    if (error || !program.is_absolute()) {
        return {};
    }
    for (const char* folder : kModuleFolders) {
        const fs::path module = (program.parent_path() / folder / name).lexically_normal();
        if (fs::exists(module, error)) {
            return module;
        }
    }
    return {};
}

// The entry point `entry` of `module`, as the function it is.
template <typename TEntry>
TEntry FindModuleEntry(const CModule& module, const char* entry) {
    return reinterpret_cast<TEntry>(module.FindEntry(entry));
}

}  // namespace

void CModule::CUnload::operator()(void* handle) const {
    dlclose(handle);
}

CModule::CModule(const std::string& path)
    : m_handle(dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL | RTLD_NODELETE)) {}

void* CModule::FindEntry(const char* name) const {
    return m_handle ? dlsym(m_handle.get(), name) : nullptr;
}

std::unique_ptr<CDesktop> OpenGtkDesktop() {
    const fs::path path = FindModule(QUINTAR_GTK_MODULE_NAME);
    if (path.empty()) {
        return nullptr;
    }
    static const CModule module(path.string());
    const auto open = FindModuleEntry<decltype(&QuintarOpenGtkDesktop)>(module, kGtkEntry);
    return std::unique_ptr<CDesktop>(open != nullptr ? open(kModuleVersion) : nullptr);
}

namespace {

const CLauncher* GetLauncher() {
    static const CLauncher* const launcher = [] {
        const fs::path path = FindModule(QUINTAR_LAUNCHER_MODULE_NAME);
        if (path.empty()) {
            return static_cast<const CLauncher*>(nullptr);
        }
        static const CModule module(path.string());
        const auto get = FindModuleEntry<decltype(&QuintarGetLauncher)>(module, kLauncherEntry);
        return get != nullptr ? get(kModuleVersion) : nullptr;
    }();
    return launcher;
}

}  // namespace

std::string FindDefaultApplication(const std::string& file) {
    const CLauncher* launcher = GetLauncher();
    return launcher != nullptr ? launcher->FindDefaultApplication(file) : std::string();
}

void LaunchApplication(const std::string& entry, const std::vector<std::string>& files) {
    if (const CLauncher* launcher = GetLauncher()) {
        launcher->LaunchApplication(entry, files);
    }
}
