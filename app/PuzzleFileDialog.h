#pragma once

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
    const COpenFileDialogRequest& GetRequest() const { return m_request; }

    // Shows the dialog modally; `selection` is the buffer the choice fills.
    EPickOutcome DoModal(CDesktop& desktop, std::vector<char>& selection) const;

private:
    COpenFileDialogRequest m_request;
};
