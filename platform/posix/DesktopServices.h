#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/Desktop.h"

// What the desktop module (GTK and GIO, loaded only when they are needed)
// does for the program. Program and module are built together; the version
// turns away a module left over from another build, whose classes may differ.
constexpr unsigned kDesktopServicesVersion = 1;

class CDesktopServices {
public:
    // The GTK desktop when a display opens; null when none does.
    virtual std::unique_ptr<CDesktop> OpenGtkDesktop() const = 0;
    // The desktop entry of the default application for `file`'s type; empty when there is none.
    virtual std::string FindDefaultApplication(const std::string& file) const = 0;
    // Starts that application with `files`, detached; failures are silent.
    virtual void LaunchApplication(const std::string& entry,
                                   const std::vector<std::string>& files) const = 0;

protected:
    ~CDesktopServices() = default;
};

// The module's one entry point: its services, or null when `version` is not
// the one it was built with.
constexpr char kDesktopServicesEntry[] = "QuintarDesktopServices";
extern "C" const CDesktopServices* QuintarDesktopServices(unsigned version);
