// The launcher module: GIO finds and starts the handheld installer.
#include "platform/posix/ModuleInterface.h"
#include "platform/posix/gio/GioLauncher.h"

namespace {

class CLauncherModule final : public CModuleObject {
public:
    const CLauncher* GetLauncher() const override { return &m_launcher; }

private:
    CGioLauncher m_launcher;
};

}  // namespace

extern "C" CModuleObject* QuintarOpenModule(unsigned version, const CProgramServices&) {
    return version == kModuleVersion ? std::make_unique<CLauncherModule>().release() : nullptr;
}
