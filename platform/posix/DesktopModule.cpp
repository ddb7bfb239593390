#include "platform/posix/DesktopModule.h"

#include <dlfcn.h>

#include <filesystem>
#include <iostream>
#include <system_error>

namespace fs = std::filesystem;

namespace {

constexpr char kProgramLink[] = "/proc/self/exe";
constexpr char kModuleName[] = QUINTAR_DESKTOP_MODULE_NAME;
// Relative to the program's folder: the build tree keeps the module beside
// the program, an installation in its library folder.
constexpr const char* kModuleFolders[] = {".", QUINTAR_DESKTOP_MODULE_FOLDER};

// The first place that holds the module; empty when none does. Only the
// program's own folders count: never the working folder, never a search.
fs::path FindModule() {
    std::error_code error;
    const fs::path program = fs::read_symlink(kProgramLink, error);
    if (error || !program.is_absolute()) {
        return {};
    }
    for (const char* folder : kModuleFolders) {
        const fs::path module = (program.parent_path() / folder / kModuleName).lexically_normal();
        if (fs::exists(module, error)) {
            return module;
        }
    }
    return {};
}

std::unique_ptr<const CDesktopModule> LoadOnce() {
    const fs::path path = FindModule();
    if (path.empty()) {
        return nullptr;
    }
    return std::make_unique<const CDesktopModule>(path.string(), std::cerr);
}

}  // namespace

void CDesktopModule::CUnload::operator()(void* handle) const {
    dlclose(handle);
}

CDesktopModule::CDesktopModule(const std::string& path, std::ostream& errors)
    : m_handle(dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL | RTLD_NODELETE)) {
    if (!m_handle) {
        const char* reason = dlerror();
        errors << "quintar-convertor: cannot load the desktop module " << path << ": "
               << (reason != nullptr ? reason : "unknown reason") << '\n';
        return;
    }
    using TEntry = const CDesktopServices* (*)(unsigned);
    const auto entry = reinterpret_cast<TEntry>(dlsym(m_handle.get(), kDesktopServicesEntry));
    m_services = entry != nullptr ? entry(kDesktopServicesVersion) : nullptr;
    if (m_services == nullptr) {
        errors << "quintar-convertor: " << path
               << " is not the desktop module of this build; it is not used\n";
    }
}

const CDesktopServices* LoadDesktopModule() {
    static const std::unique_ptr<const CDesktopModule> module = LoadOnce();
    return module ? module->GetServices() : nullptr;
}
