#include "tests/platform/win32/DialogRobot.h"

#include <commdlg.h>
#include <dlgs.h>
#include <gtest/gtest.h>

namespace {

// One robot at a time: the hook has no other way to find it.
CDialogRobot* g_robot = nullptr;

// The control of a message box that holds its text.
constexpr int kMessageTextId = 0xFFFF;

std::string TextOf(HWND window) {
    std::vector<char> text(static_cast<std::size_t>(GetWindowTextLengthA(window)) + 1, '\0');
    GetWindowTextA(window, text.data(), static_cast<int>(text.size()));
    return text.data();
}

std::wstring WideTextOf(HWND window) {
    std::vector<wchar_t> text(static_cast<std::size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
    GetWindowTextW(window, text.data(), static_cast<int>(text.size()));
    return text.data();
}

HWND FileNameBox(HWND picker) {
    const HWND edit = GetDlgItem(picker, edt1);
    return edit != nullptr ? edit : GetDlgItem(picker, cmb13);
}

void Click(HWND dialog, int button, bool wait) {
    const WPARAM command = MAKEWPARAM(button, BN_CLICKED);
    const auto control = reinterpret_cast<LPARAM>(GetDlgItem(dialog, button));
    if (wait) {
        SendMessageA(dialog, WM_COMMAND, command, control);
    } else {
        PostMessageA(dialog, WM_COMMAND, command, control);
    }
}

}  // namespace

CDialogRobot::CDialogRobot() {
    g_robot = this;
    m_hook = SetWindowsHookExA(WH_CALLWNDPROCRET, OnMessageDone, nullptr, GetCurrentThreadId());
}

CDialogRobot::~CDialogRobot() {
    UnhookWindowsHookEx(m_hook);
    g_robot = nullptr;
    EXPECT_TRUE(m_answers.empty()) << m_answers.size() << " scripted answers left";
}

void CDialogRobot::Press(int button) {
    m_answers.push_back({{}, button});
}

void CDialogRobot::Type(const std::vector<std::string>& entries) {
    std::vector<std::wstring> wide;
    for (const std::string& entry : entries) {
        std::wstring text(entry.size(), L'\0');
        text.resize(static_cast<std::size_t>(
            MultiByteToWideChar(CP_ACP, 0, entry.data(), static_cast<int>(entry.size()),
                                text.data(), static_cast<int>(text.size()))));
        wide.push_back(text);
    }
    Type(wide);
}

void CDialogRobot::Type(const std::vector<std::wstring>& entries) {
    m_answers.push_back({entries, IDOK});
}

LRESULT CALLBACK CDialogRobot::OnMessageDone(int code, WPARAM wParam, LPARAM lParam) {
    const auto* done = reinterpret_cast<const CWPRETSTRUCT*>(lParam);
    if (code == HC_ACTION && g_robot != nullptr && done->message == WM_INITDIALOG &&
        (GetWindowLongA(done->hwnd, GWL_STYLE) & WS_CHILD) == 0) {
        g_robot->Answer(done->hwnd);
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

void CDialogRobot::Answer(HWND dialog) {
    CSeen seen;
    seen.isPicker = GetDlgItem(dialog, cmb1) != nullptr;
    seen.title = TextOf(dialog);
    seen.text = TextOf(GetDlgItem(dialog, kMessageTextId));
    seen.wideText = WideTextOf(GetDlgItem(dialog, kMessageTextId));
    seen.filter = TextOf(GetDlgItem(dialog, cmb1));
    seen.okCaption = TextOf(GetDlgItem(dialog, IDOK));
    seen.cancelCaption = TextOf(GetDlgItem(dialog, IDCANCEL));
    seen.bigIcon = reinterpret_cast<HICON>(SendMessageA(dialog, WM_GETICON, ICON_BIG, 0));
    seen.owner = GetWindow(dialog, GW_OWNER);
    for (int button = IDOK; button <= IDNO; ++button) {
        const HWND control = GetDlgItem(dialog, button);
        if (control != nullptr &&
            (GetWindowLongA(control, GWL_STYLE) & BS_TYPEMASK) == BS_DEFPUSHBUTTON) {
            seen.defaultButton = button;
        }
    }
    for (int button = IDOK; button <= IDNO; ++button) {
        if (GetDlgItem(dialog, button) != nullptr) {
            seen.buttons.push_back(button);
        }
    }
    m_seen.push_back(seen);

    if (m_answers.empty()) {
        ADD_FAILURE() << "unscripted dialog: " << seen.title << ": " << seen.text;
        Click(dialog, seen.buttons.empty() ? IDCANCEL : seen.buttons.back(), false);
        return;
    }
    const CAnswer answer = m_answers.front();
    m_answers.pop_front();
    for (std::size_t i = 0; i < answer.entries.size(); ++i) {
        SetWindowTextW(FileNameBox(dialog), answer.entries[i].c_str());
        // All but the last entry change the folder and leave the picker up.
        Click(dialog, IDOK, i + 1 < answer.entries.size());
    }
    if (answer.entries.empty()) {
        Click(dialog, answer.button, false);
    }
}
