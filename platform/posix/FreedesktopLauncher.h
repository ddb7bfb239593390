#pragma once

#include <string>
#include <vector>

// Other programs as the freedesktop MIME database and desktop entries know
// them. A program is named by the full path of its desktop entry: the entry,
// not the bare executable, says how the program takes files (its Exec line,
// a terminal, a sandbox wrapper), so the entry is what gets started.

// The desktop entry of the default application for `file`'s content type;
// empty when there is none.
std::string FindDefaultApplication(const std::string& file);

// Starts the application of the desktop entry `entry` with `files`, each its
// own argument, in order, without a shell and without waiting for it. The
// program gets its own session and no standard streams of this process.
// Failures are silent.
void LaunchApplication(const std::string& entry, const std::vector<std::string>& files);
