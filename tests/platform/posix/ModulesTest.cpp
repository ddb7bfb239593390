#include <gtest/gtest.h>
#include <gtk/gtk.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <set>

#include "platform/posix/Modules.h"
#include "tests/support/TestFiles.h"
#include "tests/support/posix/GtkDialogScript.h"

namespace {

constexpr char kGtkModulePath[] = QUINTAR_GTK_MODULE_PATH;
constexpr char kLauncherModulePath[] = QUINTAR_LAUNCHER_MODULE_PATH;
constexpr char kProgramPath[] = QUINTAR_PROGRAM_PATH;

using Names = std::vector<std::string>;

struct CSymbol {
    char type;
    std::string name;
};

// The symbols `file` defines, demangled, from the full table or, with
// `options` "-D", the one the loader reads.
std::vector<CSymbol> ListSymbols(const std::string& file, const std::string& options = "") {
    struct CClose {
        void operator()(FILE* pipe) const { pclose(pipe); }
    };
    const std::unique_ptr<FILE, CClose> nm(
        popen(("nm -C --defined-only " + options + " '" + file + "' 2>/dev/null").c_str(), "r"));
    std::vector<CSymbol> symbols;
    char line[4096];
    while (nm && std::fgets(line, sizeof line, nm.get()) != nullptr) {
        char type = 0;
        char name[4000] = "";
        if (std::sscanf(line, "%*s %c %3999[^\n]", &type, name) == 2) {
            symbols.push_back({type, name});
        }
    }
    return symbols;
}

// Everything else stays hidden: GTK's and GIO's own symbols, and the
// templates the headers instantiate.
TEST(ModulesTest, EachModuleExportsItsOneEntryPoint) {
    for (const char* module : {kGtkModulePath, kLauncherModulePath}) {
        Names exported;
        for (const CSymbol& symbol : ListSymbols(module, "-D")) {
            // Version nodes are no symbols of code or data.
            if (symbol.type != 'A') {
                exported.push_back(symbol.name);
            }
        }
        EXPECT_EQ(exported, Names{kModuleEntry}) << module;
    }
}

// A module's copy of the program's code would be a second program in the
// process, with rules and state of its own: the program lends what a module
// needs instead. Hidden copies count too, so the full table is read.
TEST(ModulesTest, NoModuleHoldsAFunctionOfTheProgram) {
    std::set<std::string> program;
    for (const CSymbol& symbol : ListSymbols(kProgramPath)) {
        // The C runtime's own start-up functions are in every binary.
        if (symbol.type == 'T' && symbol.name.front() != '_' && symbol.name != "main") {
            program.insert(symbol.name);
        }
    }
    for (const char* known : {"FinishPick(", "MatchesFilter(", "PackSelection(",
                              "CFile::", "CModule::", "GetProgramServices("}) {
        EXPECT_TRUE(std::any_of(program.begin(), program.end(),
                                [&](const std::string& name) { return name.find(known) == 0; }))
            << "the program defines no " << known << ": its symbols are not read";
    }
    for (const char* module : {kGtkModulePath, kLauncherModulePath}) {
        Names copies;
        for (const CSymbol& symbol : ListSymbols(module)) {
            if (program.count(symbol.name) != 0) {
                copies.push_back(symbol.name);
            }
        }
        EXPECT_EQ(copies, Names{}) << module;
    }
}

// A copy of `module` in the test's folder with every `from` in it made `to`.
std::string CopyChanged(const std::string& module, const std::string& from, const std::string& to) {
    std::string bytes = ReadBytes(module);
    for (std::size_t at = bytes.find(from); at != std::string::npos; at = bytes.find(from, at)) {
        bytes.replace(at, from.size(), to);
    }
    const std::string copy = (std::filesystem::current_path() / ("copy-of-" + to + ".so")).string();
    WriteBytes(copy, bytes);
    return copy;
}

// Whatever keeps a module from being used is named: the module, and the
// loader's reason, which names a library that could not be found.
TEST(ModulesTest, ModuleOfAnotherVersionBrokenOrWithoutItsLibraryIsNotUsedAndSaysWhy) {
    const CTempFolder folder;
    for (const char* path : {kGtkModulePath, kLauncherModulePath}) {
        const CModule module(path);
        std::string problem;
        EXPECT_TRUE(module.Open(GetProgramServices(), problem)) << problem;
        const auto open =
            reinterpret_cast<decltype(&QuintarOpenModule)>(module.FindEntry(kModuleEntry));
        ASSERT_NE(open, nullptr);
        EXPECT_EQ(open(kModuleVersion + 1, GetProgramServices()), nullptr);
    }

    WriteBytes("garbage.so", "not a module");
    const std::string garbage = folder.GetName() + "/garbage.so";
    struct CCase {
        std::string path;
        std::string named;
    };
    const std::vector<CCase> cases{
        {garbage, garbage},
        {CopyChanged(kLauncherModulePath, "libgio-2.0.so.0", "libgio-9.0.so.0"), "libgio-9.0.so.0"},
        {CopyChanged(kLauncherModulePath, kModuleEntry, "QuintarOpenModulX"), kModuleEntry},
    };
    for (const CCase& broken : cases) {
        std::string problem;
        EXPECT_FALSE(CModule(broken.path).Open(GetProgramServices(), problem));
        EXPECT_EQ(problem.find(broken.path), 0u) << problem;
        EXPECT_NE(problem.find(broken.named), std::string::npos) << problem;
    }
}

TEST(ModulesTest, GtkModuleShowsDialogsOnTheDisplay) {
    if (std::getenv("DISPLAY") == nullptr) {
        GTEST_SKIP() << "no X display to show dialogs on";
    }
    setenv("GDK_BACKEND", "x11", 1);
    setenv("GSETTINGS_BACKEND", "memory", 1);
    const CModule module(kGtkModulePath);
    std::string problem;
    const std::unique_ptr<CModuleObject> object = module.Open(GetProgramServices(), problem);
    ASSERT_TRUE(object) << problem;
    const std::unique_ptr<CDesktop> desktop = object->OpenDesktop();
    ASSERT_TRUE(desktop) << "the display does not open";

    CGtkDialogScript script;
    std::string title;
    script.Add([&](GtkWidget* dialog) {
        title = gtk_window_get_title(GTK_WINDOW(dialog));
        return Press(dialog, "Yes");
    });
    EXPECT_EQ(desktop->ShowMessageBox("Install?", "Caption", kMbYesNo | kMbIconQuestion), kIdYes);
    EXPECT_EQ(title, "Caption");
    EXPECT_TRUE(script.IsDone());
}

}  // namespace
