#pragma once

// Settles how the process meets the system before the run starts.
void PrepareProcess();
