#pragma once

#include <gtk/gtk.h>

#include <chrono>
#include <deque>
#include <functional>
#include <string>
#include <vector>

// Plays the user of the dialogs a desktop shows, from inside their modal
// loops: each action waits for the next dialog on screen and works it as a
// person would, until it reports that it has answered. Past the deadline
// every dialog is closed and the test fails, so nothing ever waits forever.
class CGtkDialogScript {
public:
    // Returns true once it has answered `dialog`; called again until then.
    using CAction = std::function<bool(GtkWidget* dialog)>;

    CGtkDialogScript();
    ~CGtkDialogScript();
    CGtkDialogScript(const CGtkDialogScript&) = delete;
    CGtkDialogScript& operator=(const CGtkDialogScript&) = delete;

    void Add(CAction action) { m_actions.push_back(std::move(action)); }
    bool IsDone() const { return m_actions.empty(); }

private:
    static gboolean Tick(gpointer self);
    void Play();
    // Remembers `dialog` as answered until it is gone.
    void SetAnswered(GtkWidget* dialog);

    std::deque<CAction> m_actions;
    std::chrono::steady_clock::time_point m_deadline;
    guint m_source = 0;
    bool m_timedOut = false;
    // The dialog last answered, null once it is gone, and when: an answer
    // given by a key is read in the dialog's own time, and it stays up till then.
    GtkWidget* m_answered = nullptr;
    std::chrono::steady_clock::time_point m_answeredAt;
};

// The dialog's label as it shows, mnemonic underscores taken out.
std::string VisibleLabel(const char* label);

// The button on screen in `dialog` that reads `label`; null when there is none.
GtkWidget* FindButton(GtkWidget* dialog, const std::string& label);

// The visible labels of the buttons that answer `dialog`, in the dialog's order.
std::vector<std::string> AnswerLabels(GtkWidget* dialog);

// Presses the button that reads `label`; false when there is none.
bool Press(GtkWidget* dialog, const std::string& label);
