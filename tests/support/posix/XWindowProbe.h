#pragma once

#include <string>
#include <utility>
#include <vector>

// Looks at the screen through a connection of its own, as any other client
// of the display would: what it sees, the user sees.
class CXWindowProbe {
public:
    CXWindowProbe();
    ~CXWindowProbe();
    CXWindowProbe(const CXWindowProbe&) = delete;
    CXWindowProbe& operator=(const CXWindowProbe&) = delete;

    bool IsConnected() const { return m_display != nullptr; }

    // How many top-level windows of this process on screen carry `title`.
    int CountShown(const std::string& title);

    // Width and height of each icon that this process's window titled `title`
    // offers the desktop.
    std::vector<std::pair<unsigned long, unsigned long>> IconSizes(const std::string& title);

    // The names of the states (_NET_WM_STATE) that this process's window
    // titled `title` asks the desktop for.
    std::vector<std::string> States(const std::string& title);

private:
    unsigned long FindShown(const std::string& title, int& count);
    // The items of `property` (at most `most`, of X type `type`) of the
    // window titled `title`; none where it has no such window or property.
    std::vector<unsigned long> ReadProperty(const std::string& title, const char* property,
                                            long most, unsigned long type);

    struct _XDisplay* m_display;
};
