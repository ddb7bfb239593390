#pragma once

#include <string>
#include <vector>

#include "platform/DatabaseCodePage.h"

class CDesktop;
class CFile;
struct CMessageText;

// The application: one run from the first pick to the end of the program.
class CConvertorApp {
public:
    explicit CConvertorApp(CDesktop& desktop);

    // Picks and converts until the user is done; true when the run is over.
    bool RunConverter();

    // Writes the database of one input that is open for reading; a written
    // database shows only in the converted-files list.
    void ConvertFile(CFile& input);

    // Opens a new, empty database that is to take the name `name`, asking
    // before it may replace an existing file. False, with any message shown.
    bool OpenOutputFile(CFile& output, const std::string& name);

    // Hands every database written in this run to the handheld installer.
    void InstallToHandheld();

    const std::vector<std::string>& GetConvertedFiles() const { return m_convertedFiles; }

private:
    // Opens the bare name of `path` and converts it; false when it cannot be
    // opened, which stops the batch. A message names it as `shownName` where
    // that is not empty (CMessageText::shownName).
    bool ConvertPath(const std::string& path, const std::string& shownName);
    void AskToInstall();
    int ShowMessage(const CMessageText& text, unsigned style);
    // A failure's message, `text` followed by `name` (shown as `shownName`
    // where that is not empty); none when memory for it runs out.
    void ShowFailure(const char* text, const std::string& name, const std::string& shownName = {});

    CDesktop& m_desktop;
    // Made ready when the run starts, while descriptors and memory are to be
    // had: a database's name needs it, once the database is open, to be right.
    CDatabaseCodePage m_codePage;
    std::string m_title;
    // The message a conversion that runs out of memory ends with: the input
    // is too large until its database is being written, which then could
    // not be written.
    struct CFailure {
        const char* text;
        std::string name;
    } m_outOfMemory{};
    std::vector<std::string> m_convertedFiles;
};
