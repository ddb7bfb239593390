#include "app/PuzzleFileList.h"

#include "app/Messages.h"
#include "app/PuzzleFileDialog.h"

bool CPuzzleFileList::PickFiles(CDesktop& desktop, const std::string& title) {
    m_paths.clear();
    m_shownNames.clear();
    // No kOfnNoChangeDir: the confirmed selection's folder becomes the
    // working folder, where the run opens the bare names.
    CPuzzleFileDialog dialog(
        kOfnAllowMultiSelect | kOfnHideReadOnly | kOfnExplorer | kOfnEnableHook | kOfnEnableSizing,
        kPuzzleFilter, kIconResource, kConvertCaption, kExitCaption);
    dialog.SetTitle(title);
    std::vector<char> selection(kSelectionBufferSize, '\0');
    switch (dialog.DoModal(desktop, selection, m_paths)) {
        case EPickOutcome::kConfirmed:
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
