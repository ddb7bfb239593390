#pragma once

#include <windows.h>

#include <deque>
#include <string>
#include <vector>

// Plays the user of the real dialogs and message boxes this thread shows:
// each top-level dialog is recorded as it first shows and then answered from
// a script; one without a scripted answer is dismissed and fails the test.
// Nothing ever waits for a person.
class CDialogRobot {
public:
    struct CSeen {
        bool isPicker = false;
        std::string title;
        std::string text;       // a message box's text
        std::wstring wideText;  // the same, with what the ANSI code page cannot hold
        std::string filter;     // the picker's file type
        std::string okCaption;
        std::string cancelCaption;
        HICON bigIcon = nullptr;
        HWND owner = nullptr;
        std::vector<int> buttons;  // which of IDOK .. IDNO the dialog has
        int defaultButton = 0;     // the one Return presses; 0 for none
    };

    CDialogRobot();
    ~CDialogRobot();
    CDialogRobot(const CDialogRobot&) = delete;
    CDialogRobot& operator=(const CDialogRobot&) = delete;

    // Presses `button` on the next dialog.
    void Press(int button);
    // Types each of `entries` into the picker's file name box and presses OK
    // after each one; a folder makes the picker go there, names pick files.
    void Type(const std::vector<std::string>& entries);
    // The same with names the ANSI code page need not hold.
    void Type(const std::vector<std::wstring>& entries);

    const std::vector<CSeen>& GetSeen() const { return m_seen; }

private:
    struct CAnswer {
        std::vector<std::wstring> entries;
        int button = IDOK;
    };

    static LRESULT CALLBACK OnMessageDone(int code, WPARAM wParam, LPARAM lParam);
    void Answer(HWND dialog);

    HHOOK m_hook = nullptr;
    std::deque<CAnswer> m_answers;
    std::vector<CSeen> m_seen;
};
