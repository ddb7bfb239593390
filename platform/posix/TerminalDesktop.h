#pragma once

#include <iosfwd>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Desktop.h"

// What begins each line the program writes on standard error.
constexpr char kErrorLinePrefix[] = "quintar-convertor: ";

// The hand-off, the same on every posix desktop: what FindAssociatedProgram
// and StartProgram do, the GTK desktop's through the services it is lent.

// The MIME type of the databases the program writes, as the program's MIME
// package (res/quintar-convertor-mime.xml) defines it.
constexpr char kDatabaseType[] = "application/x-quintar-puzzle-database";

// What the databases go to, whatever `file` is: the desktop entry of the
// program the user chose for the databases' type, or of one that claims it,
// looked up by the type's name through the launcher module (a program found
// only through the types every *.pdb also has, an office suite's or an
// e-book reader's, never is); otherwise J-Pilot's install list where J-Pilot
// is set up; otherwise nothing, empty.
std::string FindInstaller(const std::string& file);

// Hands `files` to `installer`, as FindInstaller named it: J-Pilot's list
// gets each readable path once; a desktop entry is started with them all.
// Says nothing and fails silently.
void StartInstaller(const std::string& installer, const std::vector<std::string>& files);

// The desktop as a line-oriented dialogue on a terminal or a pipe.
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
