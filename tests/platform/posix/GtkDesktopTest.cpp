#include <fcntl.h>
#include <gtest/gtest.h>
#include <gtk/gtk.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <functional>

#include "app/ConvertorApp.h"
#include "platform/posix/TerminalDesktop.h"
#include "tests/support/DatabaseCheck.h"
#include "tests/support/TestFiles.h"
#include "tests/support/UserTexts.h"
#include "tests/support/posix/GtkDialogScript.h"
#include "tests/support/posix/XWindowProbe.h"

namespace fs = std::filesystem;

namespace {

using namespace UserTexts;

using Texts = std::vector<std::string>;
using IconSizes = std::vector<std::pair<unsigned long, unsigned long>>;

Texts Sorted(Texts texts) {
    std::sort(texts.begin(), texts.end());
    return texts;
}

std::string TakeString(gchar* text) {
    std::string taken = text != nullptr ? text : "";
    g_free(text);
    return taken;
}

std::size_t SelectedCount(GtkFileChooser* chooser) {
    GSList* names = gtk_file_chooser_get_filenames(chooser);
    const std::size_t count = g_slist_length(names);
    g_slist_free_full(names, g_free);
    return count;
}

Texts FilterNames(GtkFileChooser* chooser) {
    Texts names;
    GSList* filters = gtk_file_chooser_list_filters(chooser);
    for (GSList* filter = filters; filter != nullptr; filter = filter->next) {
        names.emplace_back(gtk_file_filter_get_name(GTK_FILE_FILTER(filter->data)));
    }
    g_slist_free(filters);
    return names;
}

GdkRectangle GetScreen(GtkWidget* widget) {
    GdkWindow* window = gtk_widget_get_window(gtk_widget_get_toplevel(widget));
    GdkRectangle screen{};
    gdk_monitor_get_geometry(
        gdk_display_get_monitor_at_window(gdk_window_get_display(window), window), &screen);
    return screen;
}

// Whether `widget` lies whole on the monitor its window shows on.
bool IsOnScreen(GtkWidget* widget) {
    GtkWidget* toplevel = gtk_widget_get_toplevel(widget);
    gint left = 0;
    gint top = 0;
    gdk_window_get_origin(gtk_widget_get_window(toplevel), &left, &top);
    gint x = 0;
    gint y = 0;
    gtk_widget_translate_coordinates(widget, toplevel, 0, 0, &x, &y);
    left += x;
    top += y;
    const GdkRectangle screen = GetScreen(widget);
    return left >= screen.x && top >= screen.y &&
           left + gtk_widget_get_allocated_width(widget) <= screen.x + screen.width &&
           top + gtk_widget_get_allocated_height(widget) <= screen.y + screen.height;
}

// The label that shows the message, wherever the box keeps it.
GtkLabel* FindShownLabel(GtkWidget* widget) {
    if (GTK_IS_LABEL(widget) && gtk_widget_get_mapped(widget)) {
        return GTK_LABEL(widget);
    }
    GtkLabel* found = nullptr;
    if (GTK_IS_CONTAINER(widget)) {
        GList* children = gtk_container_get_children(GTK_CONTAINER(widget));
        for (GList* child = children; child != nullptr && found == nullptr; child = child->next) {
            found = FindShownLabel(GTK_WIDGET(child->data));
        }
        g_list_free(children);
    }
    return found;
}

// Whether the label draws glyphs its text does not hold, as a hyphen added
// at a break would be (for text of one glyph per character).
bool DrawsMoreThanItHolds(GtkLabel* label) {
    PangoLayout* layout = gtk_label_get_layout(label);
    const char* text = pango_layout_get_text(layout);
    PangoLayoutIter* run = pango_layout_get_iter(layout);
    bool more = false;
    do {
        if (const PangoLayoutRun* shown = pango_layout_iter_get_run_readonly(run)) {
            more = more || shown->glyphs->num_glyphs >
                               g_utf8_strlen(text + shown->item->offset, shown->item->length);
        }
    } while (pango_layout_iter_next_run(run));
    pango_layout_iter_free(run);
    return more;
}

// What a message box shows.
struct CShownMessage {
    std::string title;
    std::string text;
    Texts answers;
    std::string icon;
    bool modal = false;
    int width = 0;
    // The screen's height that the box leaves to the rest of the desktop.
    int heightLeft = 0;
    bool drawsMore = false;
    // The box and every answer within reach of the mouse.
    bool onScreen = false;
    // What the window asks of the desktop (_NET_WM_STATE), and how many
    // windows of its title the display shows.
    Texts states;
    int windows = 0;
};

CShownMessage ReadMessage(GtkWidget* dialog) {
    CShownMessage shown;
    shown.title = gtk_window_get_title(GTK_WINDOW(dialog));
    GtkLabel* label =
        FindShownLabel(gtk_message_dialog_get_message_area(GTK_MESSAGE_DIALOG(dialog)));
    if (label != nullptr) {
        shown.text = gtk_label_get_text(label);
        shown.drawsMore = DrawsMoreThanItHolds(label);
    }
    shown.answers = Sorted(AnswerLabels(dialog));
    G_GNUC_BEGIN_IGNORE_DEPRECATIONS
    GtkWidget* image = gtk_message_dialog_get_image(GTK_MESSAGE_DIALOG(dialog));
    G_GNUC_END_IGNORE_DEPRECATIONS
    const gchar* icon = nullptr;
    if (GTK_IS_IMAGE(image) && gtk_widget_get_mapped(image)) {
        gtk_image_get_icon_name(GTK_IMAGE(image), &icon, nullptr);
    }
    shown.icon = icon != nullptr ? icon : "";
    shown.modal = gtk_window_get_modal(GTK_WINDOW(dialog)) != FALSE;
    shown.width = gtk_widget_get_allocated_width(dialog);
    shown.heightLeft = GetScreen(dialog).height - gtk_widget_get_allocated_height(dialog);
    shown.onScreen =
        IsOnScreen(dialog) &&
        std::all_of(shown.answers.begin(), shown.answers.end(), [&](const std::string& answer) {
            GtkWidget* button = FindButton(dialog, answer);
            return button != nullptr && IsOnScreen(button);
        });
    return shown;
}

// The key joins the display's events for the dialog's window, as a typed one does.
void PressKey(GtkWidget* dialog, guint key) {
    GdkWindow* window = gtk_widget_get_window(dialog);
    GdkDisplay* display = gdk_window_get_display(window);
    GdkKeymapKey* keys = nullptr;
    gint count = 0;
    ASSERT_TRUE(
        gdk_keymap_get_entries_for_keyval(gdk_keymap_get_for_display(display), key, &keys, &count));
    for (const GdkEventType type : {GDK_KEY_PRESS, GDK_KEY_RELEASE}) {
        GdkEvent* event = gdk_event_new(type);
        event->key.window = GDK_WINDOW(g_object_ref(window));
        event->key.send_event = TRUE;
        event->key.time = GDK_CURRENT_TIME;
        event->key.keyval = key;
        event->key.hardware_keycode = static_cast<guint16>(keys[0].keycode);
        event->key.group = static_cast<guint8>(keys[0].group);
        gdk_event_set_device(event, gdk_seat_get_keyboard(gdk_display_get_default_seat(display)));
        gdk_event_put(event);
        gdk_event_free(event);
    }
    g_free(keys);
}

void PressEscape(GtkWidget* dialog) {
    PressKey(dialog, GDK_KEY_Escape);
}

void PressReturn(GtkWidget* dialog) {
    PressKey(dialog, GDK_KEY_Return);
}

// What standard error receives while it is taken, GLib's and Pango's warnings among it.
class CStandardErrorCapture {
public:
    explicit CStandardErrorCapture(std::string file)
        : m_file(std::move(file)), m_saved(dup(STDERR_FILENO)) {
        const int taken = open(m_file.c_str(), O_WRONLY | O_CREAT | O_TRUNC, S_IRUSR | S_IWUSR);
        dup2(taken, STDERR_FILENO);
        close(taken);
    }
    ~CStandardErrorCapture() { GiveBack(); }
    CStandardErrorCapture(const CStandardErrorCapture&) = delete;
    CStandardErrorCapture& operator=(const CStandardErrorCapture&) = delete;

    // Gives standard error back and returns what it received meanwhile.
    std::string GiveBack() {
        if (m_saved >= 0) {
            std::fflush(stderr);
            dup2(m_saved, STDERR_FILENO);
            close(m_saved);
            m_saved = -1;
        }
        return ReadBytes(m_file);
    }

private:
    std::string m_file;
    int m_saved;
};

const std::string kTwoLines = "First line\nsecond line: 100%s done";
const std::string kOverwriteStart = "The following file already exists:\n";
const std::string kOverwriteEnd = "\nDo you wish to overwrite it?";
// A line of reading width needs less in any font; a name of 200 letters
// that does not wrap takes twice as much.
constexpr int kWidestBox = 800;
// A title bar and a panel or two.
constexpr int kWindowManagerRoom = 100;

class GtkDesktopTest : public ::testing::Test {
protected:
    void SetUp() override {
        const char* display = std::getenv("DISPLAY");
        if (display == nullptr || *display == '\0') {
            GTEST_SKIP() << "no X display to show dialogs on";
        }
        // The checks look at the X display, and the user's settings stay untouched.
        setenv("GDK_BACKEND", "x11", 1);
        setenv("GSETTINGS_BACKEND", "memory", 1);
        m_desktop.reset(QuintarOpenDesktop(GetProgramServices()));
        ASSERT_TRUE(m_desktop) << "the display " << display << " does not open";
        ASSERT_TRUE(m_probe.IsConnected());
    }

    // Shows `text` with `style`, answers it with `answer`, and returns the
    // answer the desktop reports.
    int Ask(const CMessageText& text, unsigned style, const std::function<void(GtkWidget*)>& answer,
            CShownMessage& shown) {
        CGtkDialogScript script;
        script.Add([&](GtkWidget* dialog) {
            shown = ReadMessage(dialog);
            gdk_display_sync(gtk_widget_get_display(dialog));
            shown.states = m_probe.States("Caption");
            shown.windows = m_probe.CountShown("Caption");
            answer(dialog);
            return true;
        });
        return m_desktop->ShowMessageBox(text, "Caption", style);
    }

    CTempFolder m_folder;
    CXWindowProbe m_probe;
    std::unique_ptr<CDesktop> m_desktop;
    COpenFileDialogRequest m_request{kTitle,
                                     {{kFilter, "*.puz"}},
                                     kOfnAllowMultiSelect | kOfnExplorer | kOfnEnableSizing,
                                     128,
                                     kConvert,
                                     kExit};
    std::vector<char> m_selection = std::vector<char>(3072);
};

TEST_F(GtkDesktopTest, RunPicksConvertsAndAsksInGtkDialogs) {
    fs::create_directory("sub");
    const std::string sub = m_folder.GetName() + "/sub";
    const std::string a = MakeBytes(5000, 1);
    const std::string sunday = MakeBytes(10, 2);
    WriteBytes("sub/a.puz", a);
    WriteBytes("sub/Sunday Puzzle.puz", sunday);
    WriteBytes("sub/MONDAY.PUZ", "m");
    // Latin-1 bytes, no UTF-8: GTK can only call it "Caf\xEF\xBF\xBD.puz (invalid encoding)".
    WriteBytes("sub/Caf\xE9.puz", "c");
    WriteBytes("sub/notes.txt", "not a puzzle");

    std::string title;
    std::string openedIn;
    Texts answers;
    Texts filters;
    bool multiple = false;
    IconSizes icons;
    CShownMessage question;
    enum class EStep { kLook, kOpenFolder, kSelect } step = EStep::kLook;
    CGtkDialogScript script;
    script.Add([&](GtkWidget* dialog) {
        GtkFileChooser* chooser = GTK_FILE_CHOOSER(dialog);
        // The chooser settles on a folder a moment after it shows.
        const std::string folder = TakeString(gtk_file_chooser_get_current_folder(chooser));
        switch (step) {
            case EStep::kLook:
                if (folder.empty()) {
                    return false;
                }
                openedIn = folder;
                title = gtk_window_get_title(GTK_WINDOW(dialog));
                answers = Sorted(AnswerLabels(dialog));
                filters = FilterNames(chooser);
                multiple = gtk_file_chooser_get_select_multiple(chooser) != FALSE;
                gdk_display_sync(gtk_widget_get_display(dialog));
                icons = m_probe.IconSizes(kTitle);
                gtk_file_chooser_set_current_folder(chooser, sub.c_str());
                step = EStep::kOpenFolder;
                return false;
            case EStep::kOpenFolder:
                if (folder == sub) {
                    step = EStep::kSelect;
                }
                return false;
            case EStep::kSelect:
                // Control-A: everything the filter shows.
                if (SelectedCount(chooser) < 4) {
                    gtk_file_chooser_select_all(chooser);
                    return false;
                }
                return Press(dialog, kConvert);
        }
        return false;
    });
    script.Add([&](GtkWidget* dialog) {
        question = ReadMessage(dialog);
        return Press(dialog, "No");
    });
    CConvertorApp app(*m_desktop);
    EXPECT_TRUE(app.RunConverter());

    EXPECT_EQ(title, kTitle);
    EXPECT_EQ(openedIn, m_folder.GetName());
    EXPECT_EQ(answers, (Texts{kConvert, kExit}));
    EXPECT_EQ(filters, Texts{kFilter});
    EXPECT_TRUE(multiple);
    EXPECT_NE(std::find(icons.begin(), icons.end(), std::make_pair(32ul, 32ul)), icons.end());
    EXPECT_NE(std::find(icons.begin(), icons.end(), std::make_pair(16ul, 16ul)), icons.end());

    EXPECT_EQ(fs::current_path(), fs::path(sub));
    EXPECT_TRUE(IsStreamDatabaseOf(ReadBytes(sub + "/a.pdb"), a));
    EXPECT_TRUE(IsStreamDatabaseOf(ReadBytes(sub + "/Sunday Puzzle.pdb"), sunday));
    // The filter showed puzzles whatever the case of their names, and nothing else.
    EXPECT_TRUE(IsStreamDatabaseOf(ReadBytes(sub + "/MONDAY.pdb"), "m"));
    EXPECT_TRUE(IsStreamDatabaseOf(ReadBytes(sub + "/Caf\xE9.pdb"), "c"));
    EXPECT_FALSE(fs::exists(sub + "/notes.pdb"));
    EXPECT_EQ(question.title, kTitle);
    EXPECT_EQ(question.text, kInstallQuestion);
    EXPECT_EQ(question.answers, (Texts{"No", "Yes"}));
    EXPECT_EQ(question.icon, "dialog-information");
    EXPECT_TRUE(question.modal);
    EXPECT_EQ(m_probe.CountShown(kTitle), 0) << "a dialog stayed on screen";
}

TEST_F(GtkDesktopTest, EscapeAndTheCloseBoxAreExit) {
    fs::create_directory("sub");
    WriteBytes("sub/a.puz", "a");
    const std::vector<std::function<void(GtkWidget*)>> leaves{
        PressEscape, [](GtkWidget* dialog) { gtk_window_close(GTK_WINDOW(dialog)); }};
    for (const auto& leave : leaves) {
        CGtkDialogScript script;
        script.Add([&](GtkWidget* dialog) {
            gtk_file_chooser_select_filename(GTK_FILE_CHOOSER(dialog),
                                             (m_folder.GetName() + "/sub/a.puz").c_str());
            leave(dialog);
            return true;
        });
        EXPECT_EQ(m_desktop->ShowOpenFileDialog(m_request, m_selection), EPickOutcome::kCancelled);
        EXPECT_EQ(fs::current_path(), m_folder.GetPath());
        EXPECT_EQ(m_probe.CountShown(kTitle), 0);
    }
}

TEST_F(GtkDesktopTest, SelectionBeyondTheBufferIsTooManyFiles) {
    fs::create_directory("sub");
    constexpr int kFiles = 40;
    for (int i = 0; i < kFiles; ++i) {
        WriteBytes("sub/" + std::string(80, 'p') + std::to_string(i) + ".puz", "x");
    }
    bool opened = false;
    CGtkDialogScript script;
    script.Add([&](GtkWidget* dialog) {
        GtkFileChooser* chooser = GTK_FILE_CHOOSER(dialog);
        const std::string folder = TakeString(gtk_file_chooser_get_current_folder(chooser));
        if (!opened) {
            opened = !folder.empty() &&
                     gtk_file_chooser_set_current_folder(chooser, (folder + "/sub").c_str());
            return false;
        }
        if (SelectedCount(chooser) < kFiles) {
            gtk_file_chooser_select_all(chooser);
            return false;
        }
        return Press(dialog, kConvert);
    });
    EXPECT_EQ(m_desktop->ShowOpenFileDialog(m_request, m_selection), EPickOutcome::kBufferTooSmall);
    EXPECT_EQ(fs::current_path(), m_folder.GetPath());
}

TEST_F(GtkDesktopTest, YesNoBoxShowsTheTextAsGivenAndAnswersAsPressed) {
    struct CCase {
        std::function<void(GtkWidget*)> answer;
        int expected;
    };
    const std::vector<CCase> cases{
        {[](GtkWidget* dialog) { EXPECT_TRUE(Press(dialog, "Yes")); }, kIdYes},
        {[](GtkWidget* dialog) { EXPECT_TRUE(Press(dialog, "No")); }, kIdNo},
        {[](GtkWidget* dialog) { gtk_window_close(GTK_WINDOW(dialog)); }, kIdNo},
        {PressEscape, kIdNo},
        // Return answers with the first button, as on Windows; so do Y and N, without Alt.
        {PressReturn, kIdYes},
        {[](GtkWidget* dialog) { PressKey(dialog, GDK_KEY_y); }, kIdYes},
        {[](GtkWidget* dialog) { PressKey(dialog, GDK_KEY_Y); }, kIdYes},
        {[](GtkWidget* dialog) { PressKey(dialog, GDK_KEY_n); }, kIdNo},
        {[](GtkWidget* dialog) { PressKey(dialog, GDK_KEY_N); }, kIdNo},
    };
    for (const CCase& answered : cases) {
        CShownMessage shown;
        EXPECT_EQ(Ask(kTwoLines, kMbYesNo | kMbIconQuestion, answered.answer, shown),
                  answered.expected);
        EXPECT_EQ(shown.title, "Caption");
        EXPECT_EQ(shown.text, kTwoLines);
        EXPECT_EQ(shown.answers, (Texts{"No", "Yes"}));
        EXPECT_EQ(shown.icon, "dialog-question");
        EXPECT_TRUE(shown.modal);
        // The box is the program's only window: the task bar and Alt+Tab must find it.
        EXPECT_EQ(shown.windows, 1);
        for (const char* hidden : {"_NET_WM_STATE_SKIP_TASKBAR", "_NET_WM_STATE_SKIP_PAGER"}) {
            EXPECT_EQ(std::count(shown.states.begin(), shown.states.end(), hidden), 0) << hidden;
        }
        EXPECT_EQ(m_probe.CountShown("Caption"), 0) << "the box stayed on screen";
    }
}

TEST_F(GtkDesktopTest, OkBoxShowsTheStopIconAndAnyCloseIsOk) {
    for (const auto& answer : std::vector<std::function<void(GtkWidget*)>>{
             [](GtkWidget* dialog) { EXPECT_TRUE(Press(dialog, "OK")); }, PressReturn,
             [](GtkWidget* dialog) { gtk_window_close(GTK_WINDOW(dialog)); }}) {
        CShownMessage shown;
        EXPECT_EQ(Ask(kTwoLines, kMbOk | kMbIconStop, answer, shown), kIdOk);
        EXPECT_EQ(shown.answers, Texts{"OK"});
        EXPECT_EQ(shown.icon, "dialog-error");
        EXPECT_EQ(m_probe.CountShown("Caption"), 0);
    }
}

TEST_F(GtkDesktopTest, LongNamesWrapAndTheAnswersStayWithinReach) {
    const auto pressYes = [](GtkWidget* dialog) { EXPECT_TRUE(Press(dialog, "Yes")); };
    // A name of 200 letters, and a path near the longest the system takes.
    for (const std::string& path :
         {"/" + std::string(200, 'p') + ".pdb", "/" + std::string(4000, 'q') + ".pdb"}) {
        CShownMessage shown;
        EXPECT_EQ(Ask(CMessageText(kOverwriteStart, path, kOverwriteEnd),
                      kMbYesNo | kMbIconQuestion, pressYes, shown),
                  kIdYes);
        EXPECT_EQ(shown.text, kOverwriteStart + path + kOverwriteEnd);
        EXPECT_TRUE(shown.onScreen) << shown.width << " pixels wide";
        // A line of reading width, whatever the screen, and room for a title bar and panels.
        EXPECT_LT(shown.width, kWidestBox);
        EXPECT_GE(shown.heightLeft, kWindowManagerRoom);
        EXPECT_FALSE(shown.drawsMore) << "a hyphen at a break reads as part of the name";
    }
}

TEST_F(GtkDesktopTest, NamesShowAsSpelledOrEscapedAndPangoNeverComplains) {
    struct CCase {
        std::string name;
        std::string shown;
    };
    // Greek, CJK, an emoji, a combining and a precomposed umlaut.
    const std::string spelled =
        "\xCE\x9A\xCE\xB1\xCF\x86\xCE\xAD \xE5\x92\x96\xE5\x95\xA1 \xF0\x9F\x98\x80 "
        "Ca\xCC\x88"
        "f\xC3\xA4.pdb";
    const std::vector<CCase> cases{
        {spelled, spelled},
        {"Caf\xE9.pdb", "Caf\\xE9.pdb"},
        // A name cannot add lines that pass for the program's words, nor work the terminal.
        {"a.pdb\nDo you wish to overwrite it?", "a.pdb\\x0ADo you wish to overwrite it?"},
        {"\x1B]0;t\x07\t\x7F\xC2\x85", "\\x1B]0;t\\x07\\x09\\x7F\\xC2\\x85"},
        // A line separator, where Pango starts a new line.
        {"a\xE2\x80\xA8z", "a\\xE2\\x80\\xA8z"},
        // Overlong, a surrogate, past U+10FFFF, cut short.
        {"\xC0\xAF \xED\xA0\x80 \xF4\x90\x80\x80 \xE2\x82",
         "\\xC0\\xAF \\xED\\xA0\\x80 \\xF4\\x90\\x80\\x80 \\xE2\\x82"},
    };
    const auto pressNo = [](GtkWidget* dialog) { EXPECT_TRUE(Press(dialog, "No")); };
    CStandardErrorCapture error("stderr.txt");
    for (const CCase& named : cases) {
        CShownMessage shown;
        Ask(CMessageText(kOverwriteStart, "/tmp/" + named.name, kOverwriteEnd), kMbYesNo, pressNo,
            shown);
        EXPECT_EQ(shown.text, kOverwriteStart + "/tmp/" + named.shown + kOverwriteEnd);
    }
    EXPECT_EQ(error.GiveBack().find("Pango"), std::string::npos);
}

}  // namespace
