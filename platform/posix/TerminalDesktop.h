#pragma once

#include <iosfwd>
#include <optional>
#include <streambuf>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Desktop.h"

// The posix desktops: the terminal dialogue, the GTK desktop and the GIO
// launcher in modules of their own, and the hand-off they all share.

// What begins each line the program writes on standard error.
constexpr char kErrorLinePrefix[] = "quintar-convertor: ";

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

// GTK and GIO live in modules of their own, each loaded only when it is
// needed: the GTK dialogs where a display may open, the GIO launcher when an
// installer is asked for. A terminal run that hands its databases over thus
// loads GIO's few libraries and none of GTK's seventy, and GLib, whose
// start-up ends the process on a failed allocation, stays out of every run
// that needs none of it. Modules come only from the program's own folders
// (beside it in the build tree, its library folder once installed), never
// from a search, and stay loaded for the process. A module that is missing
// or broken is no error: the terminal dialogue serves, and no installer is
// found. A module holds only the code that needs its library; what it needs
// of the program it is lent, so no code of the program is compiled into it.

// What the program lends the desktop module: the rules every desktop shares
// and the hand-off. It lives as long as the process.
struct CProgramServices {
    std::optional<EPickOutcome> (*finishPick)(const std::vector<std::string>& paths,
                                              std::vector<char>& selection, CMessageText& problem);
    bool (*matchesFilter)(std::string_view name, std::string_view patterns);
    std::string (*showText)(const CMessageText& text);
    std::string (*findInstaller)(const std::string& file);
    void (*startInstaller)(const std::string& installer, const std::vector<std::string>& files);
};
const CProgramServices& GetProgramServices();

// The desktop module's entry point: the GTK dialogs on the display, the
// caller's; null when no display opens.
extern "C" CDesktop* QuintarOpenDesktop(const CProgramServices& program);

// The launcher module's entry points. A program is named by the full path of
// its desktop entry: the entry, not the bare executable, says how the
// program takes files (its Exec line, a terminal, a sandbox wrapper).
//
// The desktop entry of the user's default application for the content type
// `type`, or else of one that claims it; never one that only claims a parent
// of `type`, and none at all where `type` is, by a parent or an alias, a
// Palm database (application/vnd.palm), whose programs claim every *.pdb.
// `entry` is left empty when there is none.
extern "C" void QuintarFindApplication(const std::string& type, std::string& entry);
// Starts the application of the desktop entry `entry` with `files`, each its
// own argument, in order, without a shell and without waiting for it. It gets
// its own session and none of this process's standard streams. Silent.
extern "C" void QuintarLaunchApplication(const std::string& entry,
                                         const std::vector<std::string>& files);

// The launcher module's entry point `name`, loaded on the first call; null
// where the build or the program's folders have no launcher.
void* FindLauncherEntry(const char* name);

// A descriptor read as a stream that waits for its input: one left
// non-blocking (by a program that shares it, or by the one before) answers
// "nothing yet" to a read, which would otherwise read as its end.
class CDescriptorInput : public std::streambuf {
public:
    explicit CDescriptorInput(int fd) : m_fd(fd) {}

protected:
    int_type underflow() override;

private:
    static constexpr std::size_t kBufferSize = 4096;

    int m_fd;
    char m_buffer[kBufferSize];
};

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
    // doubled, where it holds blanks or quotes; escaped as every desktop
    // escapes a name (EscapeName), so that it never works the terminal.
    static std::string ShowName(std::string_view name);

    EPickOutcome ShowOpenFileDialog(const COpenFileDialogRequest& request,
                                    std::vector<char>& selection) override;
    int ShowMessageBox(const CMessageText& text, const std::string& caption,
                       unsigned style) override;
    std::string FindAssociatedProgram(const std::string& file) override {
        return FindInstaller(file);
    }
    void StartProgram(const std::string& program, const std::vector<std::string>& files) override {
        StartInstaller(program, files);
    }

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
