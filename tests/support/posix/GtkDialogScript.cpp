#include "tests/support/posix/GtkDialogScript.h"

#include <gtest/gtest.h>

namespace {

constexpr guint kTickMilliseconds = 40;
constexpr std::chrono::seconds kPatience{20};
// How long a dialog just answered may stay up: a key's answer is read in
// the dialog's own time. One that stays longer awaits the next action.
constexpr std::chrono::seconds kClosingGrace{1};

// The dialog on screen, if there is one.
GtkWidget* ShownDialog() {
    GtkWidget* shown = nullptr;
    GList* windows = gtk_window_list_toplevels();
    for (GList* window = windows; window != nullptr; window = window->next) {
        GtkWidget* widget = GTK_WIDGET(window->data);
        if (GTK_IS_DIALOG(widget) && gtk_widget_get_mapped(widget)) {
            shown = widget;
        }
    }
    g_list_free(windows);
    return shown;
}

void CollectButtons(GtkWidget* widget, std::vector<GtkWidget*>& buttons) {
    if (GTK_IS_BUTTON(widget) && gtk_widget_get_mapped(widget)) {
        buttons.push_back(widget);
    }
    if (GTK_IS_CONTAINER(widget)) {
        gtk_container_forall(
            GTK_CONTAINER(widget),
            [](GtkWidget* child, gpointer found) {
                CollectButtons(child, *static_cast<std::vector<GtkWidget*>*>(found));
            },
            &buttons);
    }
}

}  // namespace

CGtkDialogScript::CGtkDialogScript()
    : m_deadline(std::chrono::steady_clock::now() + kPatience),
      m_source(g_timeout_add(kTickMilliseconds, Tick, this)) {}

CGtkDialogScript::~CGtkDialogScript() {
    g_source_remove(m_source);
    SetAnswered(nullptr);
    EXPECT_TRUE(m_actions.empty()) << m_actions.size() << " dialogs never came";
}

gboolean CGtkDialogScript::Tick(gpointer self) {
    static_cast<CGtkDialogScript*>(self)->Play();
    return G_SOURCE_CONTINUE;
}

void CGtkDialogScript::SetAnswered(GtkWidget* dialog) {
    if (m_answered != nullptr) {
        g_object_remove_weak_pointer(G_OBJECT(m_answered),
                                     reinterpret_cast<gpointer*>(&m_answered));
    }
    m_answered = dialog;
    m_answeredAt = std::chrono::steady_clock::now();
    if (dialog != nullptr) {
        g_object_add_weak_pointer(G_OBJECT(dialog), reinterpret_cast<gpointer*>(&m_answered));
    }
}

void CGtkDialogScript::Play() {
    GtkWidget* dialog = ShownDialog();
    const bool late = std::chrono::steady_clock::now() > m_deadline;
    const bool closing =
        dialog == m_answered && std::chrono::steady_clock::now() < m_answeredAt + kClosingGrace;
    if (dialog == nullptr || (closing && !late)) {
        return;
    }
    if (!m_timedOut && late) {
        ADD_FAILURE() << "the dialog script ran out of time";
        m_timedOut = true;
        m_actions.clear();
    }
    if (m_actions.empty()) {
        if (!m_timedOut) {
            ADD_FAILURE() << "a dialog nobody expected: "
                          << gtk_window_get_title(GTK_WINDOW(dialog));
            m_timedOut = true;
        }
        gtk_window_close(GTK_WINDOW(dialog));
        return;
    }
    if (m_actions.front()(dialog)) {
        m_actions.pop_front();
        SetAnswered(dialog);
    }
}

std::string VisibleLabel(const char* label) {
    std::string shown;
    for (const char* at = label; at != nullptr && *at != '\0'; ++at) {
        if (*at == '_' && at[1] != '\0') {
            ++at;
        }
        shown += *at;
    }
    return shown;
}

GtkWidget* FindButton(GtkWidget* dialog, const std::string& label) {
    std::vector<GtkWidget*> buttons;
    CollectButtons(dialog, buttons);
    for (GtkWidget* button : buttons) {
        if (VisibleLabel(gtk_button_get_label(GTK_BUTTON(button))) == label) {
            return button;
        }
    }
    return nullptr;
}

std::vector<std::string> AnswerLabels(GtkWidget* dialog) {
    std::vector<GtkWidget*> buttons;
    CollectButtons(dialog, buttons);
    std::vector<std::string> labels;
    for (GtkWidget* button : buttons) {
        if (gtk_dialog_get_response_for_widget(GTK_DIALOG(dialog), button) != GTK_RESPONSE_NONE) {
            labels.push_back(VisibleLabel(gtk_button_get_label(GTK_BUTTON(button))));
        }
    }
    return labels;
}

bool Press(GtkWidget* dialog, const std::string& label) {
    GtkWidget* button = FindButton(dialog, label);
    if (button == nullptr) {
        return false;
    }
    gtk_button_clicked(GTK_BUTTON(button));
    return true;
}
