#pragma once

#include <iosfwd>
#include <memory>
#include <string>

#include "platform/posix/DesktopServices.h"

// Owns a loaded desktop module. Once loaded, its code and the libraries it
// needs stay mapped for the rest of the process, whatever becomes of the
// owner: GTK cannot be unloaded, and a desktop the module made may outlive it.
class CDesktopModule {
public:
    // Loads the module at `path`, which is absolute: nothing is searched
    // for. A failure, or a module from another build, is reported to `errors`.
    CDesktopModule(const std::string& path, std::ostream& errors);

    // Null when the module did not load.
    const CDesktopServices* GetServices() const { return m_services; }

private:
    struct CUnload {
        void operator()(void* handle) const;
    };
    std::unique_ptr<void, CUnload> m_handle;
    const CDesktopServices* m_services = nullptr;
};

// The services of this program's desktop module, loaded on the first call and
// kept for the process. The module is looked for beside the program and where
// it is installed, nowhere else. Null when the build has none or it is not
// there, which is no error: the terminal dialogue serves.
const CDesktopServices* LoadDesktopModule();
