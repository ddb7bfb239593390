#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/Desktop.h"

// GTK and GIO live in modules of their own, each loaded only when it is
// needed: the GTK dialogs where a display may open, the GIO launcher when an
// installer is asked for. A terminal run that hands its databases over thus
// loads GIO's few libraries and none of GTK's seventy. Modules come only
// from the program's own folders (beside it in the build tree, its library
// folder once installed), never from a search. A module that is missing,
// broken or of another build is no error: the terminal dialogue serves, and
// no installer is found. Nothing is reported either way.

// Program and modules are built together; a module whose entry point
// answers to another version is turned away.
constexpr unsigned kModuleVersion = 2;

// Other programs as the freedesktop MIME database and desktop entries know
// them. A program is named by the full path of its desktop entry: the entry,
// not the bare executable, says how the program takes files (its Exec line,
// a terminal, a sandbox wrapper), so the entry is what gets started.
class CLauncher {
public:
    // The desktop entry of the default application for `file`'s content
    // type; empty when there is none.
    virtual std::string FindDefaultApplication(const std::string& file) const = 0;
    // Starts the application of the desktop entry `entry` with `files`, each
    // its own argument, in order, without a shell and without waiting for
    // it. It gets its own session and none of this process's standard
    // streams. Failures are silent.
    virtual void LaunchApplication(const std::string& entry,
                                   const std::vector<std::string>& files) const = 0;

protected:
    ~CLauncher() = default;
};

// Each module's one entry point; null when `version` is not its own. The
// GTK module's desktop is the caller's, null when no display opens.
extern "C" CDesktop* QuintarOpenGtkDesktop(unsigned version);
extern "C" const CLauncher* QuintarGetLauncher(unsigned version);
constexpr char kGtkEntry[] = "QuintarOpenGtkDesktop";
constexpr char kLauncherEntry[] = "QuintarGetLauncher";

// A module loaded from an absolute path. Once loaded, its code and the
// libraries it needs stay mapped for the rest of the process, whatever
// becomes of the owner: GTK cannot be unloaded, and what the module made may
// outlive it.
class CModule {
public:
    explicit CModule(const std::string& path);

    // The entry point called `name`; null when the module did not load or
    // has none.
    void* FindEntry(const char* name) const;

private:
    struct CUnload {
        void operator()(void* handle) const;
    };
    std::unique_ptr<void, CUnload> m_handle;
};

// The GTK desktop on the display; null when there is no module or no display.
std::unique_ptr<CDesktop> OpenGtkDesktop();

// What the launcher does, through the launcher module, loaded on the first
// call and kept for the process; without one, no application is found.
std::string FindDefaultApplication(const std::string& file);
void LaunchApplication(const std::string& entry, const std::vector<std::string>& files);
