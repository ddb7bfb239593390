// The desktop module: GTK 3 dialogs on a graphical display. The end of a
// pick, filter matching and the hand-off are the program's, reached through
// what it lends the module.
#include <gtk/gtk.h>

#include <algorithm>
#include <cstring>
#include <memory>

#include "platform/posix/TerminalDesktop.h"
#include "quintar_icons.h"

namespace {

constexpr char kIconPaths[][40] = {"/org/quintar/convertor/quintar-32.png",
                                   "/org/quintar/convertor/quintar-16.png"};
constexpr char kOpenLabel[] = "_Open";
constexpr char kCancelLabel[] = "_Cancel";
// Enough for any dialog's closing work; a source that never settles cannot hold the run.
constexpr int kMaxPendingEvents = 10000;
// GTK's own cap for a message's lines; a name wraps within it too.
constexpr gint kMessageWidthChars = 60;
// A message taller than 1/2 of the screen scrolls: the rest is left to the
// buttons, the title bar and panels.
constexpr gint kMessageScreenShare = 2;

// The program's one icon goes on every window, the picker's frame as the
// message boxes', so that the window list and task switcher show it too.
void SetDefaultIcons() {
    quintar_icons_register_resource();
    GList* icons = nullptr;
    for (const char* path : kIconPaths) {
        if (GdkPixbuf* icon = gdk_pixbuf_new_from_resource(path, nullptr)) {
            icons = g_list_append(icons, icon);
        }
    }
    gtk_window_set_default_icon_list(icons);
    g_list_free_full(icons, g_object_unref);
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
std::string MakeButtonLabel(const std::string& caption, const char* fallback) {
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

// Which files a filter shows: the desktops' own rule decides, on the file's
// own name, since GTK's patterns would know no case and hide names that are
// not UTF-8. The filter owns it.
struct CShownFiles {
    const CProgramServices& program;
    std::string patterns;
};

gboolean IsShown(const GtkFileFilterInfo* info, gpointer data) {
    if (info->filename == nullptr) {
        return FALSE;
    }
    const auto& shown = *static_cast<const CShownFiles*>(data);
    const char* slash = std::strrchr(info->filename, '/');
    const char* name = slash != nullptr ? slash + 1 : info->filename;
    return shown.program.matchesFilter(name, shown.patterns) ? TRUE : FALSE;
}

void DeleteShownFiles(gpointer data) {
    std::unique_ptr<CShownFiles>(static_cast<CShownFiles*>(data));
}

void AddFilter(GtkFileChooser* chooser, const CProgramServices& program,
               const std::string& description, const std::string& patterns) {
    GtkFileFilter* filter = gtk_file_filter_new();
    gtk_file_filter_set_name(filter, description.c_str());
    gtk_file_filter_add_custom(
        filter, GTK_FILE_FILTER_FILENAME, IsShown,
        std::make_unique<CShownFiles>(CShownFiles{program, patterns}).release(), DeleteShownFiles);
    gtk_file_chooser_add_filter(chooser, filter);
}

std::vector<std::string> GetSelectedPaths(GtkFileChooser* chooser) {
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

CMessageLook GetMessageLook(unsigned style) {
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

// The least height a monitor leaves to windows: a box that fits it fits
// wherever the window manager puts it.
gint GetLeastScreenHeight() {
    GdkDisplay* display = gdk_display_get_default();
    gint least = G_MAXINT;
    for (int i = 0; i < gdk_display_get_n_monitors(display); ++i) {
        GdkRectangle area{};
        gdk_monitor_get_workarea(gdk_display_get_monitor(display, i), &area);
        least = std::min(least, area.height);
    }
    return least;
}

// A name comes whole, often hundreds of letters without a blank: it wraps
// inside words too, and the longest paths scroll, or the box outgrows the
// screen and its buttons with it.
void FitMessageToScreen(GtkMessageDialog* dialog) {
    GtkWidget* area = gtk_message_dialog_get_message_area(dialog);
    // The message is the area's first label; the second, for more text, stays empty.
    GList* children = gtk_container_get_children(GTK_CONTAINER(area));
    GtkWidget* label =
        children != nullptr && GTK_IS_LABEL(children->data) ? GTK_WIDGET(children->data) : nullptr;
    g_list_free(children);
    if (label == nullptr) {
        return;
    }
    gtk_label_set_line_wrap_mode(GTK_LABEL(label), PANGO_WRAP_WORD_CHAR);
    gtk_label_set_max_width_chars(GTK_LABEL(label), kMessageWidthChars);
    // A hyphen at the break would read as part of the name.
    PangoAttrList* attributes = pango_attr_list_new();
    pango_attr_list_insert(attributes, pango_attr_insert_hyphens_new(FALSE));
    gtk_label_set_attributes(GTK_LABEL(label), attributes);
    pango_attr_list_unref(attributes);

    GtkScrolledWindow* scrolled = GTK_SCROLLED_WINDOW(gtk_scrolled_window_new(nullptr, nullptr));
    gtk_scrolled_window_set_policy(scrolled, GTK_POLICY_NEVER, GTK_POLICY_AUTOMATIC);
    gtk_scrolled_window_set_propagate_natural_width(scrolled, TRUE);
    gtk_scrolled_window_set_propagate_natural_height(scrolled, TRUE);
    const gint screenHeight = GetLeastScreenHeight();
    if (screenHeight != G_MAXINT) {
        gtk_scrolled_window_set_max_content_height(scrolled, screenHeight / kMessageScreenShare);
    }
    g_object_ref(label);
    gtk_container_remove(GTK_CONTAINER(area), label);
    gtk_container_add(GTK_CONTAINER(scrolled), label);
    g_object_unref(label);
    gtk_box_pack_start(GTK_BOX(area), GTK_WIDGET(scrolled), TRUE, TRUE, 0);
    gtk_box_reorder_child(GTK_BOX(area), GTK_WIDGET(scrolled), 0);
    gtk_widget_show(GTK_WIDGET(scrolled));
}

constexpr auto kCommandModifiers = static_cast<GdkModifierType>(
    GDK_CONTROL_MASK | GDK_MOD1_MASK | GDK_SUPER_MASK | GDK_HYPER_MASK | GDK_META_MASK);

// As in the Windows message box, a button's underlined letter answers at
// once, with no Alt, in either case: Y and N, or their translations.
gboolean AnswerByLetter(GtkWidget* widget, GdkEventKey* event, gpointer) {
    if ((event->state & kCommandModifiers) != 0) {
        return FALSE;
    }
    const guint letter = gdk_keyval_to_lower(event->keyval);
    GtkDialog* dialog = GTK_DIALOG(widget);
    for (const gint response : {GTK_RESPONSE_YES, GTK_RESPONSE_NO}) {
        GtkWidget* button = gtk_dialog_get_widget_for_response(dialog, response);
        GtkWidget* label = GTK_IS_BIN(button) ? gtk_bin_get_child(GTK_BIN(button)) : nullptr;
        if (GTK_IS_LABEL(label) && gtk_label_get_mnemonic_keyval(GTK_LABEL(label)) == letter) {
            gtk_dialog_response(dialog, response);
            return TRUE;
        }
    }
    return FALSE;
}

// Shows `text`, its name already escaped, and returns the answer.
int RunMessage(GtkWindow* parent, const std::string& text, const std::string& caption,
               unsigned style) {
    const bool yesNo = (style & kMbButtonMask) == kMbYesNo;
    const CMessageLook look = GetMessageLook(style);
    const CDialog dialog(gtk_message_dialog_new(parent, GTK_DIALOG_MODAL, look.type,
                                                yesNo ? GTK_BUTTONS_YES_NO : GTK_BUTTONS_OK, "%s",
                                                text.c_str()));
    GtkWindow* window = GTK_WINDOW(dialog.Get());
    gtk_window_set_title(window, caption.c_str());
    gtk_window_set_position(window,
                            parent != nullptr ? GTK_WIN_POS_CENTER_ON_PARENT : GTK_WIN_POS_CENTER);
    if (parent == nullptr) {
        // Without the picker the box is the program's only window: the task
        // bar and Alt+Tab must offer it.
        gtk_window_set_skip_taskbar_hint(window, FALSE);
    }
    FitMessageToScreen(GTK_MESSAGE_DIALOG(dialog.Get()));
    if (yesNo) {
        g_signal_connect(dialog.Get(), "key-press-event", G_CALLBACK(AnswerByLetter), nullptr);
    }
    if (look.iconName != nullptr) {
        // GTK 3 dialogs no longer show the message type; the icon has to be asked for.
        GtkWidget* image = gtk_image_new_from_icon_name(look.iconName, GTK_ICON_SIZE_DIALOG);
        G_GNUC_BEGIN_IGNORE_DEPRECATIONS
        gtk_message_dialog_set_image(GTK_MESSAGE_DIALOG(dialog.Get()), image);
        G_GNUC_END_IGNORE_DEPRECATIONS
        gtk_widget_show(image);
    }
    // The first button answers Return, as on Windows: Yes, or OK.
    const gint first = yesNo ? GTK_RESPONSE_YES : GTK_RESPONSE_OK;
    gtk_dialog_set_default_response(GTK_DIALOG(dialog.Get()), first);
    if (GtkWidget* button = gtk_dialog_get_widget_for_response(GTK_DIALOG(dialog.Get()), first)) {
        gtk_widget_grab_focus(button);
    }
    const gint response = dialog.Run();
    if (!yesNo) {
        return kIdOk;
    }
    // The close box and Escape answer No.
    return response == GTK_RESPONSE_YES ? kIdYes : kIdNo;
}

class CGtkDesktop : public CDesktop {
public:
    explicit CGtkDesktop(const CProgramServices& program) : m_program(program) {}

    EPickOutcome ShowOpenFileDialog(const COpenFileDialogRequest& request,
                                    std::vector<char>& selection) override;
    int ShowMessageBox(const CMessageText& text, const std::string& caption,
                       unsigned style) override {
        return RunMessage(nullptr, m_program.showText(text), caption, style);
    }
    std::string FindAssociatedProgram(const std::string& file) override {
        return m_program.findInstaller(file);
    }
    void StartProgram(const std::string& program, const std::vector<std::string>& files) override {
        m_program.startInstaller(program, files);
    }

private:
    const CProgramServices& m_program;
};

EPickOutcome CGtkDesktop::ShowOpenFileDialog(const COpenFileDialogRequest& request,
                                             std::vector<char>& selection) {
    const CDialog dialog(gtk_file_chooser_dialog_new(
        request.title.c_str(), nullptr, GTK_FILE_CHOOSER_ACTION_OPEN,
        MakeButtonLabel(request.cancelCaption, kCancelLabel).c_str(), GTK_RESPONSE_CANCEL,
        MakeButtonLabel(request.okCaption, kOpenLabel).c_str(), GTK_RESPONSE_ACCEPT, nullptr));
    GtkWindow* window = GTK_WINDOW(dialog.Get());
    GtkFileChooser* chooser = GTK_FILE_CHOOSER(dialog.Get());
    gtk_dialog_set_default_response(GTK_DIALOG(dialog.Get()), GTK_RESPONSE_ACCEPT);
    gtk_window_set_position(window, GTK_WIN_POS_CENTER);
    gtk_window_set_resizable(window, (request.flags & kOfnEnableSizing) != 0);
    gtk_file_chooser_set_select_multiple(chooser, (request.flags & kOfnAllowMultiSelect) != 0);
    gtk_file_chooser_set_local_only(chooser, TRUE);
    for (const auto& filter : request.filters) {
        AddFilter(chooser, m_program, filter.first, filter.second);
    }
    // Left alone, the chooser would open on recently used files.
    gchar* workingFolder = g_get_current_dir();
    gtk_file_chooser_set_current_folder(chooser, workingFolder);
    g_free(workingFolder);

    for (;;) {
        if (dialog.Run() != GTK_RESPONSE_ACCEPT) {
            return EPickOutcome::kCancelled;
        }
        CMessageText problem("");
        if (const std::optional<EPickOutcome> outcome =
                m_program.finishPick(GetSelectedPaths(chooser), selection, problem)) {
            return *outcome;
        }
        if (!problem.IsEmpty()) {
            RunMessage(window, m_program.showText(problem), request.title, kMbOk | kMbIconStop);
        }
    }
}

}  // namespace

extern "C" CDesktop* QuintarOpenDesktop(const CProgramServices& program) {
    if (!gtk_init_check(nullptr, nullptr)) {
        return nullptr;
    }
    SetDefaultIcons();
    return std::make_unique<CGtkDesktop>(program).release();
}
