#include <gtest/gtest.h>
#include <gtk/gtk.h>

#include <cstdio>
#include <cstdlib>
#include <memory>

#include "platform/posix/Modules.h"
#include "tests/support/TestFiles.h"
#include "tests/support/posix/GtkDialogScript.h"

namespace {

constexpr char kGtkModulePath[] = QUINTAR_GTK_MODULE_PATH;
constexpr char kLauncherModulePath[] = QUINTAR_LAUNCHER_MODULE_PATH;

// The functions and data a module lets the program see, as nm lists them.
std::vector<std::string> ListExports(const std::string& module) {
    struct CClose {
        void operator()(FILE* pipe) const { pclose(pipe); }
    };
    const std::unique_ptr<FILE, CClose> nm(
        popen(("nm -D --defined-only '" + module + "' 2>/dev/null").c_str(), "r"));
    std::vector<std::string> names;
    char line[512];
    while (nm && std::fgets(line, sizeof line, nm.get()) != nullptr) {
        char type = 0;
        char name[400] = "";
        if (std::sscanf(line, "%*s %c %399s", &type, name) == 2 && type != 'A') {
            names.emplace_back(name);
        }
    }
    return names;
}

// Everything else stays hidden: GTK's and GIO's own symbols, and the
// program's classes, which the module carries copies of.
TEST(ModulesTest, EachModuleExportsItsOneEntryPoint) {
    EXPECT_EQ(ListExports(kGtkModulePath), std::vector<std::string>{kGtkEntry});
    EXPECT_EQ(ListExports(kLauncherModulePath), std::vector<std::string>{kLauncherEntry});
}

TEST(ModulesTest, ModuleOfAnotherBuildOrNoneAtAllIsNotUsed) {
    const CModule launcherModule(kLauncherModulePath);
    const auto get =
        reinterpret_cast<decltype(&QuintarGetLauncher)>(launcherModule.FindEntry(kLauncherEntry));
    ASSERT_NE(get, nullptr);
    EXPECT_NE(get(kModuleVersion), nullptr);
    EXPECT_EQ(get(kModuleVersion + 1), nullptr);
    const CModule gtkModule(kGtkModulePath);
    const auto open =
        reinterpret_cast<decltype(&QuintarOpenGtkDesktop)>(gtkModule.FindEntry(kGtkEntry));
    ASSERT_NE(open, nullptr);
    EXPECT_EQ(open(kModuleVersion + 1), nullptr);

    const CTempFolder folder;
    WriteBytes("garbage.so", "not a module");
    EXPECT_EQ(CModule((folder.GetPath() / "garbage.so").string()).FindEntry(kLauncherEntry),
              nullptr);
    EXPECT_EQ(CModule(kGtkModulePath).FindEntry(kLauncherEntry), nullptr);
}

TEST(ModulesTest, GtkModuleShowsDialogsOnTheDisplay) {
    if (std::getenv("DISPLAY") == nullptr) {
        GTEST_SKIP() << "no X display to show dialogs on";
    }
    setenv("GDK_BACKEND", "x11", 1);
    setenv("GSETTINGS_BACKEND", "memory", 1);
    const CModule module(kGtkModulePath);
    const auto open =
        reinterpret_cast<decltype(&QuintarOpenGtkDesktop)>(module.FindEntry(kGtkEntry));
    ASSERT_NE(open, nullptr);
    const std::unique_ptr<CDesktop> desktop(open(kModuleVersion));
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
