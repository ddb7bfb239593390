#pragma once

#include <memory>

#include "platform/Desktop.h"

// Settles how the process meets the system before the run starts.
void PrepareProcess();

// The desktop this process can show its dialogs on. A start that cannot
// show the dialogs it was built for says why on standard error; one with
// too little memory for any desktop has none.
std::unique_ptr<CDesktop> ChooseDesktop();
