#include "platform/posix/GtkDesktop.h"

#include <gtk/gtk.h>
#include <unistd.h>

#include <cctype>

#include "platform/SelectionBuffer.h"
#include "platform/posix/FreedesktopLauncher.h"
#include "platform/posix/GObjectPtr.h"
#include "platform/posix/SelectionFolder.h"
#include "quintar_icons.h"

namespace {

constexpr char kIconPaths[][40] = {"/org/quintar/convertor/quintar-32.png",
                                   "/org/quintar/convertor/quintar-16.png"};
constexpr char kOpenLabel[] = "_Open";
constexpr char kCancelLabel[] = "_Cancel";
constexpr char kPatternSeparator = ';';
constexpr char kSeveralFoldersMessage[] = "All files must be in one folder.";
constexpr char kFolderClosedMessage[] = "The folder cannot be opened:\n";
// Enough for any dialog's closing work; a source that never settles cannot hold the run.
constexpr int kMaxPendingEvents = 10000;

std::vector<TObjectPtr<GdkPixbuf>> LoadIcons() {
    quintar_icons_register_resource();
    std::vector<TObjectPtr<GdkPixbuf>> icons;
    for (const char* path : kIconPaths) {
        if (GdkPixbuf* icon = gdk_pixbuf_new_from_resource(path, nullptr)) {
            icons.emplace_back(icon);
        }
    }
    return icons;
}

// The program's one icon goes on every window, the picker's frame as the
// message boxes', so that the window list and task switcher show it too.
void SetDefaultIcons() {
    const std::vector<TObjectPtr<GdkPixbuf>> icons = LoadIcons();
    GList* list = nullptr;
    for (auto icon = icons.rbegin(); icon != icons.rend(); ++icon) {
        list = g_list_prepend(list, icon->get());
    }
    gtk_window_set_default_icon_list(list);
    g_list_free(list);
}

// A window closes on screen only once the display has been told and has done it.
void SettleDisplay() {
    for (int i = 0; i < kMaxPendingEvents && gtk_events_pending(); ++i) {
        gtk_main_iteration_do(FALSE);
    }
    gdk_display_sync(gdk_display_get_default());
}

// Owns a dialog; it leaves the screen when the owner ends.
class CDialog {
public:
    explicit CDialog(GtkWidget* widget) : m_widget(widget) {}
    ~CDialog() {
        gtk_widget_destroy(m_widget);
        SettleDisplay();
    }
    CDialog(const CDialog&) = delete;
    CDialog& operator=(const CDialog&) = delete;

    GtkWidget* Get() const { return m_widget; }
    gint Run() const { return gtk_dialog_run(GTK_DIALOG(m_widget)); }

private:
    GtkWidget* m_widget;
};

// A caption as a button shows it: underscores are text, not mnemonics.
std::string ButtonLabel(const std::string& caption, const char* fallback) {
    if (caption.empty()) {
        return fallback;
    }
    std::string label;
    for (const char c : caption) {
        label += c;
        if (c == '_') {
            label += '_';
        }
    }
    return label;
}

// Patterns match without regard to case, as they do in the Windows dialog.
std::string CaseInsensitivePattern(const std::string& pattern) {
    if (pattern.find('[') != std::string::npos) {
        return pattern;
    }
    std::string glob;
    for (const char c : pattern) {
        const auto letter = static_cast<unsigned char>(c);
        if (std::isalpha(letter) != 0) {
            glob += {'[', static_cast<char>(std::tolower(letter)),
                     static_cast<char>(std::toupper(letter)), ']'};
        } else {
            glob += c;
        }
    }
    return glob;
}

void AddFilter(GtkFileChooser* chooser, const std::string& description,
               const std::string& patterns) {
    GtkFileFilter* filter = gtk_file_filter_new();
    gtk_file_filter_set_name(filter, description.c_str());
    std::size_t start = 0;
    while (start <= patterns.size()) {
        std::size_t end = patterns.find(kPatternSeparator, start);
        end = end == std::string::npos ? patterns.size() : end;
        if (end > start) {
            const std::string pattern = patterns.substr(start, end - start);
            gtk_file_filter_add_pattern(filter, CaseInsensitivePattern(pattern).c_str());
        }
        start = end + 1;
    }
    gtk_file_chooser_add_filter(chooser, filter);
}

std::vector<std::string> SelectedPaths(GtkFileChooser* chooser) {
    std::vector<std::string> paths;
    GSList* names = gtk_file_chooser_get_filenames(chooser);
    for (GSList* name = names; name != nullptr; name = name->next) {
        paths.emplace_back(static_cast<const char*>(name->data));
    }
    g_slist_free_full(names, g_free);
    return paths;
}

struct CMessageLook {
    GtkMessageType type;
    const char* iconName;
};

CMessageLook LookOf(unsigned style) {
    switch (style & kMbIconMask) {
        case kMbIconStop:
            return {GTK_MESSAGE_ERROR, "dialog-error"};
        case kMbIconQuestion:
            return {GTK_MESSAGE_QUESTION, "dialog-question"};
        case kMbIconInformation:
            return {GTK_MESSAGE_INFO, "dialog-information"};
        default:
            return {GTK_MESSAGE_OTHER, nullptr};
    }
}

int RunMessage(GtkWindow* parent, const std::string& text, const std::string& caption,
               unsigned style) {
    const bool yesNo = (style & kMbButtonMask) == kMbYesNo;
    const CMessageLook look = LookOf(style);
    const CDialog dialog(gtk_message_dialog_new(parent, GTK_DIALOG_MODAL, look.type,
                                                yesNo ? GTK_BUTTONS_YES_NO : GTK_BUTTONS_OK, "%s",
                                                text.c_str()));
    gtk_window_set_title(GTK_WINDOW(dialog.Get()), caption.c_str());
    gtk_window_set_position(GTK_WINDOW(dialog.Get()),
                            parent != nullptr ? GTK_WIN_POS_CENTER_ON_PARENT : GTK_WIN_POS_CENTER);
    if (look.iconName != nullptr) {
        // GTK 3 dialogs no longer show the message type; the icon has to be asked for.
        GtkWidget* image = gtk_image_new_from_icon_name(look.iconName, GTK_ICON_SIZE_DIALOG);
        G_GNUC_BEGIN_IGNORE_DEPRECATIONS
        gtk_message_dialog_set_image(GTK_MESSAGE_DIALOG(dialog.Get()), image);
        G_GNUC_END_IGNORE_DEPRECATIONS
        gtk_widget_show(image);
    }
    const gint response = dialog.Run();
    if (!yesNo) {
        return kIdOk;
    }
    // The close box and Escape answer No.
    return response == GTK_RESPONSE_YES ? kIdYes : kIdNo;
}

}  // namespace

std::unique_ptr<CGtkDesktop> CGtkDesktop::Open() {
    if (!gtk_init_check(nullptr, nullptr)) {
        return nullptr;
    }
    SetDefaultIcons();
    return std::make_unique<CGtkDesktop>(CDisplayOpened{});
}

EPickOutcome CGtkDesktop::ShowOpenFileDialog(const COpenFileDialogRequest& request,
                                             std::vector<char>& selection) {
    const CDialog dialog(gtk_file_chooser_dialog_new(
        request.title.c_str(), nullptr, GTK_FILE_CHOOSER_ACTION_OPEN,
        ButtonLabel(request.cancelCaption, kCancelLabel).c_str(), GTK_RESPONSE_CANCEL,
        ButtonLabel(request.okCaption, kOpenLabel).c_str(), GTK_RESPONSE_ACCEPT, nullptr));
    GtkWindow* window = GTK_WINDOW(dialog.Get());
    GtkFileChooser* chooser = GTK_FILE_CHOOSER(dialog.Get());
    gtk_dialog_set_default_response(GTK_DIALOG(dialog.Get()), GTK_RESPONSE_ACCEPT);
    gtk_window_set_position(window, GTK_WIN_POS_CENTER);
    gtk_window_set_resizable(window, (request.flags & kOfnEnableSizing) != 0);
    gtk_file_chooser_set_select_multiple(chooser, (request.flags & kOfnAllowMultiSelect) != 0);
    gtk_file_chooser_set_local_only(chooser, TRUE);
    for (const auto& filter : request.filters) {
        AddFilter(chooser, filter.first, filter.second);
    }
    // Left alone, the chooser would open on recently used files.
    const TGString workingFolder(g_get_current_dir());
    gtk_file_chooser_set_current_folder(chooser, workingFolder.get());

    for (;;) {
        if (dialog.Run() != GTK_RESPONSE_ACCEPT) {
            return EPickOutcome::kCancelled;
        }
        const std::vector<std::string> paths = SelectedPaths(chooser);
        if (paths.empty()) {
            continue;
        }
        std::string folder;
        std::vector<std::string> names;
        // Recent files and search results can mix folders; the run opens
        // bare names in one working folder.
        if (!SplitByFolder(paths, folder, names)) {
            RunMessage(window, kSeveralFoldersMessage, request.title, kMbOk | kMbIconStop);
            continue;
        }
        if (!PackSelection(folder, names, selection)) {
            return EPickOutcome::kBufferTooSmall;
        }
        if (chdir(folder.c_str()) != 0) {
            RunMessage(window, kFolderClosedMessage + folder, request.title, kMbOk | kMbIconStop);
            continue;
        }
        return EPickOutcome::kConfirmed;
    }
}

int CGtkDesktop::ShowMessageBox(const std::string& text, const std::string& caption,
                                unsigned style) {
    return RunMessage(nullptr, text, caption, style);
}

std::string CGtkDesktop::FindAssociatedProgram(const std::string& file) {
    return FindDefaultApplication(file);
}

void CGtkDesktop::StartProgram(const std::string& program, const std::vector<std::string>& files) {
    LaunchApplication(program, files);
}
