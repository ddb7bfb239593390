#include "app/PuzzleFileList.h"

#include "app/Messages.h"
#include "platform/Desktop.h"

bool CPuzzleFileList::PickFiles(CDesktop& desktop, const std::string& title) {
    m_paths.clear();
    m_shownNames.clear();
    COpenFileDialogRequest request;
    request.title = title;
    request.filters = {{kPuzzleFilterName, kPuzzlePattern}};
    // No kOfnNoChangeDir: the confirmed selection's folder becomes the
    // working folder, where the run opens the bare names.
    request.flags =
        kOfnAllowMultiSelect | kOfnHideReadOnly | kOfnExplorer | kOfnEnableHook | kOfnEnableSizing;
    request.iconResource = kIconResource;
    request.okCaption = kConvertCaption;
    request.cancelCaption = kExitCaption;
    std::vector<char> selection(kSelectionBufferSize, '\0');
    switch (desktop.ShowOpenFileDialog(request, selection)) {
        case EPickOutcome::kConfirmed:
            m_paths = UnpackSelection(selection);
            m_shownNames = desktop.GetShownNames();
            m_shownNames.resize(m_paths.size());
            return true;
        case EPickOutcome::kBufferTooSmall:
            desktop.ShowMessageBox(kTooManyFilesMessage, title, kMbOk | kMbIconStop);
            return false;
        case EPickOutcome::kCancelled:
            break;
    }
    return false;
}
