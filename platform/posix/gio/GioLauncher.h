#pragma once

#include <string>
#include <vector>

#include "platform/posix/ModuleInterface.h"

// The launcher as GIO knows the freedesktop MIME database and desktop entries.
class CGioLauncher final : public CLauncher {
public:
    std::string FindDefaultApplication(const std::string& type) const override;
    void LaunchApplication(const std::string& entry,
                           const std::vector<std::string>& files) const override;
};
