// The desktop module: GTK's dialogs, opened when the program asks for them.
#include "platform/posix/ModuleInterface.h"
#include "platform/posix/gtk/GtkDesktop.h"

namespace {

class CGtkModule final : public CModuleObject {
public:
    explicit CGtkModule(const CProgramServices& program) : m_program(program) {}

    std::unique_ptr<CDesktop> OpenDesktop() override { return CGtkDesktop::Open(m_program); }

private:
    const CProgramServices& m_program;
};

}  // namespace

extern "C" CModuleObject* QuintarOpenModule(unsigned version, const CProgramServices& program) {
    return version == kModuleVersion ? std::make_unique<CGtkModule>(program).release() : nullptr;
}
