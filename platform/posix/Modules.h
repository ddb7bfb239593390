#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/Desktop.h"
#include "platform/posix/ModuleInterface.h"

// GTK and GIO live in modules of their own, each loaded only when it is
// needed: the GTK dialogs where a display may open, the GIO launcher when an
// installer is asked for. A terminal run that hands its databases over thus
// loads GIO's few libraries and none of GTK's seventy, and GLib, whose
// start-up ends the process on a failed allocation, stays out of every run
// that needs none of it. Modules come only from the program's own folders
// (beside it in the build tree, its library folder once installed), never
// from a search. A module that is missing, broken or of another build is no
// error: the terminal dialogue serves, and no installer is found.

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

    // The module's object; null, with `problem` saying why (the loader's
    // own words, which name the path or the library it could not find),
    // when the module did not load, has no entry point or is of another
    // version.
    std::unique_ptr<CModuleObject> Open(const CProgramServices& program,
                                        std::string& problem) const;

private:
    struct CUnload {
        void operator()(void* handle) const;
    };
    std::string m_path;
    std::unique_ptr<void, CUnload> m_handle;
    // Why the module did not load.
    std::string m_problem;
};

// What the program lends its modules; it lives as long as the process.
const CProgramServices& GetProgramServices();

// The GTK desktop on the display; null when there is none, with `problem`
// saying why where the build has a desktop module that could have shown
// the dialogs, empty where it has none.
std::unique_ptr<CDesktop> OpenGtkDesktop(std::string& problem);

// What the launcher does, through the launcher module, loaded on the first
// call and kept for the process; without one, no application is found.
std::string FindDefaultApplication(const std::string& type);
void LaunchApplication(const std::string& entry, const std::vector<std::string>& files);
