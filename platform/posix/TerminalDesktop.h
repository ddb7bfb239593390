#pragma once

#include <iosfwd>
#include <string>
#include <vector>

#include "platform/posix/PosixDesktop.h"

// The desktop as a line-oriented dialogue on a terminal or a pipe.
class CTerminalDesktop : public CPosixDesktop {
public:
    CTerminalDesktop(std::istream& in, std::ostream& out);

    EPickOutcome ShowOpenFileDialog(const COpenFileDialogRequest& request,
                                    std::vector<char>& selection) override;
    int ShowMessageBox(const std::string& text, const std::string& caption,
                       unsigned style) override;

private:
    void ShowFolder(const COpenFileDialogRequest& request);
    bool ReadLine(std::string& line);

    std::istream& m_in;
    std::ostream& m_out;
};
