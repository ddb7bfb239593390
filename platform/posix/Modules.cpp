#include "platform/posix/Modules.h"

#include <dlfcn.h>

#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "platform/Selection.h"
#include "platform/posix/TerminalDesktop.h"

namespace fs = std::filesystem;

namespace {

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

// The first of the program's folders that holds `name`; empty, with
// `problem` saying where it was looked for, when none does.
fs::path FindModule(const char* name, std::string& problem) {
    std::error_code error;
    const fs::path program = fs::read_symlink(kProgramLink, error);
    if (error || !program.is_absolute()) {
        problem = std::string("cannot read ") + kProgramLink + " to find " + name;
        return {};
    }
    std::string folders;
    for (const char* folder : kModuleFolders) {
        const fs::path module = (program.parent_path() / folder / name).lexically_normal();
        if (fs::exists(module, error)) {
            return module;
        }
        folders += (folders.empty() ? "" : " or ") + module.parent_path().string();
    }
    problem = std::string("no ") + name + " in " + folders;
    return {};
}

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

// The program's rules and its hand-off, as a module reaches them.
class CLentServices final : public CProgramServices {
public:
    std::optional<EPickOutcome> FinishPick(const std::vector<std::string>& paths,
                                           std::vector<char>& selection,
                                           CMessageText& problem) const override {
        return ::FinishPick(paths, selection, problem);
    }
    bool MatchesFilter(std::string_view name, std::string_view patterns) const override {
        return ::MatchesFilter(name, patterns);
    }
    std::string EscapeName(std::string_view name) const override { return ::EscapeName(name); }
    std::string FindInstaller(const std::string& file) const override {
        return ::FindInstaller(file);
    }
    void StartInstaller(const std::string& installer,
                        const std::vector<std::string>& files) const override {
        ::StartInstaller(installer, files);
    }
};

}  // namespace

void CModule::CUnload::operator()(void* handle) const {
    dlclose(handle);
}

CModule::CModule(const std::string& path)
    : m_path(path), m_handle(dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL | RTLD_NODELETE)) {
    if (!m_handle) {
        const char* reason = dlerror();
        m_problem = reason != nullptr ? reason : "";
        // A library the module needs is named alone: the module is named too.
        if (m_problem.compare(0, path.size(), path) != 0) {
            m_problem = path + ": " + m_problem;
        }
    }
}

void* CModule::FindEntry(const char* name) const {
    return m_handle ? dlsym(m_handle.get(), name) : nullptr;
}

std::unique_ptr<CModuleObject> CModule::Open(const CProgramServices& program,
                                             std::string& problem) const {
    if (!m_handle) {
        problem = m_problem;
        return nullptr;
    }
    const auto open = reinterpret_cast<decltype(&QuintarOpenModule)>(FindEntry(kModuleEntry));
    if (open == nullptr) {
        const char* reason = dlerror();
        problem = reason != nullptr ? reason : m_path + ": no entry point " + kModuleEntry;
        return nullptr;
    }
    std::unique_ptr<CModuleObject> object(open(kModuleVersion, program));
    if (!object) {
        problem = m_path + ": a module of another version";
    }
    return object;
}

const CProgramServices& GetProgramServices() {
    static const CLentServices services;
    return services;
}

std::unique_ptr<CDesktop> OpenGtkDesktop(std::string& problem) {
    problem.clear();
    if (!kModulesBuilt) {
        return nullptr;
    }
    const fs::path path = FindModule(QUINTAR_GTK_MODULE_NAME, problem);
    if (path.empty()) {
        return nullptr;
    }
    static const CModule module(path.string());
    const std::unique_ptr<CModuleObject> object = module.Open(GetProgramServices(), problem);
    if (!object) {
        return nullptr;
    }
    std::unique_ptr<CDesktop> desktop = object->OpenDesktop();
    if (!desktop) {
        problem = "no display opens (" + DescribeDisplay() + ")";
    }
    return desktop;
}

namespace {

const CLauncher* GetLauncher() {
    static const std::unique_ptr<CModuleObject> object = []() -> std::unique_ptr<CModuleObject> {
        std::string problem;
        const fs::path path =
            kModulesBuilt ? FindModule(QUINTAR_LAUNCHER_MODULE_NAME, problem) : fs::path();
        if (path.empty()) {
            return nullptr;
        }
        static const CModule module(path.string());
        return module.Open(GetProgramServices(), problem);
    }();
    return object ? object->GetLauncher() : nullptr;
}

}  // namespace

std::string FindDefaultApplication(const std::string& type) {
    const CLauncher* launcher = GetLauncher();
    return launcher != nullptr ? launcher->FindDefaultApplication(type) : std::string();
}

void LaunchApplication(const std::string& entry, const std::vector<std::string>& files) {
    if (const CLauncher* launcher = GetLauncher()) {
        launcher->LaunchApplication(entry, files);
    }
}
