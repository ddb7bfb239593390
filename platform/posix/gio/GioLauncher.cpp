// The launcher module: GIO finds and starts the handheld installer as the
// freedesktop MIME database and desktop entries know it.
#include <gio/gdesktopappinfo.h>
#include <gio/gio.h>
#include <unistd.h>

#include <memory>

#include "platform/posix/TerminalDesktop.h"

namespace {

// The type of every Palm database, and the parent of the e-books that every
// *.pdb is by its name (application/x-aportisdoc).
constexpr char kPalmDatabase[] = "application/vnd.palm";

// Standard input already comes from /dev/null. Without G_SPAWN_DO_NOT_REAP_CHILD
// the program runs as a grandchild that nobody here has to wait for.
constexpr GSpawnFlags kSpawnFlags = static_cast<GSpawnFlags>(
    G_SPAWN_SEARCH_PATH | G_SPAWN_STDOUT_TO_DEV_NULL | G_SPAWN_STDERR_TO_DEV_NULL);

struct CObjectUnref {
    void operator()(gpointer object) const { g_object_unref(object); }
};
template <typename T>
using TObjectPtr = std::unique_ptr<T, CObjectUnref>;

// Runs in the started program's process just before its executable: it
// outlives this run and whatever terminal started it.
void DetachChild(gpointer) {
    setsid();
}

std::string FindApplication(const std::string& type) {
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

}  // namespace

extern "C" void QuintarFindApplication(const std::string& type, std::string& entry) {
    entry = FindApplication(type);
}

extern "C" void QuintarLaunchApplication(const std::string& entry,
                                         const std::vector<std::string>& files) {
    const TObjectPtr<GDesktopAppInfo> application(
        g_desktop_app_info_new_from_filename(entry.c_str()));
    if (!application) {
        return;
    }
    // Files travel as URIs; an entry that takes paths (%f, %F) gets the paths back.
    GList* uris = nullptr;
    for (auto file = files.rbegin(); file != files.rend(); ++file) {
        const TObjectPtr<GFile> location(g_file_new_for_path(file->c_str()));
        uris = g_list_prepend(uris, g_file_get_uri(location.get()));
    }
    g_desktop_app_info_launch_uris_as_manager(application.get(), uris, nullptr, kSpawnFlags,
                                              DetachChild, nullptr, nullptr, nullptr, nullptr);
    g_list_free_full(uris, g_free);
}
