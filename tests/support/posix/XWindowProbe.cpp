#include "tests/support/posix/XWindowProbe.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <unistd.h>

namespace {

constexpr long kMaxIconWords = 1L << 20;
constexpr long kMaxStates = 64;
// A window manager nests its clients a level or two into its frames.
constexpr int kFrameDepth = 3;

std::string TitleOf(Display* display, Window window) {
    XTextProperty property{};
    std::string title;
    if (XGetWMName(display, window, &property) != 0 && property.value != nullptr) {
        title.assign(reinterpret_cast<const char*>(property.value), property.nitems);
        XFree(property.value);
    }
    return title;
}

// The process that owns `window`, as the window says; 0 when it does not.
unsigned long OwnerOf(Display* display, Window window) {
    Atom type = 0;
    int format = 0;
    unsigned long items = 0;
    unsigned long after = 0;
    unsigned char* data = nullptr;
    unsigned long owner = 0;
    const Atom pid = XInternAtom(display, "_NET_WM_PID", False);
    if (XGetWindowProperty(display, window, pid, 0, 1, False, XA_CARDINAL, &type, &format, &items,
                           &after, &data) == Success &&
        data != nullptr) {
        if (items == 1) {
            owner = *reinterpret_cast<const unsigned long*>(data);
        }
        XFree(data);
    }
    return owner;
}

bool IsShown(Display* display, Window window) {
    XWindowAttributes attributes{};
    return XGetWindowAttributes(display, window, &attributes) != 0 &&
           attributes.map_state == IsViewable;
}

// The client windows below `window`: with a window manager they sit in its frames.
void Collect(Display* display, Window window, int depth, std::vector<Window>& found) {
    if (!IsShown(display, window)) {
        return;
    }
    found.push_back(window);
    Window root = 0;
    Window parent = 0;
    Window* children = nullptr;
    unsigned count = 0;
    if (depth > 0 && XQueryTree(display, window, &root, &parent, &children, &count) != 0) {
        for (unsigned i = 0; i < count; ++i) {
            Collect(display, children[i], depth - 1, found);
        }
        XFree(children);
    }
}

}  // namespace

CXWindowProbe::CXWindowProbe() : m_display(XOpenDisplay(nullptr)) {}

CXWindowProbe::~CXWindowProbe() {
    if (m_display != nullptr) {
        XCloseDisplay(m_display);
    }
}

unsigned long CXWindowProbe::FindShown(const std::string& title, int& count) {
    count = 0;
    Window match = 0;
    std::vector<Window> windows;
    Window root = DefaultRootWindow(m_display);
    Window unusedRoot = 0;
    Window unusedParent = 0;
    Window* children = nullptr;
    unsigned childCount = 0;
    XSync(m_display, False);
    if (XQueryTree(m_display, root, &unusedRoot, &unusedParent, &children, &childCount) != 0) {
        for (unsigned i = 0; i < childCount; ++i) {
            Collect(m_display, children[i], kFrameDepth, windows);
        }
        XFree(children);
    }
    // Other tests may show their dialogs on the same display at the same time.
    const auto self = static_cast<unsigned long>(getpid());
    for (const Window window : windows) {
        if (TitleOf(m_display, window) == title && OwnerOf(m_display, window) == self) {
            ++count;
            match = window;
        }
    }
    return match;
}

int CXWindowProbe::CountShown(const std::string& title) {
    int count = 0;
    FindShown(title, count);
    return count;
}

std::vector<unsigned long> CXWindowProbe::ReadProperty(const std::string& title,
                                                       const char* property, long most,
                                                       unsigned long type) {
    std::vector<unsigned long> items;
    int count = 0;
    const Window window = FindShown(title, count);
    Atom got = 0;
    int format = 0;
    unsigned long length = 0;
    unsigned long after = 0;
    unsigned char* data = nullptr;
    if (window == 0 ||
        XGetWindowProperty(m_display, window, XInternAtom(m_display, property, False), 0, most,
                           False, type, &got, &format, &length, &after, &data) != Success ||
        data == nullptr) {
        return items;
    }
    // 32-bit items arrive as longs.
    const auto* words = reinterpret_cast<const unsigned long*>(data);
    items.assign(words, words + length);
    XFree(data);
    return items;
}

std::vector<std::pair<unsigned long, unsigned long>> CXWindowProbe::IconSizes(
    const std::string& title) {
    const std::vector<unsigned long> words =
        ReadProperty(title, "_NET_WM_ICON", kMaxIconWords, XA_CARDINAL);
    // Each icon: width, height, then width * height pixels.
    std::vector<std::pair<unsigned long, unsigned long>> sizes;
    for (std::size_t at = 0; at + 2 <= words.size();) {
        sizes.emplace_back(words[at], words[at + 1]);
        at += 2 + words[at] * words[at + 1];
    }
    return sizes;
}

std::vector<std::string> CXWindowProbe::States(const std::string& title) {
    std::vector<std::string> names;
    for (const unsigned long atom : ReadProperty(title, "_NET_WM_STATE", kMaxStates, XA_ATOM)) {
        if (char* name = XGetAtomName(m_display, atom)) {
            names.emplace_back(name);
            XFree(name);
        }
    }
    return names;
}
