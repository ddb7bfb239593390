#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Desktop.h"

// What the program and its modules share, and all they share: this header.
// A module holds only the code that needs its library (GTK, GIO); whatever
// it needs of the program it is lent at run time, through the interfaces
// below, so no code of the program is ever compiled into a module.

// Program and modules are built together; a module whose entry point
// answers to another version is turned away.
constexpr unsigned kModuleVersion = 6;

// Other programs as the freedesktop MIME database and desktop entries know
// them. A program is named by the full path of its desktop entry: the entry,
// not the bare executable, says how the program takes files (its Exec line,
// a terminal, a sandbox wrapper), so the entry is what gets started.
class CLauncher {
public:
    // The desktop entry of the user's default application for the content
    // type named `type`, or else of one that claims it; never one that only
    // claims a parent of `type`, and none at all where `type` is, by a parent
    // or an alias, a Palm database (application/vnd.palm), whose programs
    // claim every *.pdb. Empty when there is none.
    virtual std::string FindDefaultApplication(const std::string& type) const = 0;
    // Starts the application of the desktop entry `entry` with `files`, each
    // its own argument, in order, without a shell and without waiting for
    // it. It gets its own session and none of this process's standard
    // streams. Failures are silent.
    virtual void LaunchApplication(const std::string& entry,
                                   const std::vector<std::string>& files) const = 0;

protected:
    ~CLauncher() = default;
};

// What the program lends a module: the rules every desktop shares
// (platform/Selection.h) and the hand-off (platform/posix/TerminalDesktop.h),
// which may use the launcher, a module of its own.
class CProgramServices {
public:
    virtual std::optional<EPickOutcome> FinishPick(const std::vector<std::string>& paths,
                                                   std::vector<char>& selection,
                                                   CMessageText& problem) const = 0;
    virtual bool MatchesFilter(std::string_view name, std::string_view patterns) const = 0;
    virtual std::string EscapeName(std::string_view name) const = 0;
    virtual std::string FindInstaller(const std::string& file) const = 0;
    virtual void StartInstaller(const std::string& installer,
                                const std::vector<std::string>& files) const = 0;

protected:
    ~CProgramServices() = default;
};

// What a module's entry point makes: each module offers one of these.
class CModuleObject {
public:
    virtual ~CModuleObject() = default;

    // The dialogs on the display, the caller's; null when no display opens.
    virtual std::unique_ptr<CDesktop> OpenDesktop() { return nullptr; }
    // The launcher, which lives as long as the object.
    virtual const CLauncher* GetLauncher() const { return nullptr; }
};

// Every module's one entry point: the module's object, the caller's, which
// calls back into the program only through `program`; null when `version`
// is not the module's own.
extern "C" CModuleObject* QuintarOpenModule(unsigned version, const CProgramServices& program);
constexpr char kModuleEntry[] = "QuintarOpenModule";
