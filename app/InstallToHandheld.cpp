#include "app/ConvertorApp.h"
#include "platform/Desktop.h"

void CConvertorApp::InstallToHandheld() {
    if (m_convertedFiles.empty()) {
        return;
    }
    // The first database's association decides for all of them.
    const std::string program = m_desktop.FindAssociatedProgram(m_convertedFiles.front());
    if (program.empty()) {
        return;
    }
    m_desktop.StartProgram(program, m_convertedFiles);
}
