#pragma once

#include <iosfwd>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Desktop.h"

// What begins each line the program writes on standard error.
constexpr char kErrorLinePrefix[] = "quintar-convertor: ";

// The desktop as a line-oriented dialogue on a terminal or a pipe. Other
// programs are found and started through the launcher module, loaded only
// when they are asked for, after the conversion.
class CTerminalDesktop : public CDesktop {
public:
    // `typedEcho` says whether `in` is a terminal, which shows what is typed,
    // the closing newline included; piped input has nothing show it. Piped
    // input that ends before its first line is said so on `err`: started
    // from a menu, nothing else would tell the user why nothing happened.
    CTerminalDesktop(std::istream& in, std::ostream& out, std::ostream& err, bool typedEcho);

    // Splits a line typed at the picker into file names. Blanks separate
    // names; double quotes keep blanks inside a name and are not part of it,
    // and inside them a doubled quote stands for one; an unclosed quote runs
    // to the end of the line. Empty names are dropped.
    static std::vector<std::string> SplitSelectionLine(std::string_view line);

    // `name` as it is typed at the picker: in double quotes, a quote inside
    // doubled, where it holds blanks or quotes. Control characters and bytes
    // that are no UTF-8 are shown as \xHH: a name never reaches the terminal
    // raw, where it could move the cursor or clear the screen.
    static std::string ShowName(std::string_view name);
    // A message's text as the terminal shows it: the words as they stand,
    // the name escaped as the picker escapes it.
    static std::string ShowText(const CMessageText& text);

    EPickOutcome ShowOpenFileDialog(const COpenFileDialogRequest& request,
                                    std::vector<char>& selection) override;
    int ShowMessageBox(const CMessageText& text, const std::string& caption,
                       unsigned style) override;
    std::string FindAssociatedProgram(const std::string& file) override;
    void StartProgram(const std::string& program, const std::vector<std::string>& files) override;

private:
    enum class ELineRead { kLine, kTooLong, kEnd };

    void ShowFolder(const COpenFileDialogRequest& request);
    // One line, without its end; a line too long for any answer is passed
    // over and reported.
    ELineRead ReadLine(std::string& line);

    std::istream& m_in;
    std::ostream& m_out;
    std::ostream& m_err;
    bool m_typedEcho;
    bool m_readBefore = false;
};
