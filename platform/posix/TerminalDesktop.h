#pragma once

#include <iosfwd>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Desktop.h"

// The desktop as a line-oriented dialogue on a terminal or a pipe. Other
// programs are found and started through the launcher module, loaded only
// when they are asked for, after the conversion.
class CTerminalDesktop : public CDesktop {
public:
    CTerminalDesktop(std::istream& in, std::ostream& out);

    // Splits a line typed at the picker into file names. Blanks separate
    // names; double quotes keep blanks inside a name and are not part of it,
    // and inside them a doubled quote stands for one; an unclosed quote runs
    // to the end of the line. Empty names are dropped.
    static std::vector<std::string> SplitSelectionLine(std::string_view line);

    EPickOutcome ShowOpenFileDialog(const COpenFileDialogRequest& request,
                                    std::vector<char>& selection) override;
    int ShowMessageBox(const std::string& text, const std::string& caption,
                       unsigned style) override;
    std::string FindAssociatedProgram(const std::string& file) override;
    void StartProgram(const std::string& program, const std::vector<std::string>& files) override;

private:
    void ShowFolder(const COpenFileDialogRequest& request);
    bool ReadLine(std::string& line);

    std::istream& m_in;
    std::ostream& m_out;
};
