#include <dlfcn.h>
#include <gtest/gtest.h>
#include <gtk/gtk.h>

#include <cstdlib>
#include <memory>
#include <sstream>

#include "platform/posix/DesktopModule.h"
#include "tests/support/TestFiles.h"
#include "tests/support/posix/GtkDialogScript.h"

namespace {

constexpr char kModulePath[] = QUINTAR_DESKTOP_MODULE_PATH;

struct CCloseLibrary {
    void operator()(void* handle) const { dlclose(handle); }
};

TEST(DesktopModuleTest, BuiltModuleServesOnlyTheProgramOfItsOwnBuild) {
    std::ostringstream errors;
    const CDesktopModule module(kModulePath, errors);
    EXPECT_NE(module.GetServices(), nullptr);
    EXPECT_EQ(errors.str(), "");

    const std::unique_ptr<void, CCloseLibrary> loaded(dlopen(kModulePath, RTLD_NOW | RTLD_NOLOAD));
    ASSERT_TRUE(loaded) << "the module was unloaded";
    using TEntry = const CDesktopServices* (*)(unsigned);
    const auto entry = reinterpret_cast<TEntry>(dlsym(loaded.get(), kDesktopServicesEntry));
    ASSERT_NE(entry, nullptr);
    EXPECT_EQ(entry(kDesktopServicesVersion), module.GetServices());
    EXPECT_EQ(entry(kDesktopServicesVersion + 1), nullptr);
    // Nothing but the entry point is visible to the program.
    EXPECT_EQ(dlsym(loaded.get(), "_ZN11CGtkDesktop4OpenEv"), nullptr);
}

TEST(DesktopModuleTest, WhatIsNoModuleOfThisBuildIsReportedAndNotUsed) {
    const CTempFolder folder;
    const std::string garbage = (folder.GetPath() / "quintar-convertor-desktop.so").string();
    WriteBytes(garbage, "not a module");
    // A library that loads but has no entry point stands for a foreign module.
    Dl_info library{};
    ASSERT_NE(dladdr(reinterpret_cast<void*>(&dladdr), &library), 0);
    for (const std::string& path : {garbage, std::string(library.dli_fname)}) {
        std::ostringstream errors;
        const CDesktopModule module(path, errors);
        EXPECT_EQ(module.GetServices(), nullptr) << path;
        EXPECT_NE(errors.str().find(path), std::string::npos) << errors.str();
    }
}

TEST(DesktopModuleTest, ModuleShowsGtkDialogsOnTheDisplay) {
    if (std::getenv("DISPLAY") == nullptr) {
        GTEST_SKIP() << "no X display to show dialogs on";
    }
    setenv("GDK_BACKEND", "x11", 1);
    setenv("GSETTINGS_BACKEND", "memory", 1);
    std::ostringstream errors;
    const CDesktopModule module(kModulePath, errors);
    ASSERT_NE(module.GetServices(), nullptr) << errors.str();
    const std::unique_ptr<CDesktop> desktop = module.GetServices()->OpenGtkDesktop();
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
