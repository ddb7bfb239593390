#include "platform/posix/gio/GioLauncher.h"

#include <gio/gdesktopappinfo.h>
#include <gio/gio.h>
#include <signal.h>
#include <unistd.h>

#include "platform/posix/gio/GObjectPtr.h"

namespace {

// The type of every Palm database, and the parent of the e-books that every
// *.pdb is by its name (application/x-aportisdoc).
constexpr char kPalmDatabase[] = "application/vnd.palm";

// Standard input already comes from /dev/null. Without G_SPAWN_DO_NOT_REAP_CHILD
// the program runs as a grandchild that nobody here has to wait for.
constexpr GSpawnFlags kSpawnFlags = static_cast<GSpawnFlags>(
    G_SPAWN_SEARCH_PATH | G_SPAWN_STDOUT_TO_DEV_NULL | G_SPAWN_STDERR_TO_DEV_NULL);

// Runs in the started program's process just before its executable.
void DetachChild(gpointer) {
    // It outlives this run and whatever terminal started it.
    setsid();
    // What this process chose to ignore is not the started program's choice.
    signal(SIGPIPE, SIG_DFL);
    signal(SIGXFSZ, SIG_DFL);
}

}  // namespace

std::string CGioLauncher::FindDefaultApplication(const std::string& type) const {
    // GIO looks a type up as what it is an alias of, and then as each of its
    // parents. A type that the MIME database makes a Palm database of any
    // kind, by an alias or a parent that another package gave it, would
    // give the programs that claim every *.pdb.
    if (g_content_type_is_a(type.c_str(), kPalmDatabase)) {
        return {};
    }
    const TObjectPtr<GAppInfo> application(g_app_info_get_default_for_type(type.c_str(), FALSE));
    if (!application || !G_IS_DESKTOP_APP_INFO(application.get())) {
        return {};
    }
    // A program that claims only a parent of the type claims other files.
    GList* inherited = g_app_info_get_fallback_for_type(type.c_str());
    bool isInherited = false;
    for (GList* other = inherited; other != nullptr; other = other->next) {
        isInherited = isInherited || g_app_info_equal(application.get(), G_APP_INFO(other->data));
    }
    g_list_free_full(inherited, g_object_unref);
    if (isInherited) {
        return {};
    }
    const char* entry = g_desktop_app_info_get_filename(G_DESKTOP_APP_INFO(application.get()));
    return entry != nullptr ? entry : "";
}

void CGioLauncher::LaunchApplication(const std::string& entry,
                                     const std::vector<std::string>& files) const {
    const TObjectPtr<GDesktopAppInfo> application(
        g_desktop_app_info_new_from_filename(entry.c_str()));
    if (!application) {
        return;
    }
    // Files travel as URIs; an entry that takes paths (%f, %F) gets the paths back.
    std::vector<TGString> uris;
    GList* list = nullptr;
    for (auto file = files.rbegin(); file != files.rend(); ++file) {
        const TObjectPtr<GFile> location(g_file_new_for_path(file->c_str()));
        uris.emplace_back(g_file_get_uri(location.get()));
        list = g_list_prepend(list, uris.back().get());
    }
    g_desktop_app_info_launch_uris_as_manager(application.get(), list, nullptr, kSpawnFlags,
                                              DetachChild, nullptr, nullptr, nullptr, nullptr);
    g_list_free(list);
}
