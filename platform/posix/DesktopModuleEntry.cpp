#include "platform/posix/DesktopServices.h"
#include "platform/posix/FreedesktopLauncher.h"
#include "platform/posix/GtkDesktop.h"

namespace {

class CGtkServices final : public CDesktopServices {
public:
    std::unique_ptr<CDesktop> OpenGtkDesktop() const override { return CGtkDesktop::Open(); }
    std::string FindDefaultApplication(const std::string& file) const override {
        return ::FindDefaultApplication(file);
    }
    void LaunchApplication(const std::string& entry,
                           const std::vector<std::string>& files) const override {
        ::LaunchApplication(entry, files);
    }
};

}  // namespace

// Everything else in the module stays hidden from the program that loads it.
extern "C" __attribute__((visibility("default"))) const CDesktopServices* QuintarDesktopServices(
    unsigned version) {
    static const CGtkServices services;
    return version == kDesktopServicesVersion ? &services : nullptr;
}
