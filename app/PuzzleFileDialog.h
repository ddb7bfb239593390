#pragma once

#include <string>
#include <vector>

#include "platform/Desktop.h"

// The desktop's open-file dialog with the application's icon on its frame and
// its own captions on the OK and Cancel buttons.
class CPuzzleFileDialog {
public:
    // `filter` holds description and pattern pairs, each ended by '|'. An
    // icon number of 0 means no icon; a null caption keeps the desktop's.
    CPuzzleFileDialog(unsigned flags, const char* filter, unsigned iconResource,
                      const char* okCaption, const char* cancelCaption);

    void SetTitle(const std::string& title) { m_request.title = title; }

    // Shows the dialog modally with `buffer` as its file-name buffer. Once
    // the user confirms, `paths` holds the chosen files' full paths, in order.
    EPickOutcome DoModal(CDesktop& desktop, std::vector<char>& buffer,
                         std::vector<std::string>& paths) const;

private:
    COpenFileDialogRequest m_request;
};
