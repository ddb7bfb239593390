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

std::vector<std::pair<unsigned long, unsigned long>> CXWindowProbe::IconSizes(
    const std::string& title) {
    std::vector<std::pair<unsigned long, unsigned long>> sizes;
    int count = 0;
    const Window window = FindShown(title, count);
    if (window == 0) {
        return sizes;
    }
    Atom type = 0;
    int format = 0;
    unsigned long items = 0;
    unsigned long after = 0;
    unsigned char* data = nullptr;
    const Atom icon = XInternAtom(m_display, "_NET_WM_ICON", False);
    if (XGetWindowProperty(m_display, window, icon, 0, kMaxIconWords, False, XA_CARDINAL, &type,
                           &format, &items, &after, &data) != Success ||
        data == nullptr) {
        return sizes;
    }
    // Each icon: width, height, then width * height pixels (32-bit items arrive as longs).
    const auto* words = reinterpret_cast<const unsigned long*>(data);
    for (unsigned long at = 0; at + 2 <= items;) {
        const unsigned long width = words[at];
        const unsigned long height = words[at + 1];
        sizes.emplace_back(width, height);
        at += 2 + width * height;
    }
    XFree(data);
    return sizes;
}

std::vector<std::string> CXWindowProbe::States(const std::string& title) {
    std::vector<std::string> names;
    int count = 0;
    const Window window = FindShown(title, count);
    if (window == 0) {
        return names;
    }
    Atom type = 0;
    int format = 0;
    unsigned long items = 0;
    unsigned long after = 0;
    unsigned char* data = nullptr;
    const Atom state = XInternAtom(m_display, "_NET_WM_STATE", False);
    if (XGetWindowProperty(m_display, window, state, 0, kMaxStates, False, XA_ATOM, &type, &format,
                           &items, &after, &data) != Success ||
        data == nullptr) {
        return names;
    }
    const auto* atoms = reinterpret_cast<const Atom*>(data);
    for (unsigned long i = 0; i < items; ++i) {
        if (char* name = XGetAtomName(m_display, atoms[i])) {
            names.emplace_back(name);
            XFree(name);
        }
    }
    XFree(data);
    return names;
}
