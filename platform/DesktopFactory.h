#pragma once

#include <memory>

#include "platform/Desktop.h"

// The desktop this process can show its dialogs on.
std::unique_ptr<CDesktop> CreateDesktop();
